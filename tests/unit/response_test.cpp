// Response spectra and ground-motion measures against their definitions: the analytic cases
// of the damped oscillator (a step, a resonant sine, steady states at other frequency ratios),
// RotD of identical horizontals, the measures of a sine, and the short periods (one to three
// sampling intervals) against a reference computed here by brute force: the record's exact
// band-limited response, from its spectrum times the oscillator's transfer function, at 64
// points per sampling interval. Each checked to a tolerance that proves the 0.1 % claim.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "response/ground_motion.hpp"
#include "response/lane_step.hpp"
#include "response/oscillator.hpp"
#include "response/peak_search.hpp"
#include "response/response_spectra.hpp"
#include "response/rotated_measures.hpp"
#include "spectral/mixed_fft.hpp"

namespace wavespec::response {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kClaim = 1e-3;  // every value within 0.1 % of its definition

using Series = std::vector<double>;

OscillatorPeaks peaks_of(const Series& a, const Series& b, const Series& c, double dt,
                         double period, double damping) {
    const double periods[] = {period}, dampings[] = {damping};
    return response_spectra({a, b, c}, dt, periods, dampings).values[0][0];
}

double relative(double value, double expected) {
    return std::fabs(value / expected - 1.0);
}

// ---------------------------------------------------------------- building blocks

// Through the plan's own work space and through the caller's (a plan shared by threads), for
// lengths of the direct stages and of the chirp-z form (106 = 2 x 53).
TEST(ResponseMath, MixedTransformIsTheDiscreteFourierTransform) {
    for (std::size_t n : {1u, 2u, 12u, 45u, 64u, 106u, 360u, 750u})
        for (bool shared : {false, true}) {
            std::vector<Complex> x(n), y(n);
            for (std::size_t i = 0; i < n; ++i) {
                double k = static_cast<double>(i);
                x[i] = {std::sin(0.3 * k * k + 1.0), std::cos(0.7 * k)};
            }
            y = x;
            MixedFft plan(n);
            std::vector<Complex> work(plan.work_size());
            if (shared) {
                std::as_const(plan).transform(y.data(), false, work.data());
            } else {
                plan.transform(y.data(), false);
            }
            for (std::size_t m = 0; m < n; ++m) {
                double re = 0.0, im = 0.0;
                for (std::size_t p = 0; p < n; ++p) {
                    double angle =
                        -kTwoPi * static_cast<double>(p * m % n) / static_cast<double>(n);
                    re += x[p].re * std::cos(angle) - x[p].im * std::sin(angle);
                    im += x[p].re * std::sin(angle) + x[p].im * std::cos(angle);
                }
                EXPECT_NEAR(y[m].re, re, 1e-12 * static_cast<double>(n)) << n << " " << m;
                EXPECT_NEAR(y[m].im, im, 1e-12 * static_cast<double>(n)) << n << " " << m;
            }
        }
    EXPECT_EQ(smooth_length(32768 + 192), 33750u);
    EXPECT_EQ(smooth_length(7), 8u);
}

TEST(ResponseMath, StepIsExactForFreeVibrationAndConstantInput) {
    const Oscillator o{kTwoPi / 0.5, 0.05};
    const double wd = o.omega * std::sqrt(1.0 - o.zeta * o.zeta), s = o.zeta * o.omega;
    for (double h : {1e-4, 0.01, 0.3}) {
        StepCoefficients k = step_coefficients(o, h);
        EXPECT_NEAR(k.uu, std::exp(-s * h) * (std::cos(wd * h) + s / wd * std::sin(wd * h)), 1e-14);
        EXPECT_NEAR(k.uv * o.omega, std::exp(-s * h) * std::sin(wd * h) * o.omega / wd, 1e-14);
        // A constant input keeps the static displacement -a / w^2 and no velocity.
        double u = -1.0 / (o.omega * o.omega);
        EXPECT_NEAR((k.uu * u + k.ua0 + k.ua1) / u, 1.0, 1e-13) << h;
        EXPECT_NEAR(k.vu * u + k.va0 + k.va1, 0.0, 1e-13) << h;
    }
}

// ---------------------------------------------------------------- analytic cases

// A step of acceleration a0 held for 40 periods: the peak displacement overshoots the static
// one by the damped overshoot, PSA / a0 = 1 + exp(-pi zeta / sqrt(1 - zeta^2)).
TEST(ResponseSpectra, StepOfAcceleration) {
    const double dt = 0.01, a0 = 50.0;
    for (double zeta : {0.02, 0.05, 0.2}) {
        for (double period : {1.0, 2.0}) {
            Series step(static_cast<std::size_t>(40 * period / dt), a0), zero(step.size(), 0.0);
            OscillatorPeaks p = peaks_of(step, zero, zero, dt, period, zeta);
            double omega = kTwoPi / period;
            double expected = 1.0 + std::exp(-kPi * zeta / std::sqrt(1.0 - zeta * zeta));
            EXPECT_LT(relative(omega * omega * p.component[0].displacement / a0, expected), 2e-4)
                << zeta << " " << period;
            EXPECT_LT(p.component[1].displacement, 1e-12 * p.component[0].displacement);
        }
    }
}

// A sine at the oscillator's own frequency for 60 cycles, starting and ending at zero: the
// response grows to the steady state, PSA -> A / (2 zeta), Sv -> A / (2 zeta w),
// Sa -> A sqrt(1 + 4 zeta^2) / (2 zeta).
TEST(ResponseSpectra, LongResonantSine) {
    const double dt = 0.005, amplitude = 30.0, period = 0.4, zeta = 0.05;
    const double omega = kTwoPi / period;
    Series sine(static_cast<std::size_t>(60 * period / dt) + 1), zero(sine.size(), 0.0);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = amplitude * std::sin(omega * dt * static_cast<double>(i));
    }
    OscillatorPeaks p = peaks_of(sine, zero, zero, dt, period, zeta);
    EXPECT_LT(relative(omega * omega * p.component[0].displacement, amplitude / (2 * zeta)), 2e-4);
    EXPECT_LT(relative(p.component[0].velocity, amplitude / (2 * zeta * omega)), 2e-4);
    EXPECT_LT(relative(p.component[0].acceleration,
                       amplitude * std::sqrt(1 + 4 * zeta * zeta) / (2 * zeta)),
              2e-4);
}

