// The processing steps against truths computed here: the formulas of the Hann taper, the
// Converse-Brady pads and the prewarped Butterworth magnitude, a long-double cascade of the
// filter's poles one by one, and a long-double Gram-Schmidt fit of the baseline.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "processing/hann_taper.hpp"
#include "processing/polynomial_baseline.hpp"
#include "processing/processing_chain.hpp"
#include "processing/snr_corners.hpp"
#include "processing/trapezoid.hpp"

namespace wavespec::processing {
namespace {

using Real = long double;
using Cx = std::complex<Real>;
constexpr Real kPi = std::numbers::pi_v<Real>;

// A record with a trend, low and high frequencies and a pulse.
std::vector<double> test_record(std::size_t n, double dt) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * dt;
        x[i] = 3.0 + 0.2 * t + std::sin(2 * std::numbers::pi * 0.05 * t) +
               2.0 * std::sin(2 * std::numbers::pi * 1.3 * t) +
               0.5 * std::cos(2 * std::numbers::pi * 31.0 * t) + (i == n / 3 ? 40.0 : 0.0);
    }
    return x;
}

double peak(const std::vector<double>& x) {
    double p = 0.0;
    for (double v : x) p = std::max(p, std::fabs(v));
    return p;
}

TEST(Processing, DetrendLeavesNoMeanAndNoSlope) {
    for (Detrend kind : {Detrend::demean, Detrend::linear}) {
        for (std::size_t n : {1u, 2u, 7u, 1000u}) {
            std::vector<double> x = test_record(n, 0.01);
            // The least-squares line in long double, from the normal equations of two unknowns.
            Real st = 0, sx = 0, stt = 0, stx = 0;
            for (std::size_t i = 0; i < n; ++i) {
                st += i, sx += x[i], stt += Real(i) * i, stx += Real(i) * x[i];
            }
            const Real det = n * stt - st * st;
            const Real slope = kind == Detrend::linear && n > 1 ? (n * stx - st * sx) / det : 0;
            const Real offset = (sx - slope * st) / n;
            std::vector<double> expected(n);
            for (std::size_t i = 0; i < n; ++i) {
                expected[i] = static_cast<double>(x[i] - offset - slope * Real(i));
            }
            apply_detrend(kind, x);
            for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(x[i], expected[i], 1e-12) << n << i;
        }
    }
}

TEST(Processing, HannTaperByItsDefinition) {
    for (std::size_t n : {2u, 3u, 11u, 100u, 101u}) {
        for (double fraction : {0.0, 0.05, 0.3, 0.5}) {
            std::vector<double> x(n, 1.0);
            apply_hann_taper(x, fraction);
            const Real m = Real(fraction) * Real(n - 1);
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t from_end = std::min(k, n - 1 - k);
                const Real w = from_end < m ? 0.5L * (1 - std::cos(kPi * from_end / m)) : 1;
                EXPECT_NEAR(x[k], static_cast<double>(w), 1e-15) << n << " " << fraction;
            }
        }
    }
}

TEST(Processing, PadLengthsFromTheirFormulas) {
    struct Case {
        int order;
        double corner, dt;
        std::int64_t samples, before;
    };
    // ceil(1.5 order / (fc dt)): 6000 exactly (no spurious 6001), 17142.86 up to 17143.
    for (Case c : {Case{4, 0.1, 0.01, 6000, 3000}, Case{4, 0.07, 0.005, 17143, 8571},
                   Case{1, 0.5, 0.02, 150, 75}, Case{8, 0.02, 0.01, 60000, 30000}}) {
        ProcessingSteps steps;
        steps.pad = PadRequest{.transient = true};
        steps.filters[1].highpass = Corner{c.corner, c.order};
        steps.filters[2].highpass = Corner{c.corner * 2, c.order};  // the smallest corner wins
        auto pads = pads_for(steps, c.dt, 1 << 24);
        ASSERT_TRUE(pads);
        EXPECT_EQ(pads->total(), c.samples);
        EXPECT_EQ(pads->before, c.before);
        EXPECT_FALSE(pads_for(steps, c.dt, c.samples - 1));
    }
    EXPECT_EQ(*pad_samples_for(2.5, 0.01, 1000), 250);
    EXPECT_EQ(split_pads(7).before, 3);
    EXPECT_EQ(split_pads(7).after, 4);
}

// |H| of the cascade at f, every product in long double from the sections' coefficients.
Real cascade_magnitude(const std::vector<Section>& cascade, double f, double dt) {
    const Cx zi = std::exp(Cx(0, -2 * kPi * Real(f) * Real(dt)));
    Cx h = 1;
    for (const Section& s : cascade) {
        h *= (Real(s.b0) + zi * (Real(s.b1) + zi * Real(s.b2))) /
             (1.0L + zi * (Real(s.a1) + zi * Real(s.a2)));
    }
    return std::abs(h);
}

