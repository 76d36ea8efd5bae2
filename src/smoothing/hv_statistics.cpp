#include "smoothing/hv_statistics.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "spectral/portable_math.hpp"

namespace wavespec::smoothing {
namespace {

double mean_of(std::span<const double> values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

double sample_deviation(std::span<const double> values, double mean) {
    double sum = 0.0;
    for (double v : values) sum += (v - mean) * (v - mean);
    return std::sqrt(sum / static_cast<double>(values.size() - 1));
}

// The smallest mean value at frequencies from low to high inclusive (+inf when none).
double lowest_between(const SesameInput& in, double low, double high) {
    double lowest = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < in.frequencies.size(); ++k) {
        if (in.frequencies[k] >= low && in.frequencies[k] <= high) {
            lowest = std::min(lowest, in.mean[k]);
        }
    }
    return lowest;
}

}  // namespace

std::size_t peak_index(std::span<const double> curve) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < curve.size(); ++k) {
        if (curve[k] > curve[best] || std::isnan(curve[best])) best = k;
    }
    return best;
}

HvStatistics lognormal_statistics(std::span<const double> frequencies,
                                  std::span<const std::vector<double>> windows) {
    HvStatistics stats;
    std::size_t n = frequencies.size();
    stats.mean.resize(n);
    stats.sigma_ln.resize(n);
    std::vector<double> logs(windows.size());
    for (std::size_t k = 0; k < n; ++k) {
        for (std::size_t w = 0; w < windows.size(); ++w) logs[w] = portable_log(windows[w][k]);
        double mean_ln = mean_of(logs);
        stats.mean[k] = portable_exp(mean_ln);
        stats.sigma_ln[k] = sample_deviation(logs, mean_ln);
    }
    for (const auto& curve : windows) stats.window_peaks.push_back(frequencies[peak_index(curve)]);
    return stats;
}

PeakThresholds peak_thresholds(double f0) {
    if (f0 < 0.2) return {0.25 * f0, 3.0};
    if (f0 < 0.5) return {0.20 * f0, 2.5};
    if (f0 < 1.0) return {0.15 * f0, 2.0};
    if (f0 < 2.0) return {0.10 * f0, 1.78};
    return {0.05 * f0, 1.58};
}

SesameReport sesame_criteria(const SesameInput& in) {
    SesameReport r;
    if (in.frequencies.empty() || in.windows < 2) return r;
    std::size_t peak = peak_index(in.mean);
    r.f0 = in.frequencies[peak];
    r.a0 = in.mean[peak];
    double f0 = r.f0;

    double first = 10.0 / in.window_seconds;
    r.reliability[0] = {f0, first, f0 > first};
    double cycles = in.window_seconds * static_cast<double>(in.windows) * f0;
    r.reliability[1] = {cycles, 200.0, cycles > 200.0};
    double spread = 0.0;  // largest sigma_A strictly between f0/2 and 2 f0
    for (std::size_t k = 0; k < in.frequencies.size(); ++k) {
        if (in.frequencies[k] > 0.5 * f0 && in.frequencies[k] < 2.0 * f0) {
            spread = std::max(spread, portable_exp(in.sigma_ln[k]));
        }
    }
    double spread_limit = f0 > 0.5 ? 2.0 : 3.0;
    r.reliability[2] = {spread, spread_limit, spread < spread_limit};

    double half = r.a0 / 2.0;
    double below = lowest_between(in, f0 / 4.0, f0);
    r.clarity[0] = {below, half, below < half};
    double above = lowest_between(in, f0, 4.0 * f0);
    r.clarity[1] = {above, half, above < half};
    r.clarity[2] = {r.a0, 2.0, r.a0 > 2.0};
    std::vector<double> upper(in.mean.size()), lower(in.mean.size());
    for (std::size_t k = 0; k < in.mean.size(); ++k) {
        double sigma_a = portable_exp(in.sigma_ln[k]);
        upper[k] = in.mean[k] * sigma_a;
        lower[k] = in.mean[k] / sigma_a;
    }
    double shift = std::max(std::fabs(in.frequencies[peak_index(upper)] - f0),
                            std::fabs(in.frequencies[peak_index(lower)] - f0)) /
                   f0;
    r.clarity[3] = {shift, 0.05, shift <= 0.05};
    PeakThresholds limits = peak_thresholds(f0);
    r.clarity[4] = {in.peak_frequency_sd, limits.epsilon, in.peak_frequency_sd < limits.epsilon};
    double sigma_at_peak = portable_exp(in.sigma_ln[peak]);
    r.clarity[5] = {sigma_at_peak, limits.theta, sigma_at_peak < limits.theta};

    r.reliable = std::all_of(r.reliability.begin(), r.reliability.end(),
                             [](const Criterion& c) { return c.passed; });
    r.clear = std::count_if(r.clarity.begin(), r.clarity.end(),
                            [](const Criterion& c) { return c.passed; }) >= 5;
    return r;
}

}  // namespace wavespec::smoothing