// Steady states at other frequency ratios: a sine of ratio b = w_in / w, brought in and out
// smoothly over 40 s each and held for 40 s, so that no transient is left (nearer resonance
// the oscillator takes longer to forget the ramps), PSA = A / sqrt((1 - b^2)^2 + (2 zeta b)^2).
TEST(ResponseSpectra, SteadyStateAmplification) {
    const double dt = 0.02, amplitude = 10.0, period = 0.5, zeta = 0.05;
    const double omega = kTwoPi / period;
    for (double ratio : {0.25, 0.5, 0.7, 1.3, 1.5, 3.0}) {
        const double w_in = ratio * omega;
        const double ramp = 40.0, duration = 3 * ramp;
        Series input(static_cast<std::size_t>(duration / dt)), zero(input.size(), 0.0);
        for (std::size_t i = 0; i < input.size(); ++i) {
            double t = dt * static_cast<double>(i);
            double edge = std::min({1.0, t / ramp, (duration - t) / ramp});
            double x = std::max(edge, 0.0), envelope = x * x * x * (10 - 15 * x + 6 * x * x);
            input[i] = amplitude * envelope * std::sin(w_in * t);
        }
        OscillatorPeaks p = peaks_of(input, zero, zero, dt, period, zeta);
        double d = 1.0 - ratio * ratio, e = 2.0 * zeta * ratio;
        double expected = amplitude / std::sqrt(d * d + e * e);
        EXPECT_LT(relative(omega * omega * p.component[0].displacement, expected), 2e-4) << ratio;
        EXPECT_LT(relative(p.component[0].velocity, expected * ratio / omega), 2e-4) << ratio;
    }
}

// Identical horizontals move along the diagonal: RotD00 = 0, RotD50 = the component's value,
// RotD100 = sqrt(2) times it, for every quantity.
TEST(ResponseSpectra, RotdOfIdenticalHorizontals) {
    const double dt = 0.01;
    Series a(1500), c(1500, 0.0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        double t = dt * static_cast<double>(i);
        a[i] =
            100 * std::exp(-std::pow((t - 6) / 2, 2)) * (std::sin(7 * t) + 0.5 * std::sin(23 * t));
    }
    for (double period : {0.05, 0.5, 3.0}) {
        OscillatorPeaks p = peaks_of(a, a, c, dt, period, 0.05);
        const Peaks& one = p.component[0];
        for (auto [rotd, component] : {std::pair{p.rotd[0].displacement, one.displacement},
                                       {p.rotd[0].velocity, one.velocity},
                                       {p.rotd[0].acceleration, one.acceleration}}) {
            EXPECT_LE(rotd, 1e-12 * component) << period;
        }
        EXPECT_LT(relative(p.rotd[1].displacement, one.displacement), 1e-12) << period;
        EXPECT_LT(relative(p.rotd[1].acceleration, one.acceleration), 1e-12) << period;
        EXPECT_LT(relative(p.rotd[2].displacement, std::sqrt(2.0) * one.displacement), 1e-12);
        EXPECT_LT(relative(p.rotd[2].velocity, std::sqrt(2.0) * one.velocity), 1e-12);
    }
}

// Horizontals nearly in proportion (a channel of noise a billion times weaker): the path is a
// thin sliver, and RotD100 is still the live component's peak, RotD50 its peak times cos 45.
TEST(ResponseSpectra, RotdOfANearlyDeadChannel) {
    const double dt = 0.01;
    Series a(2000), b(2000), c(2000, 0.0);
    unsigned long long state = 7;
    for (std::size_t i = 0; i < a.size(); ++i) {
        double t = dt * static_cast<double>(i);
        a[i] =
            100 * std::exp(-std::pow((t - 8) / 3, 2)) * (std::sin(5 * t) + 0.4 * std::sin(31 * t));
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        b[i] = 1e-7 * (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5);
    }
    for (double period : {0.05, 0.3, 1.0, 3.0}) {
        OscillatorPeaks p = peaks_of(a, b, c, dt, period, 0.05);
        EXPECT_LT(relative(p.rotd[2].displacement, p.component[0].displacement), 1e-6) << period;
        EXPECT_LT(relative(p.rotd[2].acceleration, p.component[0].acceleration), 1e-6) << period;
        EXPECT_LT(relative(p.rotd[1].velocity, std::sqrt(0.5) * p.component[0].velocity), 1e-6);
    }
}

