#include "smoothing/hv_ratio.hpp"

#include <cmath>
#include <numbers>

namespace wavespec::smoothing {

double horizontal(HorizontalMean mean, double s1, double s2) {
    switch (mean) {
        case HorizontalMean::geometric:
            // As a product of roots, so that tiny or huge amplitudes do not under- or overflow.
            return std::sqrt(s1) * std::sqrt(s2);
        case HorizontalMean::quadratic:
            // hypot keeps the squares from overflowing; / sqrt(2) is the mean of two squares.
            return std::hypot(s1, s2) / std::numbers::sqrt2;
        case HorizontalMean::arithmetic:
            return (s1 + s2) / 2.0;
        case HorizontalMean::total:
            return std::hypot(s1, s2);
    }
    return std::sqrt(s1) * std::sqrt(s2);
}

std::vector<double> hv_ratio(HorizontalMean mean, std::span<const double> horizontal1,
                             std::span<const double> horizontal2,
                             std::span<const double> vertical) {
    std::vector<double> ratio(vertical.size());
    for (std::size_t k = 0; k < vertical.size(); ++k) {
        ratio[k] = horizontal(mean, horizontal1[k], horizontal2[k]) / vertical[k];
    }
    return ratio;
}

}  // namespace wavespec::smoothing
