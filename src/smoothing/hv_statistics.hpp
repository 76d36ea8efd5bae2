// Statistics of the H/V curves of ambient-noise windows: the lognormal mean curve and its
// spread, the peaks, the frequency-domain rejection of windows of Cox et al. (2020), and the
// reliability and clarity criteria of SESAME (2004).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace wavespec::smoothing {

// sigma_A = e^(sigma_ln): the factor of one standard deviation of a lognormal curve.
double sigma_a(double sigma_ln);

// The larger and the smaller of two values, NaN when either is NaN.
double max_or_nan(double a, double b);
double min_or_nan(double a, double b);

struct HvStatistics {
    std::vector<double> mean;      // exp(mean of ln HV_i) at every frequency
    std::vector<double> sigma_ln;  // standard deviation of ln HV_i, N - 1 in the denominator;
                                   // 0 for a single window
};

// windows[w][k]: window w's H/V at frequency k; the statistics of those with kept[w] (at
// least one). kept empty: every window.
HvStatistics lognormal_statistics(std::span<const std::vector<double>> windows,
                                  const std::vector<bool>& kept = {});

// The mean and the standard deviation (N - 1; 0 for one value) of values.
struct Spread {
    double mean = 0.0;
    double deviation = 0.0;
};
Spread spread_of(std::span<const double> values);

// Index of the largest value among the frequencies within [low, high] (the first of equal
// ones); nothing when no frequency lies there. The one peak search of the mean curve, of each
// window's curve and of the pictures.
std::optional<std::size_t> peak_in_range(std::span<const double> frequencies,
                                         std::span<const double> curve, double low, double high);

// Cox et al. (2020): the windows whose peak frequency lies outside e^(mu_ln -+ n sigma_ln) of
// the kept windows' peak frequencies are rejected, round by round, until a round rejects none,
// after 50 rounds, or when fewer than two windows would remain (that round rejects none).
struct Rejection {
    std::vector<bool> kept;
    std::size_t rounds = 0;  // rounds run, the last (rejecting none) included
};
Rejection reject_windows(std::span<const double> peak_frequencies, double deviations);

// The thresholds of the stability criteria for a peak at f0: epsilon (Hz) on the spread of
// the windows' peak frequencies and theta on sigma_A(f0).
struct PeakThresholds {
    double epsilon;
    double theta;
};
PeakThresholds peak_thresholds(double f0);

enum class Verdict { fail, pass, not_judged };

struct Criterion {
    double value = 0.0;      // the measured quantity
    double threshold = 0.0;  // what it is held against
    Verdict verdict = Verdict::fail;
    bool passed() const { return verdict == Verdict::pass; }
};

struct SesameInput {
    std::span<const double> frequencies;
    std::span<const double> mean;      // A(f), the mean curve
    std::span<const double> sigma_ln;  // sigma_A(f) = exp(sigma_ln(f))
    double window_seconds = 0.0;       // l_w
    std::size_t windows = 0;           // n_w, the kept windows
    // sigma_f of the windows' peak frequencies; nothing when no window has a peak to count.
    std::optional<double> peak_frequency_sd;
    double low = 0.0, high = 1e300;  // where f0 is searched, Hz
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
    Verdict reliable = Verdict::fail;  // all three reliability criteria
    Verdict clear = Verdict::fail;     // at least five of the six clarity criteria
};

// A value that is not finite never passes. With one window, the criteria of the spread
// (sigma_A, the peaks of A sigma_A, sigma_f, sigma_A(f0)) are not judged, nor sigma_f when
// no window peak was found; a verdict that those could turn is not judged either. Nothing
// when no frequency lies in [low, high].
std::optional<SesameReport> sesame_criteria(const SesameInput& input);

}  // namespace wavespec::smoothing
