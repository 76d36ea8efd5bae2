#include "spectral/time_window.hpp"

#include <cmath>

namespace wavespec {

std::optional<std::int32_t> samples_in(double seconds, double dt) {
    double quotient = seconds / dt;
    if (!std::isfinite(quotient)) return std::nullopt;
    double truncated = std::trunc(quotient);
    if (truncated < -2147483648.0 || truncated > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(truncated);
}

void cut_window(std::span<const double> source, std::int32_t nstime, std::span<double> out) {
    auto capacity = static_cast<std::int64_t>(source.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        std::int64_t k = static_cast<std::int64_t>(i) + 1 + nstime;
        out[i] = (k >= 1 && k <= capacity) ? source[static_cast<std::size_t>(k - 1)] : 0.0;
    }
}

}  // namespace wavespec