// Knots offered without stray (as the peaks read at instants are) leave every angle's peak the
// largest |x cos + y sin| over them, computed here directly: paths round, thin and spiralling
// outwards, of lengths either side of the knots that wait to be taken together.
TEST(ResponseSpectra, RotatedPeaksOfKnotsAgainstDirectMaxima) {
    struct Path {
        double ax, ay, growth;
        int knots;
    };
    for (Path path : {Path{1, 1, 0, 1}, Path{1, 0.3, 0, 7}, Path{2, 0.01, 0, 9},
                      Path{1, 1, 0.05, 8}, Path{1, 0.6, 0.02, 300}, Path{0.2, 3, 0.5, 17}}) {
        RotatedPeaks rp;
        std::vector<double> xs, ys;
        for (int i = 0; i < path.knots; ++i) {
            const double t = 0.37 * i, scale = 1 + path.growth * i;
            xs.push_back(scale * path.ax * std::cos(t));
            ys.push_back(scale * path.ay * std::sin(t + 0.4));
            rp.offer_knot(xs.back(), ys.back(), {});
        }
        const std::array<double, kAngles> peaks = rp.peaks();
        for (int j = 0; j < kAngles; ++j) {
            const double c = std::cos(j * std::numbers::pi / 180),
                         s = std::sin(j * std::numbers::pi / 180);
            double most = 0;
            for (std::size_t i = 0; i < xs.size(); ++i)
                most = std::max(most, std::fabs(c * xs[i] + s * ys[i]));
            EXPECT_NEAR(peaks[j], most, 1e-14 * (1 + most)) << path.knots << " knots, angle " << j;
        }
    }
}

// A knot or arc that is not finite, before the hull holds the centre or after, makes every
// rotated peak NaN; the hull takes none of them (its comparisons with NaN all fail, and its
// point list once doubled with each such knot).
TEST(ResponseSpectra, RotatedPeaksOfNonFiniteKnots) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Bad {
        double x, y, slope;
    };
    for (int finite_first : {0, 1, 8}) {
        for (Bad bad :
             {Bad{nan, 1, 0}, Bad{1, nan, 0}, Bad{inf, 0, 0}, Bad{0, -inf, 0}, Bad{1, 2, nan}}) {
            RotatedPeaks rp;
            for (int i = 0; i < finite_first; ++i) {
                double x = std::cos(i * 0.7), y = std::sin(i * 0.7);
                if (rp.may_shape(x, y, {})) rp.take_knot(x, y);
            }
            for (int i = 0; i < 24; ++i) {
                if (bad.slope == 0 && rp.may_shape(bad.x, bad.y, {})) rp.take_knot(bad.x, bad.y);
                rp.take_arc({bad.x, bad.y, bad.slope, 0, 0.5, 0.5, 0, 0, 0.1, {}});
            }
            for (double p : rp.peaks()) EXPECT_TRUE(std::isnan(p)) << finite_first;
        }
    }
}

// Two oscillators stepped together over knots, samples and resampled series (three instants
// a sample from instant 5) against the recursion written out here one lane at a time: the
// same states and largest magnitudes, to the last bit.
TEST(ResponseSpectra, PairsSteppedTogetherFollowTheRecursion) {
    Stepper steppers[2];
    for (int r = 0; r < 2; ++r) {
        const Oscillator o{kTwoPi / (0.05 + 0.3 * r), 0.05 - 0.03 * r};
        steppers[r] = {step_coefficients(o, 0.004), 2 * o.zeta * o.omega, o.omega * o.omega};
    }
    Series x[3];
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 120; ++i) x[c].push_back(std::sin(0.7 * i + c) * (10 + i % 7));
    }
    auto input = [&](int kind, int i, int l) {
        auto lane = [&](int c) {
            const int m = 5 + i, at = m / 3, j = m % 3;
            if (kind < 2 || j == 0) return x[c][kind < 2 ? i : at];
            return x[c][at] + (x[c][at + 1] - x[c][at]) * (static_cast<double>(j) / 3);
        };
        return l < 3 ? lane(l) : lane(0) + lane(1);
    };
    std::vector<double> knots;
    for (int i = 0; i < 120 * kLanes; ++i) knots.push_back(input(0, i / kLanes, i % kLanes));
    for (int kind : {0, 1, 2}) {
        for (int count : {0, 1, 7, 100}) {
            alignas(32) double state[2][2 * kLanes], largest[2][3 * kLanes], expected[2][5][kLanes];
            for (int r = 0; r < 2; ++r) {
                const Stepper& s = steppers[r];
                for (int l = 0; l < kLanes; ++l) {
                    double u = 0.5 * (l + 1) - r, v = 0.25 * l + r;
                    state[r][l] = u, state[r][kLanes + l] = v;
                    double y = -s.damping_term * v + -s.stiffness * u;
                    double mu = std::fabs(u), mv = std::fabs(v), my = std::fabs(y);
                    for (int i = 1; i <= count; ++i) {
                        const double b = input(kind, i - 1, l), a = input(kind, i, l);
                        const double un = s.k.uu * u + (s.k.uv * v + (s.k.ua0 * b + s.k.ua1 * a));
                        const double vn = s.k.vv * v + (s.k.vu * u + (s.k.va0 * b + s.k.va1 * a));
                        u = un, v = vn, y = -s.damping_term * v + -s.stiffness * u;
                        mu = std::max(mu, std::fabs(u)), mv = std::max(mv, std::fabs(v));
                        my = std::max(my, std::fabs(y));
                    }
                    const double values[5] = {u, v, mu, mv, my};
                    for (int k = 0; k < 5; ++k) expected[r][k][l] = values[k];
                }
            }
            const LeanPair pair{
                {&steppers[0], &steppers[1]}, {state[0], state[1]}, {largest[0], largest[1]}};
            const std::array<const double*, 3> series = {x[0].data(), x[1].data(), x[2].data()};
            const double fractions[3] = {0.0, 1.0 / 3, 2.0 / 3};
            if (kind == 0) step_chunk_lean_pair(knots.data(), count, pair);
            if (kind == 1) step_samples_lean_pair(series, count, pair);
            if (kind == 2) step_resampled_lean_pair(series, 5, 3, fractions, count, pair);
            for (int r = 0; r < 2; ++r) {
                for (int k = 0; k < 5; ++k) {
                    for (int l = 0; l < kLanes; ++l) {
                        const double got =
                            k < 2 ? state[r][k * kLanes + l] : largest[r][(k - 2) * kLanes + l];
                        EXPECT_EQ(got, expected[r][k][l]) << kind << count << r << k << l;
                    }
                }
            }
        }
    }
}