TEST(Processing, ButterworthMagnitudeWithin1e11OfItsFormula) {
    const double dt = 0.01;
    Real worst = 0;
    for (Band band : {Band::lowpass, Band::highpass}) {
        for (int order = kLowestOrder; order <= kHighestOrder; ++order) {
            for (int c = 0; c < 12; ++c) {
                const double fc = 1e-3 * std::pow(450.0, c / 11.0) / dt;  // 1e-3 .. 0.45 fs
                const auto cascade = butterworth_sections(band, order, fc, dt);
                for (int j = 0; j < 50; ++j) {
                    const double f = 1e-4 * std::pow(4900.0, j / 49.0) / dt;  // to 0.49 fs
                    const Real ratio =
                        std::tan(kPi * Real(f) * Real(dt)) / std::tan(kPi * Real(fc) * Real(dt));
                    const Real power = band == Band::lowpass ? 2 * order : -2 * order;
                    const Real expected = 1 / std::sqrt(1 + std::pow(ratio, power));
                    const Real error = std::fabs(cascade_magnitude(cascade, f, dt) / expected - 1);
                    worst = std::max(worst, error);
                    EXPECT_LT(error, 1e-11) << order << " " << fc << " " << f;
                }
            }
        }
    }
    std::printf("largest relative error of |H|: %.3Le\n", worst);
}

// The filter pole by pole: each prototype pole scaled by the prewarped corner, mapped by the
// bilinear transform, run as a complex first-order section (direct form, long double) with
// its zero at z = -1 or 1 and unit gain at zero or Nyquist frequency.
void truth_filter(std::vector<Cx>& x, Band band, int order, double fc, double dt, bool backward) {
    const Real k = std::tan(kPi * Real(fc) * Real(dt));
    const Real zero = band == Band::lowpass ? -1 : 1;
    const std::size_t n = x.size();
    for (int m = 0; m < order; ++m) {
        const Cx s = k * std::exp(Cx(0, kPi * Real(2 * m + order + 1) / Real(2 * order)));
        const Cx pole = (1.0L + s) / (1.0L - s);
        const Cx g = band == Band::lowpass ? (1.0L - pole) / 2.0L : (1.0L + pole) / 2.0L;
        Cx w_prev = 0;
        for (std::size_t j = 0; j < n; ++j) {
            Cx& v = x[backward ? n - 1 - j : j];
            const Cx w = v + pole * w_prev;
            v = g * (w - zero * w_prev);
            w_prev = w;
        }
    }
}

TEST(Processing, FilteredRecordWithin1e10OfALongDoubleCascade) {
    struct Case {
        std::optional<Corner> highpass, lowpass;
        bool causal;
    };
    const double dt = 0.01;
    for (Case c : {Case{Corner{0.1, 4}, Corner{20.0, 4}, false}, Case{Corner{0.05, 3}, {}, false},
                   Case{{}, Corner{8.0, 5}, true}, Case{Corner{0.2, 8}, Corner{45.0, 1}, true},
                   Case{Corner{0.02, 2}, Corner{1.0, 6}, false}}) {
        ProcessingSteps steps;
        steps.pad = PadRequest{.transient = false, .seconds = 30.0};
        for (auto& f : steps.filters) f = {c.highpass, c.lowpass};
        steps.causal = c.causal;
        const std::vector<double> record = test_record(6000, dt);
        const ProcessedRecord out = process_record({record, record, record}, dt, steps);
        ASSERT_EQ(out.pads.before, 1500);
        std::vector<Cx> x(out.acceleration[0].size(), 0);
        for (std::size_t i = 0; i < record.size(); ++i) x[i + 1500] = record[i];
        for (bool backward : {false, true}) {
            if (backward && c.causal) break;
            if (c.highpass)
                truth_filter(x, Band::highpass, c.highpass->order, c.highpass->hz, dt, backward);
            if (c.lowpass)
                truth_filter(x, Band::lowpass, c.lowpass->order, c.lowpass->hz, dt, backward);
        }
        const double scale = peak(out.acceleration[2]);
        for (std::size_t i = 0; i < x.size(); ++i) {
            ASSERT_NEAR(out.acceleration[2][i], static_cast<double>(x[i].real()), 1e-10 * scale)
                << i;
        }
    }
}

TEST(Processing, TrapezoidIntegralsOfALineAreExact) {
    TrapezoidIntegrals running;
    for (double t : {0.5, 1.0, 1.5, 2.0}) running.step(t - 0.5, t, 0.5);  // a = t
    // v = t^2 / 2 at the samples: 0, 0.125, 0.5, 1.125, 2; d = sum of 0.25 (v_i + v_i-1).
    EXPECT_EQ(running.velocity, 2.0);
    EXPECT_EQ(running.displacement, 1.375);
}

