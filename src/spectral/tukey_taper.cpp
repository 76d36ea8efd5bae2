#include "spectral/tukey_taper.hpp"

#include <cmath>
#include <numbers>

#include "spectral/portable_math.hpp"

namespace wavespec {

std::vector<double> tukey_weights(std::size_t n, double fraction) {
    std::vector<double> weights(n, 1.0);
    if (n == 0 || !(fraction > 0.0)) return weights;
    const double w = fraction * static_cast<double>(n - 1) / 2.0;
    const auto last = static_cast<std::size_t>(std::floor(w));
    // k = 0 is set apart: its weight is 0 by definition, and w may be 0 (n = 1).
    weights[0] = weights[n - 1] = 0.0;
    for (std::size_t k = 1; k <= last && k < n; ++k) {
        const double value =
            0.5 * (1.0 - portable_sin_cos(std::numbers::pi * static_cast<double>(k) / w).cos);
        weights[k] = weights[n - 1 - k] = value;
    }
    return weights;
}

void apply_tukey_taper(std::span<double> series, double fraction) {
    if (!(fraction > 0.0)) return;
    const std::vector<double> weights = tukey_weights(series.size(), fraction);
    for (std::size_t i = 0; i < series.size(); ++i) series[i] *= weights[i];
}

}  // namespace wavespec
