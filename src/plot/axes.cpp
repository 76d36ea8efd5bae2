#include "plot/axes.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "records/number_chars.hpp"

namespace wavespec::plot {

Decades decade_range(std::span<const std::span<const double>> series, int max_decades) {
    double smallest = std::numeric_limits<double>::infinity(), largest = 0.0;
    for (auto values : series) {
        for (double v : values) {
            if (!std::isfinite(v) || v <= 0.0) continue;
            smallest = std::min(smallest, v);
            largest = std::max(largest, v);
        }
    }
    if (largest == 0.0) return {};
    // Nudges keep an exact power of ten inside its own decade despite log10's rounding.
    int high = static_cast<int>(std::ceil(std::log10(largest) - 1e-9));
    int low = static_cast<int>(std::floor(std::log10(smallest) + 1e-9));
    if (high <= low) high = low + 1;
    low = std::max(low, high - max_decades);
    return {low, high};
}

std::string decade_label(int exponent) {
    if (exponent >= -2 && exponent <= 3) {
        char buffer[16];
        auto r = fixed_chars(buffer, buffer + sizeof buffer, std::pow(10.0, exponent),
                             exponent < 0 ? -exponent : 0);
        return std::string(buffer, r.ptr);
    }
    return "1e" + std::to_string(exponent);
}

std::vector<Tick> decade_ticks(Decades decades) {
    std::vector<Tick> ticks;
    for (int e = decades.low; e <= decades.high; ++e) {
        double decade = std::pow(10.0, e);
        ticks.push_back({decade, decade_label(e)});
        if (e == decades.high) break;
        for (int m = 2; m <= 9; ++m) ticks.push_back({m * decade, {}});
    }
    return ticks;
}

std::vector<Tick> linear_ticks(double& low, double& high, int target) {
    // Bounds keep every step and tick number finite and every count small.
    if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0.0;
    low = std::clamp(low, -1e300, 1e300);
    high = std::clamp(high, -1e300, 1e300);
    if (!(high - low > 1e-300 && high - low > std::fabs(low) * 1e-12)) {
        // One value (or none): a small range around it.
        double centre = low;
        double half = std::fabs(centre) < 1e-290 ? 1.0 : std::fabs(centre) * 0.1;
        if (std::fabs(centre) < 1e-290) centre = 0.0;
        low = centre - half;
        high = centre + half;
    }
    double rough = (high - low) / std::max(target, 1);
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= rough) break;
    }
    long first = static_cast<long>(std::floor(low / step + 1e-9));
    long last = static_cast<long>(std::ceil(high / step - 1e-9));
    low = static_cast<double>(first) * step;
    high = static_cast<double>(last) * step;
    int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    std::vector<Tick> ticks;
    for (long k = first; k <= last; ++k) {
        double v = static_cast<double>(k) * step;
        char buffer[64];
        auto r = fixed_chars(buffer, buffer + sizeof buffer, v, decimals);
        std::string label(buffer, r.ptr);
        if (label.starts_with('-') && label.find_first_not_of("-0.") == std::string::npos) {
            label.erase(0, 1);  // no "-0"
        }
        ticks.push_back({v, label});
    }
    return ticks;
}

}  // namespace wavespec::plot
