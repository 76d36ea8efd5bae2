#include "processing/detrend.hpp"

namespace wavespec::processing {
namespace {

double mean_of(std::span<const double> series) {
    double sum = 0.0;
    for (double x : series) sum += x;
    return sum / static_cast<double>(series.size());
}

}  // namespace

void remove_mean(std::span<double> series) {
    if (series.empty()) return;
    const double mean = mean_of(series);
    for (double& x : series) x -= mean;
}

void remove_linear_trend(std::span<double> series) {
    const std::size_t n = series.size();
    if (n < 2) return remove_mean(series);
    // About the middle sample the abscissa's sum vanishes, and the slope is the covariance
    // over the abscissa's sum of squares, n (n^2 - 1) / 12, without cancellation.
    const double mean = mean_of(series);
    const double middle = 0.5 * static_cast<double>(n - 1);
    double covariance = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        covariance += (static_cast<double>(i) - middle) * (series[i] - mean);
    }
    const double count = static_cast<double>(n);
    const double squares = count * (count * count - 1.0) / 12.0;
    const double slope = covariance / squares;
    for (std::size_t i = 0; i < n; ++i) {
        series[i] -= mean + slope * (static_cast<double>(i) - middle);
    }
}

void apply_detrend(Detrend kind, std::span<double> series) {
    if (kind == Detrend::demean) remove_mean(series);
    if (kind == Detrend::linear) remove_linear_trend(series);
}

}  // namespace wavespec::processing
