#include "smoothing/hv_statistics.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "spectral/portable_math.hpp"

namespace wavespec::smoothing {
namespace {

constexpr std::size_t kMostRejectionRounds = 50;

// The smallest mean value at frequencies from low to high inclusive (+inf when none; NaN
// when any there is NaN).
double lowest_between(const SesameInput& in, double low, double high) {
    double lowest = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < in.frequencies.size(); ++k) {
        if (in.frequencies[k] >= low && in.frequencies[k] <= high) {
            lowest = min_or_nan(lowest, in.mean[k]);
        }
    }
    return lowest;
}

// A criterion "value relation threshold", failed whenever the value is not finite.
Criterion judged(double value, double threshold, bool holds) {
    return {value, threshold, std::isfinite(value) && holds ? Verdict::pass : Verdict::fail};
}

Criterion not_judged(double threshold) {
    return {0.0, threshold, Verdict::not_judged};
}

// Passes when at least `needed` criteria pass, fails when too few could pass even if every
// criterion not judged passed, and is not judged between.
template <std::size_t N>
Verdict verdict_of(const std::array<Criterion, N>& criteria, std::size_t needed) {
    std::size_t passed = 0, open = 0;
    for (const Criterion& c : criteria) {
        passed += c.verdict == Verdict::pass;
        open += c.verdict == Verdict::not_judged;
    }
    if (passed >= needed) return Verdict::pass;
    return passed + open >= needed ? Verdict::not_judged : Verdict::fail;
}

}  // namespace

double sigma_a(double sigma_ln) {
    return portable_exp(sigma_ln);
}

double max_or_nan(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::numeric_limits<double>::quiet_NaN();
    return a < b ? b : a;
}

double min_or_nan(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::numeric_limits<double>::quiet_NaN();
    return b < a ? b : a;
}

Spread spread_of(std::span<const double> values) {
    Spread s;
    if (values.empty()) return s;
    for (double v : values) s.mean += v;
    s.mean /= static_cast<double>(values.size());
    if (values.size() < 2) return s;
    double squares = 0.0;
    for (double v : values) squares += (v - s.mean) * (v - s.mean);
    s.deviation = std::sqrt(squares / static_cast<double>(values.size() - 1));
    return s;
}

std::optional<std::size_t> peak_in_range(std::span<const double> frequencies,
                                         std::span<const double> curve, double low, double high) {
    std::optional<std::size_t> best;
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
        if (!(frequencies[k] >= low && frequencies[k] <= high)) continue;
        if (!best || curve[k] > curve[*best] || std::isnan(curve[*best])) best = k;
    }
    return best;
}

HvStatistics lognormal_statistics(std::span<const std::vector<double>> windows,
                                  const std::vector<bool>& kept) {
    HvStatistics stats;
    const std::size_t n = windows.empty() ? 0 : windows.front().size();
    stats.mean.resize(n);
    stats.sigma_ln.resize(n);
    std::vector<double> logs;
    for (std::size_t k = 0; k < n; ++k) {
        logs.clear();
        for (std::size_t w = 0; w < windows.size(); ++w) {
            if (kept.empty() || kept[w]) logs.push_back(portable_log(windows[w][k]));
        }
        const Spread s = spread_of(logs);
        stats.mean[k] = portable_exp(s.mean);
        stats.sigma_ln[k] = s.deviation;
    }
    return stats;
}

Rejection reject_windows(std::span<const double> peak_frequencies, double deviations) {
    Rejection r;
    r.kept.assign(peak_frequencies.size(), true);
    std::vector<double> logs;
    for (std::size_t kept = peak_frequencies.size();
         kept >= 2 && r.rounds < kMostRejectionRounds;) {
        ++r.rounds;
        logs.clear();
        for (std::size_t w = 0; w < peak_frequencies.size(); ++w) {
            if (r.kept[w]) logs.push_back(portable_log(peak_frequencies[w]));
        }
        const Spread s = spread_of(logs);
        const double low = portable_exp(s.mean - deviations * s.deviation);
        const double high = portable_exp(s.mean + deviations * s.deviation);
        std::vector<std::size_t> out;
        for (std::size_t w = 0; w < peak_frequencies.size(); ++w) {
            const double f = peak_frequencies[w];
            if (r.kept[w] && !(f >= low && f <= high)) out.push_back(w);
        }
        if (out.empty() || kept - out.size() < 2) break;
        for (std::size_t w : out) r.kept[w] = false;
        kept -= out.size();
    }
    return r;
}

