// Statistics of the H/V curves of ambient-noise windows: the lognormal mean curve and its
// spread, the peak, and the reliability and clarity criteria of SESAME (2004).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace wavespec::smoothing {

struct HvStatistics {
    std::vector<double> mean;          // exp(mean of ln HV_i) at every frequency
    std::vector<double> sigma_ln;      // standard deviation of ln HV_i, N - 1 in the denominator
    std::vector<double> window_peaks;  // frequency of each window's own maximum, Hz
};

// windows[w][k]: window w's H/V at frequencies[k]; at least two windows.
HvStatistics lognormal_statistics(std::span<const double> frequencies,
                                  std::span<const std::vector<double>> windows);

// Index of the largest value (the first of equal ones; NaN never counts as largest).
std::size_t peak_index(std::span<const double> curve);

// The thresholds of the stability criteria for a peak at f0: epsilon (Hz) on the spread of
// the windows' peak frequencies and theta on sigma_A(f0).
struct PeakThresholds {
    double epsilon;
    double theta;
};
PeakThresholds peak_thresholds(double f0);

struct Criterion {
    double value;      // the measured quantity
    double threshold;  // what it is held against
    bool passed;
};

struct SesameInput {
    std::span<const double> frequencies;
    std::span<const double> mean;      // A(f), the mean curve
    std::span<const double> sigma_ln;  // sigma_A(f) = exp(sigma_ln(f))
    double window_seconds = 0.0;       // l_w
    std::size_t windows = 0;           // n_w
    double peak_frequency_sd = 0.0;    // sigma_f of the windows' peak frequencies
};

struct SesameReport {
    double f0 = 0.0;
    double a0 = 0.0;
    // f0 > 10/l_w; n_c = l_w n_w f0 > 200; max sigma_A over 0.5 f0 < f < 2 f0 below 2 (3 when
    // f0 <= 0.5 Hz).
    std::array<Criterion, 3> reliability{};
    // min A over [f0/4, f0] below A0/2; min A over [f0, 4 f0] below A0/2; A0 > 2; largest
    // relative distance of the peaks of A sigma_A and A / sigma_A from f0 at most 0.05;
    // sigma_f < epsilon(f0); sigma_A(f0) < theta(f0).
    std::array<Criterion, 6> clarity{};
    bool reliable = false;  // all three reliability criteria
    bool clear = false;     // at least five of the six clarity criteria
};

SesameReport sesame_criteria(const SesameInput& input);

}  // namespace wavespec::smoothing
