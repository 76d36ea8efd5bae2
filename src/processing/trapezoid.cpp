#include "processing/trapezoid.hpp"

namespace wavespec::processing {

std::vector<double> trapezoid_integral(std::span<const double> series, double dt) {
    std::vector<double> integral(series.size(), 0.0);
    for (std::size_t i = 1; i < series.size(); ++i) {
        integral[i] = integral[i - 1] + dt * (series[i] + series[i - 1]) / 2.0;
    }
    return integral;
}

}  // namespace wavespec::processing
