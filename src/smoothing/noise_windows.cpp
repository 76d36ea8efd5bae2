#include "smoothing/noise_windows.hpp"

#include <algorithm>
#include <cmath>

#include "spectral/real_transform.hpp"
#include "spectral/tukey_taper.hpp"

namespace wavespec::smoothing {
namespace {

// The window's samples less their mean, times the taper.
void prepare(std::span<const double> part, std::span<const double> taper, std::span<double> out) {
    double mean = 0.0;
    for (double x : part) mean += x;
    mean /= static_cast<double>(part.size());
    for (std::size_t i = 0; i < part.size(); ++i) out[i] = (part[i] - mean) * taper[i];
}

}  // namespace

std::size_t window_samples(double seconds, double dt, std::size_t record_samples) {
    const double count = std::round(seconds / dt);
    if (!(count >= 1.0) || !(count <= static_cast<double>(record_samples))) return 0;
    return static_cast<std::size_t>(count);
}

WindowSpectra window_spectra(std::array<std::span<const double>, 3> series, double dt,
                             std::size_t n, double taper_fraction) {
    WindowSpectra result;
    if (n < 2) return result;
    const std::size_t bins = n / 2;
    for (std::size_t k = 1; k <= bins; ++k) {
        result.frequencies.push_back(static_cast<double>(k) / (static_cast<double>(n) * dt));
    }
    const std::vector<double> taper = tukey_weights(n, taper_fraction);
    const std::size_t samples = std::min({series[0].size(), series[1].size(), series[2].size()});
    // Each series of each window in a transform of its own: one series' rounding never reaches
    // another's spectrum, so a window that is silent in one component has exactly zero there.
    RealTransform transform(n);
    std::vector<double> prepared(n);
    std::vector<Complex> bins_of_window;
    const std::size_t count = window_count(samples, n);
    result.spectra.resize(count);
    for (std::size_t w = 0; w < count; ++w) {
        for (std::size_t c = 0; c < 3; ++c) {
            prepare(series[c].subspan(w * n, n), taper, prepared);
            transform.forward(prepared, bins_of_window);
            std::vector<Complex>& spectrum = result.spectra[w][c];
            spectrum.resize(bins);
            for (std::size_t k = 1; k <= bins; ++k) {
                spectrum[k - 1] = {bins_of_window[k].re * dt, bins_of_window[k].im * dt};
            }
        }
    }
    return result;
}

}  // namespace wavespec::smoothing
