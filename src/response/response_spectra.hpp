// Response spectra of a three-component record: for each damping and period, the peaks of the
// damped oscillator's relative displacement, relative velocity and absolute acceleration for
// each component, and RotD00, RotD50 and RotD100 of the first two (the horizontals, Boore
// 2010). Pure numerics: series in, numbers out.
#pragma once

#include <array>
#include <span>
#include <vector>

namespace wavespec::response {

struct Peaks {
    double displacement = 0.0;  // Sd = max |u|
    double velocity = 0.0;      // Sv = max |u'|
    double acceleration = 0.0;  // Sa = max |2 zeta w u' + w^2 u|
};

struct OscillatorPeaks {
    std::array<Peaks, 3> component;
    std::array<Peaks, 3> rotd;  // RotD00, RotD50, RotD100
};

// values[d][p]: damping d, period p, in the order given.
struct ResponseSpectra {
    std::vector<std::vector<OscillatorPeaks>> values;
};

// series: the three components' accelerations at interval dt (equal lengths, at least one
// sample); periods positive and finite, dampings in (0, 1). The oscillators are shared out
// among threads threads (the results do not depend on how many).
ResponseSpectra response_spectra(std::array<std::span<const double>, 3> series, double dt,
                                 std::span<const double> periods, std::span<const double> dampings,
                                 unsigned threads = 1);

// count periods from first to last, evenly spaced in their logarithm (count >= 2), the ends
// exact.
std::vector<double> log_spaced(double first, double last, int count);

// The 0th, 50th and 100th percentile of 180 values: the least, the mean of the two middle
// ones, the largest.
std::array<double, 3> rotd_percentiles(std::array<double, 180> values);

}  // namespace wavespec::response