// ---------------------------------------------------------------- against brute force

// The reference: the record's band-limited response at 64 points per sampling interval, as
// the inverse transform of its spectrum (the record followed by many zeros) times the
// oscillator's transfer function, the Nyquist bin split between +fN and -fN; peaks refined by
// a parabola through the largest point and its neighbours. quantity 0: u, 1: u', 2: 2zw u' + w^2 u.
std::vector<Series> dense_responses(const std::vector<Series>& record, double dt, double period,
                                    double zeta, std::size_t length, int dense) {
    const std::size_t fine = length * static_cast<std::size_t>(dense);
    const double w0 = kTwoPi / period;
    std::vector<Series> out;
    for (const Series& x : record) {
        std::vector<Complex> spectrum(length);
        for (std::size_t i = 0; i < x.size(); ++i) spectrum[i] = {x[i], 0.0};
        MixedFft(length).transform(spectrum.data(), false);
        for (int q = 0; q < 3; ++q) {
            std::vector<Complex> y(fine);
            for (std::size_t k = 0; k <= length / 2; ++k) {
                double w = kTwoPi * static_cast<double>(k) / (static_cast<double>(length) * dt);
                double dr = w0 * w0 - w * w, di = 2 * zeta * w0 * w, den = dr * dr + di * di;
                double hr = -dr / den, hi = di / den;  // H_u = -1 / (w0^2 - w^2 + 2i zeta w0 w)
                double vr = -w * hi, vi = w * hr;      // H_u' = i w H_u
                double gr = q == 0 ? hr : q == 1 ? vr : 2 * zeta * w0 * vr + w0 * w0 * hr;
                double gi = q == 0 ? hi : q == 1 ? vi : 2 * zeta * w0 * vi + w0 * w0 * hi;
                double half = length % 2 == 0 && k == length / 2 ? 0.5 : 1.0;
                Complex v{half * (spectrum[k].re * gr - spectrum[k].im * gi),
                          half * (spectrum[k].re * gi + spectrum[k].im * gr)};
                y[k] = v;
                if (k > 0) y[fine - k] = {v.re, -v.im};
            }
            MixedFft(fine).transform(y.data(), true);
            Series values(fine);
            for (std::size_t j = 0; j < fine; ++j)
                values[j] = y[j].re / static_cast<double>(length);
            out.push_back(std::move(values));
        }
    }
    return out;  // [component * 3 + quantity]
}

double refined_peak(const Series& v) {
    std::size_t at = 0;
    for (std::size_t j = 1; j < v.size(); ++j) {
        if (std::fabs(v[j]) > std::fabs(v[at])) at = j;
    }
    double a = std::fabs(v[(at + v.size() - 1) % v.size()]), b = std::fabs(v[at]);
    double c = std::fabs(v[(at + 1) % v.size()]), d = a - 2 * b + c;
    return d < 0 ? b - 0.125 * (a - c) * (a - c) / d : b;
}

// A record rich in content up to 0.95 of the Nyquist frequency, under a smooth bell so that
// its band-limited signal is the same whatever the zeros after it.
TEST(ResponseSpectra, ShortPeriodsAgainstBruteForce) {
    const double dt = 0.01;
    const std::size_t n = 400;
    std::vector<Series> record(3, Series(n));
    for (std::size_t i = 0; i < n; ++i) {
        double t = dt * static_cast<double>(i), bell = std::exp(-std::pow((t - 2.0) / 0.6, 2));
        for (int c = 0; c < 3; ++c) {
            record[c][i] = 100 * bell *
                           (std::sin(kTwoPi * (47.5 - 2 * c) * t + c) +
                            0.8 * std::sin(kTwoPi * (31 + 5 * c) * t) +
                            0.5 * std::sin(kTwoPi * (3 + c) * t + 1));
        }
    }
    const double zeta = 0.05;
    // One, two, three sampling intervals, and forty (whose free vibration needs longer zeros).
    for (double samples : {1.0, 2.0, 3.0, 40.0}) {
        const double period = samples * dt;
        OscillatorPeaks p = peaks_of(record[0], record[1], record[2], dt, period, zeta);
        std::vector<Series> dense =
            dense_responses(record, dt, period, zeta, samples < 10 ? 1024 : 4096, 64);
        for (int c = 0; c < 3; ++c) {
            const Peaks& got = p.component[c];
            EXPECT_LT(relative(got.displacement, refined_peak(dense[c * 3])), kClaim / 4)
                << samples;
            EXPECT_LT(relative(got.velocity, refined_peak(dense[c * 3 + 1])), kClaim / 4)
                << samples;
            EXPECT_LT(relative(got.acceleration, refined_peak(dense[c * 3 + 2])), kClaim / 4)
                << samples;
        }
        // RotD of the displacement and the absolute acceleration: every angle's peak over the
        // dense points.
        for (int q : {0, 2}) {
            std::array<double, 180> rotated{};
            for (int j = 0; j < 180; ++j) {
                double cj = std::cos(kPi * j / 180), sj = std::sin(kPi * j / 180);
                Series projection(dense[q].size());
                for (std::size_t i = 0; i < projection.size(); ++i) {
                    projection[i] = cj * dense[q][i] + sj * dense[3 + q][i];
                }
                rotated[j] = refined_peak(projection);
            }
            std::array<double, 3> expected = rotd_percentiles(rotated);
            for (int r = 0; r < 3; ++r) {
                double got = q == 0 ? p.rotd[r].displacement : p.rotd[r].acceleration;
                EXPECT_LT(relative(got, expected[r]), kClaim / 4) << samples << " " << q << r;
            }
        }
    }
}

