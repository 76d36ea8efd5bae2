#include "processing/snr_corners.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "processing/detrend.hpp"
#include "processing/hann_taper.hpp"
#include "smoothing/spectral_smoothing.hpp"
#include "spectral/real_transform.hpp"

namespace wavespec::processing {
namespace {

// |DFT| dt of the window at its bins above zero frequency, after its mean and taper.
std::vector<double> window_amplitudes(std::span<const double> window, double dt) {
    std::vector<double> x(window.begin(), window.end());
    remove_mean(x);
    apply_hann_taper(x, kSnrTaper);
    RealTransform transform(x.size());
    std::vector<Complex> bins;
    transform.forward(x, bins);
    std::vector<double> amplitudes;
    for (std::size_t m = 1; m < bins.size(); ++m) {
        amplitudes.push_back(std::sqrt(bins[m].re * bins[m].re + bins[m].im * bins[m].im) * dt);
    }
    return amplitudes;
}

std::vector<double> smoothed(std::span<const double> window, double dt,
                             std::span<const double> centres) {
    const std::vector<double> amplitudes = window_amplitudes(window, dt);
    std::vector<double> frequencies(amplitudes.size());
    const double df = 1.0 / (static_cast<double>(window.size()) * dt);
    for (std::size_t m = 0; m < frequencies.size(); ++m) {
        frequencies[m] = static_cast<double>(m + 1) * df;
    }
    const std::span<const double> spectra[] = {amplitudes};
    const smoothing::SmoothingWindow ko{smoothing::WindowKind::konno_ohmachi, kSnrKonnoOhmachiB};
    return smoothing::smooth_spectra(ko, frequencies, spectra, centres).front();
}

}  // namespace

std::optional<SnrCurves> snr_curves(std::span<const double> record, double dt,
                                    double signal_start) {
    std::size_t first_signal = 0;
    while (first_signal < record.size() && static_cast<double>(first_signal) * dt < signal_start) {
        ++first_signal;
    }
    // Each window needs a bin above zero frequency.
    if (first_signal < 2 || record.size() - first_signal < 2) return std::nullopt;
    const std::span<const double> noise = record.first(first_signal);
    const std::span<const double> signal = record.subspan(first_signal);
    const double signal_duration = static_cast<double>(signal.size()) * dt;
    const double noise_duration = static_cast<double>(noise.size()) * dt;
    SnrCurves curves;
    curves.signal_duration = signal_duration;
    curves.frequency =
        smoothing::log_spaced_centres(1.0 / signal_duration, 0.5 / dt, kSnrPointsPerDecade);
    curves.signal = smoothed(signal, dt, curves.frequency);
    curves.noise = smoothed(noise, dt, curves.frequency);
    const double scale = std::sqrt(signal_duration / noise_duration);
    for (std::size_t j = 0; j < curves.frequency.size(); ++j) {
        curves.noise[j] *= scale;
        curves.snr.push_back(curves.signal[j] / curves.noise[j]);
    }
    return curves;
}

std::optional<SnrCorners> corners_from_snr(const SnrCurves& curves, const SnrBand& band, double dt,
                                           double& largest_in_band) {
    const std::vector<double>& f = curves.frequency;
    largest_in_band = std::numeric_limits<double>::quiet_NaN();
    std::size_t low = f.size(), high = 0;
    bool clear = true;
    for (std::size_t j = 0; j < f.size(); ++j) {
        if (f[j] < band.low || f[j] > band.high) continue;
        largest_in_band = low > high ? curves.snr[j] : std::max(largest_in_band, curves.snr[j]);
        low = std::min(low, j);
        high = j;
        clear = clear && curves.snr[j] >= band.threshold;
    }
    if (low > high || !clear) return std::nullopt;
    while (low > 0 && curves.snr[low - 1] >= band.threshold) --low;
    while (high + 1 < f.size() && curves.snr[high + 1] >= band.threshold) ++high;
    return SnrCorners{std::max(f[low], 1.0 / curves.signal_duration),
                      std::min({f[high], 0.75 * (0.5 / dt), 40.0})};
}

}  // namespace wavespec::processing
