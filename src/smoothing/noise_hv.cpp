#include "smoothing/noise_hv.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "smoothing/noise_windows.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec::smoothing {
namespace {

std::vector<double> amplitudes(const std::vector<Complex>& spectrum) {
    std::vector<double> a(spectrum.size());
    for (std::size_t k = 0; k < a.size(); ++k) a[k] = modulus(spectrum[k]);
    return a;
}

// Smooths every one of `spectra` onto the centres in one pass (the weights are shared).
std::vector<std::vector<double>> smooth_all(const NoiseHvSettings& s,
                                            const std::vector<double>& bins,
                                            const std::vector<std::vector<double>>& spectra,
                                            const std::vector<double>& centres) {
    std::vector<std::span<const double>> views(spectra.begin(), spectra.end());
    return smooth_spectra(s.window, bins, views, centres, s.threads);
}

// The first window and grid point where a smoothed H or V is not a finite value above zero.
std::optional<SilentWindow> first_silent(const std::vector<std::vector<double>>& smoothed,
                                         const std::vector<double>& centres, bool horizontal) {
    for (std::size_t w = 0; w < smoothed.size(); ++w) {
        for (std::size_t k = 0; k < centres.size(); ++k) {
            const double v = smoothed[w][k];
            if (!(v > 0.0) || !std::isfinite(v)) {
                return SilentWindow{w, horizontal, centres[k], v, std::nullopt};
            }
        }
    }
    return std::nullopt;
}

std::vector<std::vector<double>> window_ratios(std::vector<std::vector<double>> smoothed,
                                               const std::vector<std::vector<double>>& verticals) {
    for (std::size_t w = 0; w < smoothed.size(); ++w)
        smoothed[w] = ratio(smoothed[w], verticals[w]);
    return smoothed;
}

// The curves of every azimuth, in hv.azimuths, or the first silent rotated H in hv.silent.
void azimuth_curves(const NoiseHvSettings& s, const WindowSpectra& spectra,
                    const std::vector<std::vector<double>>& verticals, NoiseHv& hv) {
    std::vector<AzimuthHv> result;
    const double step = *s.azimuth_step;
    const auto count = static_cast<std::size_t>(std::llround(180.0 / step));
    for (std::size_t a = 0; a < count; ++a) {
        const double azimuth = static_cast<double>(a) * step;
        const SineCosine sc = portable_sin_cos(azimuth * (std::numbers::pi / 180.0));
        std::vector<std::vector<double>> rotated;
        for (const auto& window : spectra.spectra) {
            std::vector<double> h(window[0].size());
            for (std::size_t k = 0; k < h.size(); ++k) {
                const Complex n = window[0][k], e = window[1][k];
                h[k] = modulus({n.re * sc.cos + e.re * sc.sin, n.im * sc.cos + e.im * sc.sin});
            }
            rotated.push_back(std::move(h));
        }
        auto smoothed = smooth_all(s, spectra.frequencies, rotated, hv.frequency);
        if ((hv.silent = first_silent(smoothed, hv.frequency, true))) {
            hv.silent->azimuth = azimuth;
            return;
        }
        const auto curves = window_ratios(std::move(smoothed), verticals);
        AzimuthHv one;
        one.azimuth = azimuth;
        one.statistics = lognormal_statistics(curves, hv.kept);
        one.peak = peak_in_range(hv.frequency, one.statistics.mean, s.low, s.high);
        result.push_back(std::move(one));
    }
    hv.azimuths = std::move(result);
}

}  // namespace

std::size_t NoiseHv::kept_count() const {
    return static_cast<std::size_t>(std::count(kept.begin(), kept.end(), true));
}

NoiseHv noise_hv(std::array<std::span<const double>, 3> series, double dt,
                 const NoiseHvSettings& s) {
    NoiseHv hv;
    hv.window_samples = s.window_samples;
    hv.window_seconds = static_cast<double>(s.window_samples) * dt;
    const WindowSpectra spectra = window_spectra(series, dt, s.window_samples, s.taper_fraction);
    if (spectra.spectra.empty()) return hv;
    hv.frequency = s.centres.centres_for(spectra.frequencies);

    std::vector<std::vector<double>> horizontals, verticals;
    for (const auto& window : spectra.spectra) {
        horizontals.push_back(
            combined_horizontal(s.mean, amplitudes(window[0]), amplitudes(window[1])));
        verticals.push_back(amplitudes(window[2]));
    }
    verticals = smooth_all(s, spectra.frequencies, verticals, hv.frequency);
    if ((hv.silent = first_silent(verticals, hv.frequency, false))) return hv;
    auto smoothed = smooth_all(s, spectra.frequencies, horizontals, hv.frequency);
    horizontals.clear();
    if ((hv.silent = first_silent(smoothed, hv.frequency, true))) return hv;
    hv.windows = window_ratios(std::move(smoothed), verticals);

    // Each window's own peak, above 10/l_w so that the criterion f0 > 10/l_w can still fail.
    const double lowest = std::max(s.low, 10.0 / hv.window_seconds);
    for (const auto& curve : hv.windows) {
        const auto peak = peak_in_range(hv.frequency, curve, lowest, s.high);
        if (!peak) {
            hv.window_peaks.clear();
            break;
        }
        hv.window_peaks.push_back(hv.frequency[*peak]);
    }
    hv.kept.assign(hv.windows.size(), true);
    if (s.reject && !hv.window_peaks.empty()) {
        Rejection r = reject_windows(hv.window_peaks, *s.reject);
        hv.kept = std::move(r.kept);
        hv.rejection_rounds = r.rounds;
    }
    hv.statistics = lognormal_statistics(hv.windows, hv.kept);
    std::vector<double> kept_peaks;
    for (std::size_t w = 0; w < hv.window_peaks.size(); ++w) {
        if (hv.kept[w]) kept_peaks.push_back(hv.window_peaks[w]);
    }
    hv.peak_spread = spread_of(kept_peaks);
    SesameInput input{.frequencies = hv.frequency,
                      .mean = hv.statistics.mean,
                      .sigma_ln = hv.statistics.sigma_ln,
                      .window_seconds = hv.window_seconds,
                      .windows = hv.kept_count(),
                      .peak_frequency_sd = std::nullopt,
                      .low = s.low,
                      .high = s.high};
    if (!kept_peaks.empty()) input.peak_frequency_sd = hv.peak_spread.deviation;
    hv.report = sesame_criteria(input);
    if (s.azimuth_step) azimuth_curves(s, spectra, verticals, hv);
    return hv;
}

}  // namespace wavespec::smoothing
