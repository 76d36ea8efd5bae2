#include "processing/hann_taper.hpp"

#include <numbers>

#include "spectral/portable_math.hpp"

namespace wavespec::processing {

void apply_hann_taper(std::span<double> series, double fraction) {
    const std::size_t n = series.size();
    if (n < 2 || !(fraction > 0.0)) return;
    const double m = fraction * static_cast<double>(n - 1);
    for (std::size_t k = 0; static_cast<double>(k) < m; ++k) {
        const double weight =
            0.5 * (1.0 - portable_sin_cos(std::numbers::pi * static_cast<double>(k) / m).cos);
        series[k] *= weight;
        series[n - 1 - k] *= weight;
    }
}

}  // namespace wavespec::processing