// The peaks of the exact band-limited response (u, u', 2zw u' + w^2 u) to x, from the
// spectrum of x followed by zeros to `length` times the transfer function: the values at 4
// points per sampling interval (dense_responses), then each local peak within 8 % of the
// largest refined by golden sections over its neighbours, the value at any time summed
// directly over the bins.
std::array<double, 3> exact_peaks(const Series& x, double dt, double period, double zeta,
                                  std::size_t length) {
    constexpr std::size_t kDense = 4;
    const double w0 = kTwoPi / period, h = dt / static_cast<double>(kDense);
    std::vector<Complex> spectrum(length);
    for (std::size_t i = 0; i < x.size(); ++i) spectrum[i] = {x[i], 0.0};
    MixedFft(length).transform(spectrum.data(), false);
    const std::vector<Series> dense = dense_responses({x}, dt, period, zeta, length, kDense);
    std::array<double, 3> peaks{};
    for (int q = 0; q < 3; ++q) {
        std::vector<std::complex<double>> bins(length / 2 + 1);
        for (std::size_t k = 0; k < bins.size(); ++k) {
            const double w = kTwoPi * static_cast<double>(k) / (static_cast<double>(length) * dt);
            const auto u = -1.0 / std::complex<double>(w0 * w0 - w * w, 2 * zeta * w0 * w);
            const auto v = std::complex<double>(0.0, w) * u;
            const auto g = q == 0 ? u : q == 1 ? v : 2 * zeta * w0 * v + w0 * w0 * u;
            // Bins 1 .. L/2 - 1 stand for their negative partners too; the Nyquist bin for itself.
            const double weight = k == 0 || k == length / 2 ? 1.0 : 2.0;
            bins[k] = weight / static_cast<double>(length) *
                      std::complex<double>(spectrum[k].re, spectrum[k].im) * g;
        }
        auto value_at = [&](double t) {
            const auto turn = std::polar(1.0, kTwoPi * t / (static_cast<double>(length) * dt));
            std::complex<double> at = 1.0;
            double sum = 0.0;
            for (const std::complex<double>& b : bins) {
                sum += (b * at).real();
                at *= turn;
            }
            return std::fabs(sum);
        };
        const Series& y = dense[q];
        const std::size_t fine = y.size();
        double& best = peaks[q];
        for (double v : y) best = std::max(best, std::fabs(v));
        const double coarse = best, r = 0.5 * (std::sqrt(5.0) - 1.0);
        for (std::size_t j = 0; j < fine; ++j) {
            const double here = std::fabs(y[j]);
            if (here < 0.92 * coarse || here < std::fabs(y[(j + fine - 1) % fine]) ||
                here < std::fabs(y[(j + 1) % fine])) {
                continue;
            }
            double a = (static_cast<double>(j) - 1.0) * h, b = (static_cast<double>(j) + 1.0) * h;
            double c = b - r * (b - a), d = a + r * (b - a), vc = value_at(c), vd = value_at(d);
            for (int i = 0; i < 50; ++i) {
                if (vc > vd) {
                    b = d, d = c, vd = vc, c = b - r * (b - a), vc = value_at(c);
                } else {
                    a = c, c = d, vc = vd, d = a + r * (b - a), vd = value_at(d);
                }
            }
            best = std::max({best, vc, vd});
        }
    }
    return peaks;
}

// Noise at heavy damping (the free vibration after the record dies within a few 1/w while its
// damped period grows without bound), and the Nyquist period T = 2 dt at light damping on a
// record that steps to 1 and back and on noise, within the bound stated for each damping.
TEST(ResponseSpectra, HeavyDampingAndTheNyquistPeriodAgainstTheExactResponse) {
    const double dt = 0.01;
    std::mt19937_64 random(3);
    std::normal_distribution<double> normal;
    Series noise(3000), steps(1000, 1.0);
    for (double& v : noise) v = normal(random);
    struct Case {
        std::vector<const Series*> records;
        std::vector<double> periods, dampings;
        double bound;
    };
    const Case cases[] = {
        {{&noise}, {0.1, 0.3, 10.0, 100.0}, {0.5, 0.9, 0.9999, 0.999999}, 1e-4},
        {{&steps, &noise}, {2 * dt}, {0.05, 0.01}, 1e-4},
        {{&steps, &noise}, {2 * dt}, {0.005}, 2e-3},
        {{&steps, &noise}, {2 * dt}, {0.002, 0.001}, 2e-2},
    };
    for (const Case& c : cases) {
        for (const Series* x : c.records) {
            for (double period : c.periods) {
                for (double zeta : c.dampings) {
                    const Peaks got = peaks_of(*x, *x, *x, dt, period, zeta).component[0];
                    const double values[] = {got.displacement, got.velocity, got.acceleration};
                    const std::array<double, 3> exact = exact_peaks(*x, dt, period, zeta, 65536);
                    for (int q = 0; q < 3; ++q) {
                        EXPECT_LT(relative(values[q], exact[q]), c.bound)
                            << "T " << period << " zeta " << zeta << " quantity " << q << ": "
                            << values[q] << " against " << exact[q];
                    }
                }
            }
        }
    }
}

