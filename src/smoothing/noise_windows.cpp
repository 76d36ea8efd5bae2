#include "smoothing/noise_windows.hpp"

#include <algorithm>
#include <cmath>

#include "spectral/mixed_fft.hpp"
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
    MixedFft fft(n);
    std::vector<double> a(n), b(n);
    std::vector<Complex> z(n);
    const std::size_t count = window_count(samples, n);
    result.spectra.resize(count);
    // Two real windows in one complex transform: the first in the real part, the second in
    // the imaginary, separated by the transform's symmetry. Component 3 of window w pairs
    // with the two horizontals' turn: (1, 2) of each window, then (3 of w, 3 of w + 1).
    auto transform_pair = [&](std::span<const double> x, std::span<const double> y,
                              std::vector<Complex>& first, std::vector<Complex>* second) {
        prepare(x, taper, a);
        if (second != nullptr) {
            prepare(y, taper, b);
        } else {
            std::fill(b.begin(), b.end(), 0.0);
        }
        for (std::size_t i = 0; i < n; ++i) z[i] = {a[i], b[i]};
        fft.transform(z.data(), false);
        first.resize(bins);
        if (second != nullptr) second->resize(bins);
        for (std::size_t k = 1; k <= bins; ++k) {
            const Complex p = z[k], q = z[n - k];
            first[k - 1] = {0.5 * (p.re + q.re) * dt, 0.5 * (p.im - q.im) * dt};
            if (second != nullptr) {
                (*second)[k - 1] = {0.5 * (p.im + q.im) * dt, 0.5 * (q.re - p.re) * dt};
            }
        }
    };
    for (std::size_t w = 0; w < count; ++w) {
        auto part = [&](std::size_t c, std::size_t window) {
            return series[c].subspan(window * n, n);
        };
        transform_pair(part(0, w), part(1, w), result.spectra[w][0], &result.spectra[w][1]);
        if (w % 2 == 1) continue;
        const bool pair = w + 1 < count;
        transform_pair(part(2, w), pair ? part(2, w + 1) : part(2, w), result.spectra[w][2],
                       pair ? &result.spectra[w + 1][2] : nullptr);
    }
    return result;
}

}  // namespace wavespec::smoothing