PeakThresholds peak_thresholds(double f0) {
    if (f0 < 0.2) return {0.25 * f0, 3.0};
    if (f0 < 0.5) return {0.20 * f0, 2.5};
    if (f0 < 1.0) return {0.15 * f0, 2.0};
    if (f0 < 2.0) return {0.10 * f0, 1.78};
    return {0.05 * f0, 1.58};
}

std::optional<SesameReport> sesame_criteria(const SesameInput& in) {
    const auto found = peak_in_range(in.frequencies, in.mean, in.low, in.high);
    if (!found || in.windows < 1) return std::nullopt;
    const std::size_t peak = *found;
    const bool spread_known = in.windows >= 2;
    SesameReport r;
    r.f0 = in.frequencies[peak];
    r.a0 = in.mean[peak];
    const double f0 = r.f0;

    const double first = 10.0 / in.window_seconds;
    r.reliability[0] = judged(f0, first, f0 > first);
    const double cycles = in.window_seconds * static_cast<double>(in.windows) * f0;
    r.reliability[1] = judged(cycles, 200.0, cycles > 200.0);
    const double spread_limit = f0 > 0.5 ? 2.0 : 3.0;
    if (spread_known) {
        double spread = 0.0;  // largest sigma_A strictly between f0/2 and 2 f0
        for (std::size_t k = 0; k < in.frequencies.size(); ++k) {
            if (in.frequencies[k] > 0.5 * f0 && in.frequencies[k] < 2.0 * f0) {
                spread = max_or_nan(spread, sigma_a(in.sigma_ln[k]));
            }
        }
        r.reliability[2] = judged(spread, spread_limit, spread < spread_limit);
    } else {
        r.reliability[2] = not_judged(spread_limit);
    }

    const double half = r.a0 / 2.0;
    const double below = lowest_between(in, f0 / 4.0, f0);
    r.clarity[0] = judged(below, half, below < half);
    const double above = lowest_between(in, f0, 4.0 * f0);
    r.clarity[1] = judged(above, half, above < half);
    r.clarity[2] = judged(r.a0, 2.0, r.a0 > 2.0);
    const PeakThresholds limits = peak_thresholds(f0);
    if (spread_known) {
        std::vector<double> upper(in.mean.size()), lower(in.mean.size());
        for (std::size_t k = 0; k < in.mean.size(); ++k) {
            upper[k] = in.mean[k] * sigma_a(in.sigma_ln[k]);
            lower[k] = in.mean[k] / sigma_a(in.sigma_ln[k]);
        }
        const std::size_t up = *peak_in_range(in.frequencies, upper, in.low, in.high);
        const std::size_t down = *peak_in_range(in.frequencies, lower, in.low, in.high);
        const double shift =
            max_or_nan(std::fabs(in.frequencies[up] - f0), std::fabs(in.frequencies[down] - f0)) /
            f0;
        r.clarity[3] = judged(shift, 0.05, shift <= 0.05);
        const double sigma_at_peak = sigma_a(in.sigma_ln[peak]);
        r.clarity[5] = judged(sigma_at_peak, limits.theta, sigma_at_peak < limits.theta);
    } else {
        r.clarity[3] = not_judged(0.05);
        r.clarity[5] = not_judged(limits.theta);
    }
    if (spread_known && in.peak_frequency_sd) {
        const double sd = *in.peak_frequency_sd;
        r.clarity[4] = judged(sd, limits.epsilon, sd < limits.epsilon);
    } else {
        r.clarity[4] = not_judged(limits.epsilon);
    }
    r.reliable = verdict_of(r.reliability, 3);
    r.clear = verdict_of(r.clarity, 5);
    return r;
}

}  // namespace wavespec::smoothing