// The band-limited signal has zeros before and after the record for ever, so zeros written
// after it change nothing: every value of records of several lengths (odd, prime) with and
// without 500 zeros. A random walk ends far from zero and rings most; the bell dies out.
TEST(ResponseSpectra, TrailingZerosChangeNothing) {
    const double dt = 0.01, periods[] = {0.02, 0.03, 0.0517, 0.2, 1.3, 4.3, 8.1};
    const double dampings[] = {0.02, 0.05};
    for (std::size_t n : {97u, 300u, 1009u, 4096u}) {
        for (bool walk : {true, false}) {
            std::vector<Series> record(3, Series(n)), padded(3);
            std::uint64_t seed = n;
            for (int c = 0; c < 3; ++c) {
                double sum = 0.0;
                for (std::size_t i = 0; i < n; ++i) {
                    seed = seed * 6364136223846793005u + 1442695040888963407u;
                    double u = static_cast<double>(seed >> 11) * 0x1p-53 - 0.5;
                    double x = static_cast<double>(i) / static_cast<double>(n);
                    sum += u;
                    record[c][i] = walk ? sum : 300 * u * x * std::exp(-6 * x);
                }
                padded[c] = record[c];
                padded[c].resize(n + 500, 0.0);
            }
            auto a = response_spectra({record[0], record[1], record[2]}, dt, periods, dampings);
            auto b = response_spectra({padded[0], padded[1], padded[2]}, dt, periods, dampings);
            for (std::size_t d = 0; d < 2; ++d) {
                for (std::size_t p = 0; p < std::size(periods); ++p) {
                    const OscillatorPeaks &x = a.values[d][p], &y = b.values[d][p];
                    std::vector<std::pair<Peaks, Peaks>> rows;
                    for (int c = 0; c < 3; ++c) rows.push_back({x.component[c], y.component[c]});
                    for (int c = 0; c < 3; ++c) rows.push_back({x.rotd[c], y.rotd[c]});
                    for (int c = 0; c < 2; ++c) rows.push_back({x.gmrot[c], y.gmrot[c]});
                    for (const auto& [u, v] : rows) {
                        EXPECT_LT(relative(u.displacement, v.displacement), 1e-4) << n << walk << p;
                        EXPECT_LT(relative(u.velocity, v.velocity), 1e-4) << n << walk << p;
                        EXPECT_LT(relative(u.acceleration, v.acceleration), 1e-4) << n << walk << p;
                    }
                }
            }
        }
    }
}

// ---------------------------------------------------------------- measures

// A sine of amplitude A over D: Ia = pi A^2 D / (4 g), CAV = 2 A D / pi, D5-95 = 0.9 D,
// D5-75 = 0.7 D (A in cm/s^2, Ia in m/s). Whole half-periods fall on the 5, 75 and 95 % times.
// Integrated from rest, v = A/w (1 - cos wt) and d = A/w (t - sin(wt)/w): PGV = 2A/w, PGD = AD/w.
TEST(GroundMotion, SineOfAmplitudeOverDuration) {
    const double dt = 0.01, amplitude = 200.0, duration = 20.0, frequency = 0.5;
    Series a(static_cast<std::size_t>(duration / dt) + 1);
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = amplitude * std::sin(kTwoPi * frequency * dt * static_cast<double>(i));
    }
    GroundMotion g = ground_motion(a, dt);
    const double a_si = amplitude / 100.0;
    EXPECT_LT(relative(g.arias, kPi * a_si * a_si * duration / (4 * kGravity)), 1e-12);
    EXPECT_LT(relative(g.cav, 2 * amplitude * duration / kPi), 2e-4);
    EXPECT_LT(relative(g.d5_95, 0.9 * duration), 1e-9);
    EXPECT_LT(relative(g.d5_75, 0.7 * duration), 1e-9);
    EXPECT_LT(relative(g.pga, amplitude), 1e-12);
    const double w = kTwoPi * frequency;
    EXPECT_LT(relative(g.pgv, 2 * amplitude / w), 2e-4);
    EXPECT_LT(relative(g.pgd, amplitude * duration / w), 2e-4);
}

// Velocity and displacement start from rest and keep the mean (the trapezoid rule, exact for
// these): a constant 1 over n samples gives v = (n - 1) dt, d = (n - 1)^2 dt^2 / 2; a NaN
// sample makes every peak NaN instead of being passed over.
TEST(GroundMotion, IntegratedFromRest) {
    const double dt = 0.5, nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        Series a;
        double pgv, pgd;
    };
    for (const Case& c :
         {Case{{1, 1, 1, 1}, 3 * dt, 4.5 * dt * dt}, Case{{1}, 0, 0},
          Case{{0, 2, 0, -2, 0}, 2 * dt, 4 * dt * dt}, Case{{-1, -1, -1}, 2 * dt, 2 * dt * dt}}) {
        GroundMotion g = ground_motion(c.a, dt);
        EXPECT_EQ(g.pgv, c.pgv);
        EXPECT_EQ(g.pgd, c.pgd);
    }
    GroundMotion g = ground_motion(Series{1, nan, 1, 1}, dt);
    EXPECT_TRUE(std::isnan(g.pga) && std::isnan(g.pgv) && std::isnan(g.pgd));
}

