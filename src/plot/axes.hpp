// Axis ranges, ticks and their labels, and the mapping of values to pixels.
#pragma once

#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

namespace wavespec::plot {

struct Tick {
    double value = 0.0;
    std::string label;  // empty for a minor tick
};

// Maps [low, high] (their log10 when logarithmic) onto the pixels [from, to].
struct Scale {
    double low = 0.0, high = 1.0;
    double from = 0.0, to = 1.0;
    bool logarithmic = false;
    // The pixel of v; NaN when v cannot be placed (not finite, or not positive on a log scale).
    // Inline, so that loops over many samples keep the slope out of the loop.
    double pixel(double v) const {
        if (logarithmic) {
            if (!(v > 0.0)) return std::numeric_limits<double>::quiet_NaN();
            v = std::log10(v);
        }
        if (!std::isfinite(v)) return std::numeric_limits<double>::quiet_NaN();
        return from + (v - low) * ((to - from) / (high - low));
    }
};

// The decades that hold every positive finite value: {low exponent, high exponent}, at
// least one decade apart, and at most max_decades wide (cutting the low end). {0, 1} when
// there is no such value.
struct Decades {
    int low = 0, high = 1;
};
Decades decade_range(std::span<const std::span<const double>> series, int max_decades);

// Major ticks at every power of ten from 10^low to 10^high, labelled; minor ticks at 2..9.
std::vector<Tick> decade_ticks(Decades decades);
// The label of 10^exponent as a person writes it: 0.01, 0.1, 1, 10, 100, 1000, else 1e-3, 1e4.
std::string decade_label(int exponent);

// A range around [low, high] rounded out to a step of 1, 2 or 5 times a power of ten, with
// about target intervals; ticks at every step, labelled. {low, high} are updated.
std::vector<Tick> linear_ticks(double& low, double& high, int target);

}  // namespace wavespec::plot
