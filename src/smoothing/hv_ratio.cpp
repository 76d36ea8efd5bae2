#include "smoothing/hv_ratio.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace wavespec::smoothing {
namespace {

// sqrt((a^2 + b^2) / divisor) with the squares taken relative to the larger value, so that
// they neither overflow nor underflow; basic operations only, the same bits on every platform
// (the libraries' hypot differ), and exactly a for a == b with divisor 2.
double root_of_squares(double a, double b, double divisor) {
    double larger = std::max(a, b);
    if (!(larger > 0.0) || std::isinf(larger)) return larger;
    double x = a / larger, y = b / larger;
    return larger * std::sqrt((x * x + y * y) / divisor);
}

}  // namespace

double horizontal(HorizontalMean mean, double s1, double s2) {
    switch (mean) {
        case HorizontalMean::geometric:
            // As a product of roots, so that tiny or huge amplitudes do not under- or overflow.
            return std::sqrt(s1) * std::sqrt(s2);
        case HorizontalMean::quadratic:
            return root_of_squares(s1, s2, 2.0);
        case HorizontalMean::arithmetic:
            return (s1 + s2) / 2.0;
        case HorizontalMean::total:
            return root_of_squares(s1, s2, 1.0);
    }
    return std::sqrt(s1) * std::sqrt(s2);
}

std::vector<double> combined_horizontal(HorizontalMean mean, std::span<const double> horizontal1,
                                        std::span<const double> horizontal2) {
    std::vector<double> h(horizontal1.size());
    for (std::size_t k = 0; k < h.size(); ++k)
        h[k] = horizontal(mean, horizontal1[k], horizontal2[k]);
    return h;
}

std::vector<double> ratio(std::span<const double> numerator, std::span<const double> denominator) {
    std::vector<double> r(numerator.size());
    for (std::size_t k = 0; k < r.size(); ++k) r[k] = numerator[k] / denominator[k];
    return r;
}

}  // namespace wavespec::smoothing