TEST(ResponseSpectra, PeriodsSpacedInTheirLogarithm) {
    std::vector<double> periods = log_spaced(0.01, 10, 100);
    ASSERT_EQ(periods.size(), 100u);
    EXPECT_EQ(periods.front(), 0.01);
    EXPECT_EQ(periods.back(), 10.0);
    for (std::size_t i = 1; i < periods.size(); ++i) {
        EXPECT_NEAR(periods[i] / periods[i - 1], std::pow(1000.0, 1.0 / 99), 1e-12);
    }
    std::array<double, 180> values{};
    for (int j = 0; j < 180; ++j) values[j] = 179 - j;
    EXPECT_EQ(rotd_percentiles(values), (std::array<double, 3>{0.0, 89.5, 179.0}));
}

// ---------------------------------------------------------------- straight lines between samples

TEST(PiecewiseLinear, SubstepsPerSample) {
    struct Case {
        double dt, period;
        int k;
    };
    // 10 dt / T = 1 in exact arithmetic but not in double (0.1 / 0.03 * 0.3 and the like) must
    // still give the integer; just above an integer gives the next one.
    for (Case c : {Case{0.005, 0.05, 1}, Case{0.01, 0.1, 1}, Case{0.01, 0.05, 2},
                   Case{0.02, 0.0666666666666666, 3}, Case{0.01, 0.03, 4}, Case{0.01, 0.0999, 2},
                   Case{0.005, 0.02, 3}, Case{0.01, 20.0, 1}, Case{0.01, 0.001, 100}}) {
        EXPECT_EQ(substeps_per_sample(c.dt, c.period), c.k) << c.dt << " " << c.period;
    }
}

// The responses at the instants m dt / k to the record taken as straight lines between its
// samples, by the classical fourth-order Runge-Kutta method at 64 steps per instant: columns
// u, u', -(2 zeta w u' + w^2 u) of each component (component * 3 + quantity).
std::vector<Series> stepped_responses(const std::vector<Series>& record, double dt, double period,
                                      double zeta, int k) {
    const double w = kTwoPi / period, h = dt / k / 64;
    std::vector<Series> out;
    for (const Series& a : record) {
        auto input = [&](double t) {
            std::size_t i = std::min(static_cast<std::size_t>(t / dt), a.size() - 2);
            double f = t / dt - static_cast<double>(i);
            return a[i] + (a[i + 1] - a[i]) * f;
        };
        auto accel = [&](double t, double u, double v) {
            return -input(t) - 2 * zeta * w * v - w * w * u;
        };
        Series u_at{0.0}, v_at{0.0};
        double u = 0, v = 0;
        for (std::size_t m = 1; m < (a.size() - 1) * k + 1; ++m) {
            for (int s = 0; s < 64; ++s) {
                double t = (static_cast<double>(m - 1) * 64.0 + s) * h;
                double k1u = v, k1v = accel(t, u, v);
                double k2u = v + h / 2 * k1v, k2v = accel(t + h / 2, u + h / 2 * k1u, k2u);
                double k3u = v + h / 2 * k2v, k3v = accel(t + h / 2, u + h / 2 * k2u, k3u);
                double k4u = v + h * k3v, k4v = accel(t + h, u + h * k3u, k4u);
                u += h / 6 * (k1u + 2 * k2u + 2 * k3u + k4u);
                v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
            }
            u_at.push_back(u);
            v_at.push_back(v);
        }
        Series y(u_at.size());
        for (std::size_t i = 0; i < y.size(); ++i)
            y[i] = -(2 * zeta * w * v_at[i] + w * w * u_at[i]);
        out.insert(out.end(), {u_at, v_at, y});
    }
    return out;
}

double largest(const Series& v) {
    double m = 0;
    for (double x : v) m = std::max(m, std::fabs(x));
    return m;
}

std::array<double, 180> rotated_peaks(const Series& x, const Series& y) {
    std::array<double, 180> peaks{};
    for (int j = 0; j < 180; ++j) {
        double c = std::cos(kPi * j / 180), s = std::sin(kPi * j / 180);
        for (std::size_t i = 0; i < x.size(); ++i) {
            peaks[j] = std::max(peaks[j], std::fabs(c * x[i] + s * y[i]));
        }
    }
    return peaks;
}