// The baseline of a 2^20-sample record against a modified Gram-Schmidt fit in long double.
TEST(Processing, BaselineOfALongRecordWithin1e8OfALongDoubleFit) {
    const std::size_t n = std::size_t{1} << 20;
    const double dt = 0.005;
    std::vector<double> a(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double u = static_cast<double>(i) / static_cast<double>(n - 1);
        a[i] = 0.3 + 0.01 * u - 0.2 * u * u + std::sin(2 * std::numbers::pi * 1e3 * u) +
               std::exp(-50 * (u - 0.4) * (u - 0.4));
    }
    std::vector<Real> v(n, 0), d(n, 0);
    for (std::size_t i = 1; i < n; ++i) {
        v[i] = v[i - 1] + Real(dt) * (Real(a[i]) + a[i - 1]) / 2;
        d[i] = d[i - 1] + Real(dt) * (v[i] + v[i - 1]) / 2;
    }
    // Columns t^2 .. t^6 (t scaled to [0, 1]) made orthonormal, and d projected on them.
    std::vector<std::vector<Real>> q(5, std::vector<Real>(n));
    std::vector<std::vector<Real>> r(5, std::vector<Real>(5, 0));
    for (std::size_t j = 0; j < 5; ++j) {
        for (std::size_t i = 0; i < n; ++i) q[j][i] = std::pow(Real(i) / Real(n - 1), j + 2);
        for (std::size_t l = 0; l < j; ++l) {
            Real dot = 0;
            for (std::size_t i = 0; i < n; ++i) dot += q[l][i] * q[j][i];
            for (std::size_t i = 0; i < n; ++i) q[j][i] -= dot * q[l][i];
            r[l][j] = dot;
        }
        Real norm = 0;
        for (Real x : q[j]) norm += x * x;
        norm = std::sqrt(norm);
        for (Real& x : q[j]) x /= norm;
        r[j][j] = norm;
    }
    std::vector<Real> beta(5, 0), qd(5, 0);
    for (std::size_t j = 0; j < 5; ++j) {
        for (std::size_t i = 0; i < n; ++i) qd[j] += q[j][i] * d[i];
    }
    for (std::size_t j = 5; j-- > 0;) {
        Real sum = qd[j];
        for (std::size_t l = j + 1; l < 5; ++l) sum -= r[j][l] * beta[l];
        beta[j] = sum / r[j][j];
    }
    q.clear();
    const Real duration = Real(n - 1) * dt;
    std::vector<Real> corrected(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Real u = Real(i) / Real(n - 1);
        Real curvature = 0;
        for (int p = 2; p <= 6; ++p) {
            curvature += p * (p - 1) * beta[p - 2] * std::pow(u, p - 2) / (duration * duration);
        }
        corrected[i] = a[i] - curvature;
    }
    std::vector<Real> cv(n, 0), cd(n, 0);
    for (std::size_t i = 1; i < n; ++i) {
        cv[i] = cv[i - 1] + Real(dt) * (corrected[i] + corrected[i - 1]) / 2;
        cd[i] = cd[i - 1] + Real(dt) * (cv[i] + cv[i - 1]) / 2;
    }
    ASSERT_TRUE(remove_polynomial_baseline(a, dt));
    Real scale = 0, error = 0;
    TrapezoidIntegrals ours;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) ours.step(a[i - 1], a[i], dt);
        scale = std::max(scale, std::fabs(cd[i]));
        error = std::max(error, std::fabs(ours.displacement - cd[i]));
    }
    std::printf("baseline: largest error %.3Le of a peak %.6Le\n", error, scale);
    EXPECT_LT(error, 1e-8 * scale);
    EXPECT_LT(scale, 0.5 * static_cast<double>(std::fabs(d[n / 2])));  // the trend is gone
}

// The interval of SNR >= 3 through the whole band, extended over its neighbours, clipped at
// 1/(signal duration) and at min(0.75 Nyquist, 40 Hz).
TEST(Processing, CornersWhereTheSnrStaysAboveItsThreshold) {
    struct Case {
        std::vector<double> snr;
        double dt, highpass, lowpass;
    };
    //              grid:   0.05 0.1 0.2 0.5  1    2    5   10   20   45
    for (Case c : {Case{{1, 2, 4, 5, 9, 8, 4, 3.5, 1, 5}, 0.01, 0.2, 10},
                   Case{{4, 4, 4, 5, 9, 8, 4, 4, 4, 5}, 0.01, 0.1, 37.5},  // 1/Ts, 0.75 Nyquist
                   Case{{4, 4, 4, 5, 9, 8, 4, 4, 4, 5}, 0.005, 0.1, 40},
                   Case{{5, 5, 5, 2.9, 9, 9, 9, 9, 9, 9}, 0.01, 0, 0},  // a dip in the band
                   Case{{5, 5, 5, 5, 9, 9, 1, 9, 9, 9}, 0.01, 0, 0}}) {
        SnrCurves curves;
        curves.signal_duration = 10;
        curves.frequency = {0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 45};
        curves.snr = c.snr;
        double largest = 0;
        auto corners = corners_from_snr(curves, SnrBand{3, 0.5, 5}, c.dt, largest);
        ASSERT_EQ(corners.has_value(), c.highpass > 0);
        EXPECT_EQ(largest, 9);
        if (!corners) continue;
        EXPECT_EQ(corners->highpass, c.highpass);
        EXPECT_EQ(corners->lowpass, c.lowpass);
    }
}

}  // namespace
}  // namespace wavespec::processing
