#include "smoothing/noise_windows.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "spectral/complex_value.hpp"
#include "spectral/portable_math.hpp"
#include "spectral/spectrum_prep.hpp"

namespace wavespec::smoothing {

std::vector<double> tukey_taper(std::size_t n, double fraction) {
    std::vector<double> taper(n, 1.0);
    if (n < 2) return taper;
    double span = fraction * static_cast<double>(n - 1) / 2.0;  // samples in one ramp
    for (std::size_t i = 0; i < n; ++i) {
        double from_edge = static_cast<double>(std::min(i, n - 1 - i));
        if (from_edge < span) {
            taper[i] = 0.5 * (1.0 - portable_sin_cos(std::numbers::pi * from_edge / span).cos);
        }
    }
    return taper;
}

WindowSpectra window_spectra(std::array<std::span<const double>, 3> series, double dt,
                             std::size_t window_samples) {
    WindowSpectra result;
    auto length = choose_transform_length(static_cast<std::int64_t>(window_samples));
    if (!length || window_samples < 4) return result;
    FrequencyGrid grid = frequency_grid(length->length, dt);
    for (std::int32_t i = 2; i <= grid.nom; ++i) {
        result.frequencies.push_back(bin_frequency(i, grid.dom));
    }
    std::vector<double> taper = tukey_taper(window_samples, kTukeyFraction);
    std::size_t samples = std::min({series[0].size(), series[1].size(), series[2].size()});
    std::vector<double> window(window_samples);
    std::vector<Complex> spectrum(static_cast<std::size_t>(length->length));
    for (std::size_t start = 0; start + window_samples <= samples; start += window_samples) {
        auto& amplitudes = result.amplitudes.emplace_back();
        for (std::size_t c = 0; c < 3; ++c) {
            std::span<const double> part = series[c].subspan(start, window_samples);
            double mean = 0.0;
            for (double x : part) mean += x;
            mean /= static_cast<double>(window_samples);
            for (std::size_t i = 0; i < window_samples; ++i) {
                window[i] = (part[i] - mean) * taper[i];
            }
            forward_spectrum(window, spectrum, length->length, dt);
            amplitudes[c].reserve(result.frequencies.size());
            for (std::size_t k = 1; k <= result.frequencies.size(); ++k) {
                amplitudes[c].push_back(modulus(spectrum[k]));
            }
        }
    }
    return result;
}

}  // namespace wavespec::smoothing