// A record with content up to the Nyquist frequency, ending on a large value (no free
// vibration may follow it), against the stepped reference at periods of k = 1 to 10 substeps
// (10 dt exactly among them; neighbours of equal k, stepped in pairs, too): every component, RotD
// and GMRotD50 of each quantity, and the GMRotI50 angle against a brute-force search of the penalty
// over the reference's peaks.
TEST(PiecewiseLinear, AgainstRungeKuttaAtAFinerStep) {
    const double dt = 0.01, zeta = 0.05;
    const std::size_t n = 300;
    std::vector<Series> record(3, Series(n));
    for (std::size_t i = 0; i < n; ++i) {
        double t = dt * static_cast<double>(i);
        for (int c = 0; c < 3; ++c) {
            record[c][i] = 100 * (std::sin(kTwoPi * (41.0 + 3 * c) * t + c) +
                                  0.7 * std::sin(kTwoPi * (2.5 + c) * t) + 0.3 * (c + 1) * t);
        }
    }
    const std::vector<double> periods = {0.01, 0.023, 0.024, 0.1, 0.35, 1.3};
    const double dampings[] = {zeta};
    ResponseSpectra got = response_spectra({record[0], record[1], record[2]}, dt, periods, dampings,
                                           2, Convention::piecewise_linear);
    std::vector<GeometricMeans> reference_means;
    for (std::size_t p = 0; p < periods.size(); ++p) {
        std::vector<Series> ref =
            stepped_responses(record, dt, periods[p], zeta, substeps_per_sample(dt, periods[p]));
        const OscillatorPeaks& g = got.values[0][p];
        for (int q = 0; q < 3; ++q) {
            auto pick = [q](const Peaks& v) {
                return q == 0 ? v.displacement : q == 1 ? v.velocity : v.acceleration;
            };
            for (int c = 0; c < 3; ++c) {
                EXPECT_LT(relative(pick(g.component[c]), largest(ref[c * 3 + q])), 1e-9) << p;
            }
            std::array<double, 180> rotated = rotated_peaks(ref[q], ref[3 + q]);
            std::array<double, 3> rotd = rotd_percentiles(rotated);
            for (int r = 0; r < 3; ++r) EXPECT_LT(relative(pick(g.rotd[r]), rotd[r]), 1e-9) << p;
            GeometricMeans means = geometric_means(rotated);
            EXPECT_LT(relative(pick(g.gmrot[0]), gmrotd50(means)), 1e-9) << p;
            if (q == 0) reference_means.push_back(means);
        }
    }
    auto penalty = [&](int angle) {
        double sum = 0;
        for (const GeometricMeans& m : reference_means) {
            std::array<double, 90> sorted = m;
            std::sort(sorted.begin(), sorted.end());
            sum += std::pow(m[angle] / (0.5 * (sorted[44] + sorted[45])) - 1, 2);
        }
        return sum / static_cast<double>(reference_means.size());
    };
    double least = penalty(0);
    for (int j = 1; j < 90; ++j) least = std::min(least, penalty(j));
    EXPECT_LE(penalty(got.gmroti_angles[0]), least + 1e-9);
}

// ---------------------------------------------------------------- GMRotD50 and GMRotI50

// Horizontals that are one series s along the direction alpha: the peak at theta is
// S |cos(theta - alpha)|, so GM(theta) = S sqrt(|sin 2(theta - alpha)| / 2), and the median of
// the 90 angles is S (sqrt(sin 44 / 2) + sqrt(sin 46 / 2)) / 2 for every whole alpha.
TEST(GeometricMeanRotated, OneSeriesAlongAKnownDirection) {
    const double dt = 0.01;
    Series s(500), zero(500, 0.0);
    for (std::size_t i = 0; i < s.size(); ++i) {
        double t = dt * static_cast<double>(i);
        s[i] = 50 * std::sin(kTwoPi * 1.7 * t) * std::exp(-t) + 20 * std::sin(kTwoPi * 6.1 * t);
    }
    const double degree = kPi / 180, median_factor = 0.5 * (std::sqrt(std::sin(44 * degree) / 2) +
                                                            std::sqrt(std::sin(46 * degree) / 2));
    for (Convention convention : {Convention::band_limited, Convention::piecewise_linear}) {
        // The band-limited peaks between knots come from a search good to 1e-5 here.
        const double tolerance = convention == Convention::band_limited ? 1e-5 : 1e-9;
        for (double alpha : {0.0, 17.0, 90.0, 133.0}) {
            Series x(s.size()), y(s.size());
            for (std::size_t i = 0; i < s.size(); ++i) {
                x[i] = s[i] * std::cos(alpha * degree);
                y[i] = s[i] * std::sin(alpha * degree);
            }
            const double periods[] = {0.05, 0.4}, dampings[] = {0.05};
            ResponseSpectra along =
                response_spectra({s, zero, zero}, dt, periods, dampings, 1, convention);
            ResponseSpectra rotated =
                response_spectra({x, y, zero}, dt, periods, dampings, 1, convention);
            for (int p = 0; p < 2; ++p) {
                const Peaks& one = along.values[0][p].component[0];
                const Peaks& gm = rotated.values[0][p].gmrot[0];
                EXPECT_LT(relative(gm.displacement, one.displacement * median_factor), tolerance)
                    << alpha;
                EXPECT_LT(relative(gm.acceleration, one.acceleration * median_factor), tolerance)
                    << alpha;
                // GMRotI50 is one of the angles nearest the median, here within 1 %.
                EXPECT_LT(relative(rotated.values[0][p].gmrot[1].displacement, gm.displacement),
                          0.01)
                    << alpha;
            }
        }
    }
}

TEST(GeometricMeanRotated, AngleTiesGoToTheSmallest) {
    struct Case {
        std::vector<GeometricMeans> periods;
        int angle;
    };
    GeometricMeans steps{}, flat{}, none{}, dip{}, rounding{};
    for (int j = 0; j < 90; ++j) {
        steps[j] = j < 40 ? 2.0 : 1.0;  // median 1: every angle from 40 on misses by nothing
        flat[j] = 3.0;
        dip[j] = j == 70 ? 1.0 : j < 45 ? 2.0 : 4.0;  // median 3: 70 misses by 2/3, others by 1/3
        rounding[j] = j < 45 ? 2.0 : 4.0;
    }
    // Median 3: angles 20 and 70 meet it but for one unit in the last place, a tie.
    rounding[20] = std::nextafter(3.0, 4.0);
    rounding[70] = 3.0;
    for (const Case& c : {Case{{steps}, 40}, Case{{flat}, 0}, Case{{none, steps}, 40},
                          Case{{dip}, 0}, Case{{}, 0}, Case{{rounding}, 20}}) {
        EXPECT_EQ(gmroti_angle(c.periods), c.angle);
    }
}

}  // namespace
}  // namespace wavespec::response
