// The spectral steps (spectrum preparation to the time window, and the complex modulus): transform
// length, forward spectrum and frequency grid, band-pass weights, integration and differentiation,
// conjugate fill and rescaling, the time window's sample counts and cut, and the modulus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "spectral/bandpass.hpp"
#include "spectral/complex_value.hpp"
#include "spectral/integration.hpp"
#include "spectral/portable_math.hpp"
#include "spectral/reconstruction.hpp"
#include "spectral/spectrum_prep.hpp"
#include "spectral/time_window.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec {
namespace {

constexpr int kMom = 33000;
constexpr double kInf = std::numeric_limits<double>::infinity();

// ---------------------------------------------------------------- spectrum preparation

TEST(TransformLength, TableBoundaries) {
    struct Case {
        std::int64_t nt;
        std::int32_t exponent, length;
    };
    const Case cases[] = {
        {0, 2, 4},          {1, 2, 4},          {4, 2, 4},   {5, 3, 8},        {8, 3, 8},
        {9, 4, 16},         {16, 4, 16},        {17, 5, 32}, {6000, 13, 8192}, {16384, 14, 16384},
        {16385, 15, 32768}, {32768, 15, 32768}, {-5, 2, 4},
    };
    for (const Case& c : cases) {
        std::optional<TransformLength> t = choose_transform_length(c.nt);
        ASSERT_TRUE(t.has_value()) << c.nt;
        EXPECT_EQ(t->exponent, c.exponent) << c.nt;
        EXPECT_EQ(t->length, c.length) << c.nt;
    }
    for (std::int64_t k = 3; k <= 15; ++k) {
        std::int64_t power = std::int64_t{1} << k;
        auto low = choose_transform_length(power / 2 + 1);
        auto high = choose_transform_length(power);
        ASSERT_TRUE(low && high) << k;
        EXPECT_EQ(low->length, power);
        EXPECT_EQ(low->exponent, k);
        EXPECT_EQ(high->length, power);
    }
    EXPECT_FALSE(choose_transform_length(32769).has_value());
    EXPECT_FALSE(choose_transform_length(33000).has_value());
    EXPECT_FALSE(choose_transform_length(std::numeric_limits<std::int32_t>::max()).has_value());
}

TEST(PolarityInversion, ChangesTheSignOfEverySample) {
    std::vector<double> series = {1.5, -2.0, 0.0, 3.0};
    invert_polarity(series);
    EXPECT_EQ(series, (std::vector<double>{-1.5, 2.0, -0.0, -3.0}));
}

TEST(ForwardSpectrum, ConstantSeriesWithoutPadding) {
    const double c = 2.5, dt = 0.01;
    const int nf = 16;
    std::vector<double> series(nf, c);
    std::vector<Complex> spectrum(nf, Complex{99, 99});
    forward_spectrum(series, spectrum, kMom, dt);
    EXPECT_NEAR(spectrum[0].re, c * nf * dt, 1e-14);
    EXPECT_NEAR(spectrum[0].im, 0.0, 1e-14);
    for (int i = 1; i < nf; ++i) {
        EXPECT_NEAR(spectrum[static_cast<std::size_t>(i)].re, 0.0, 1e-12) << i;
        EXPECT_NEAR(spectrum[static_cast<std::size_t>(i)].im, 0.0, 1e-12) << i;
    }
}

// fx(i) = dt * sum over p of s(p) exp(-I * 2 pi (p-1)(i-1)/nf), s zero-padded, with the
// transform's own pi. The approximate pi puts the transform about 1e-9 of the summed magnitudes
// away from this definition (the transform's pi is 3.141592654), so that is the tolerance; the
// angles are taken modulo 2 pi, as the butterflies' angles never pass it.
TEST(ForwardSpectrum, ZeroPaddedSeriesMatchesTheDefinition) {
    const double dt = 0.02;
    const std::vector<double> series = {1.0, -0.5, 0.25, 2.0, -1.0};
    const int nf = 8;
    double total = 0;
    for (double x : series) total += std::fabs(x);
    const double tolerance = 2e-9 * dt * total;
    std::vector<Complex> spectrum(nf, Complex{7, 7});
    forward_spectrum(series, spectrum, kMom, dt);
    for (int i = 0; i < nf; ++i) {
        double re = 0, im = 0;
        for (int p = 0; p < static_cast<int>(series.size()); ++p) {
            double angle = -2.0 * kTransformPi * ((p * i) % nf) / nf;
            re += series[static_cast<std::size_t>(p)] * std::cos(angle);
            im += series[static_cast<std::size_t>(p)] * std::sin(angle);
        }
        EXPECT_NEAR(spectrum[static_cast<std::size_t>(i)].re, dt * re, tolerance) << i;
        EXPECT_NEAR(spectrum[static_cast<std::size_t>(i)].im, dt * im, tolerance) << i;
    }
    EXPECT_NEAR(spectrum[0].re, dt * 1.75, 1e-15);  // bin 1: dt times the sum, exactly formed
    EXPECT_EQ(spectrum[0].im, 0.0);
    // A real series: bin nf + 2 - i is the conjugate of bin i, to the same tolerance.
    for (int i = 1; i < nf / 2; ++i) {
        EXPECT_NEAR(spectrum[static_cast<std::size_t>(nf - i)].re,
                    spectrum[static_cast<std::size_t>(i)].re, tolerance);
        EXPECT_NEAR(spectrum[static_cast<std::size_t>(nf - i)].im,
                    -spectrum[static_cast<std::size_t>(i)].im, tolerance);
    }
}

// The scaling is the complex product with (dt, 0), done after the transform.
TEST(ForwardSpectrum, ScaledByTheComplexProductWithDt) {
    const std::vector<double> series = {0.3, 1.7, -2.2, 0.9};
    std::vector<Complex> unscaled(4), scaled(4);
    for (std::size_t i = 0; i < 4; ++i) unscaled[i] = {series[i], 0.0};
    wvfast(4, unscaled, kMom, -1);
    forward_spectrum(series, scaled, kMom, -0.125);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(scaled[i].re, unscaled[i].re * -0.125 - unscaled[i].im * 0.0) << i;
        EXPECT_EQ(scaled[i].im, unscaled[i].re * 0.0 + unscaled[i].im * -0.125) << i;
    }
}

TEST(FrequencyGrid, WorkedExample) {
    FrequencyGrid grid = frequency_grid(8192, 0.01);
    EXPECT_EQ(grid.dur, 8192 * 0.01);
    EXPECT_EQ(grid.dom, 6.283185307 / grid.dur);
    EXPECT_NEAR(grid.dom, 0.0766990394, 1e-10);
    EXPECT_EQ(grid.nom, 4097);
    EXPECT_EQ(grid.eom, 4097.0 * grid.dom);
    EXPECT_NEAR(grid.eom, 314.235964, 1e-6);
    EXPECT_NEAR(grid.eom / kDialogueTwoPi, 50.012207, 1e-6);
    EXPECT_NEAR(bin_frequency(grid.nom, grid.dom), 50.0, 1e-9);  // the Nyquist bin
    EXPECT_EQ(bin_frequency(1, grid.dom), 0.0);
}

// The full 2 pi (the double nearest it, typed from its shortest text) against the grid's cut one.
TEST(FrequencyGrid, TwoPiIsFullPrecisionWhereverItGoesByThatName) {
    EXPECT_EQ(kTwoPi, 6.283185307179586);
    EXPECT_NE(kTwoPi, kDialogueTwoPi);
}

TEST(FrequencyGrid, ZeroAndNegativeSamplingIntervals) {
    FrequencyGrid zero = frequency_grid(4, 0.0);
    EXPECT_EQ(zero.dur, 0.0);
    EXPECT_EQ(zero.dom, kInf);
    EXPECT_EQ(zero.nom, 3);
    EXPECT_EQ(zero.eom, kInf);
    FrequencyGrid negative = frequency_grid(16, -0.5);
    EXPECT_EQ(negative.dur, -8.0);
    EXPECT_LT(negative.dom, 0.0);
    EXPECT_LT(negative.eom, 0.0);
    EXPECT_EQ(negative.nom, 9);
}

// ---------------------------------------------------------------- band-pass filter

// Three spectra of n bins whose bins all differ, so that each factor can be read back.
struct Spectra {
    explicit Spectra(std::size_t n) : fx1(n), fx2(n), fx3(n) {
        for (std::size_t i = 0; i < n; ++i) {
            double k = static_cast<double>(i) + 1;
            fx1[i] = {k, -2 * k};
            fx2[i] = {3 * k, 0.5};
            fx3[i] = {-k, k * k};
        }
    }
    std::vector<Complex> fx1, fx2, fx3;
};

// The factor that bin i (from 1) received, the same in all three spectra and both parts.
double factor(const Spectra& before, const Spectra& after, std::size_t i) {
    double f = after.fx1[i - 1].re / before.fx1[i - 1].re;
    EXPECT_DOUBLE_EQ(after.fx1[i - 1].im, before.fx1[i - 1].im * f) << i;
    EXPECT_DOUBLE_EQ(after.fx2[i - 1].re, before.fx2[i - 1].re * f) << i;
    EXPECT_DOUBLE_EQ(after.fx2[i - 1].im, before.fx2[i - 1].im * f) << i;
    EXPECT_DOUBLE_EQ(after.fx3[i - 1].re, before.fx3[i - 1].re * f) << i;
    EXPECT_DOUBLE_EQ(after.fx3[i - 1].im, before.fx3[i - 1].im * f) << i;
    return f;
}

Spectra filtered(std::size_t bins, double dom, BandCorners corners) {
    Spectra s(bins);
    apply_bandpass(corners, dom, s.fx1, s.fx2, s.fx3);
    return s;
}

TEST(Bandpass, TrapezoidOfCorners) {
    // Bins every 0.05 Hz: 0.05 Hz is bin 2, 0.15 Hz bin 4, 5 Hz bin 101, 15 Hz bin 301, 25 Hz
    // bin 501.
    const double dom = 0.05 * kDialogueTwoPi;
    const std::size_t bins = 600;
    Spectra before(bins);
    Spectra after = filtered(bins, dom, {0.1, 0.2, 10.0, 20.0});
    EXPECT_EQ(factor(before, after, 1), 0.0);          // zero frequency, fl1 >= 0
    EXPECT_EQ(factor(before, after, 2), 0.0);          // 0.05 Hz
    EXPECT_NEAR(factor(before, after, 4), 0.5, 1e-9);  // 0.15 Hz
    EXPECT_EQ(after.fx1[100], before.fx1[100]);        // 5 Hz unchanged
    EXPECT_EQ(after.fx3[100], before.fx3[100]);
    EXPECT_NEAR(factor(before, after, 301), 0.5, 1e-9);  // 15 Hz
    EXPECT_EQ(factor(before, after, 501), 0.0);          // 25 Hz
    EXPECT_EQ(factor(before, after, 600), 0.0);
    for (std::size_t i = 1; i <= bins; ++i) {
        double f = factor(before, after, i);
        double hz = 0.05 * static_cast<double>(i - 1);
        if (hz > 0.2 + 1e-9 && hz < 10.0 - 1e-9) {
            EXPECT_EQ(f, 1.0) << i;
        }
        if (hz > 0.1 && hz < 0.2) {
            EXPECT_NEAR(f, (hz - 0.1) / 0.1, 1e-9) << i;
        }
        if (hz > 10.0 && hz < 20.0) {
            EXPECT_NEAR(f, (20.0 - hz) / 10.0, 1e-9) << i;
        }
        EXPECT_FALSE(std::isnan(f)) << i;
    }
}

TEST(Bandpass, CornersExactlyOnABin) {
    // Bins every 0.5 Hz; the corners 1, 2, 4 and 5 Hz fall exactly on bins 3, 5, 9 and 11.
    const double dom = kDialogueTwoPi / 2;
    ASSERT_EQ(2 * dom, 1.0 * kDialogueTwoPi);
    ASSERT_EQ(10 * dom, 5.0 * kDialogueTwoPi);
    Spectra before(14);
    Spectra after = filtered(14, dom, {1.0, 2.0, 4.0, 5.0});
    EXPECT_EQ(factor(before, after, 3), 0.0);  // at fl1: zero
    EXPECT_NEAR(factor(before, after, 4), 0.5, 1e-12);
    EXPECT_EQ(after.fx1[4], before.fx1[4]);  // at fl2: unchanged
    EXPECT_EQ(after.fx2[8], before.fx2[8]);  // at fh1: unchanged
    EXPECT_NEAR(factor(before, after, 10), 0.5, 1e-12);
    EXPECT_EQ(factor(before, after, 11), 0.0);  // at fh2: zero
    EXPECT_EQ(factor(before, after, 14), 0.0);
}

TEST(Bandpass, NegativeLowerCornerWeightsBinOne) {
    const double dom = kDialogueTwoPi / 2;
    Spectra before(12);
    Spectra after = filtered(12, dom, {-0.5, 0.5, 4.0, 5.0});
    EXPECT_NEAR(factor(before, after, 1), 0.5, 1e-12);  // rising ramp at zero frequency
    EXPECT_EQ(after.fx1[1], before.fx1[1]);             // 0.5 Hz: on fl2
    Spectra flat = filtered(12, dom, {-2.0, -1.0, 4.0, 5.0});
    EXPECT_EQ(flat.fx1[0], before.fx1[0]);  // both lower corners below zero: weight 1
}

TEST(Bandpass, CrossedInnerCornersTakeTheFallingRamp) {
    const double dom = kDialogueTwoPi / 2;  // 0.5 Hz per bin
    Spectra before(12);
    Spectra after = filtered(12, dom, {0.5, 4.0, 2.0, 5.0});
    EXPECT_NEAR(factor(before, after, 4), (1.5 - 0.5) / 3.5, 1e-12);   // 1.5 Hz: rising only
    EXPECT_NEAR(factor(before, after, 7), (5.0 - 3.0) / 3.0, 1e-12);   // 3 Hz: falling wins
    EXPECT_NEAR(factor(before, after, 10), (5.0 - 4.5) / 3.0, 1e-12);  // 4.5 Hz: falling only
    EXPECT_EQ(factor(before, after, 11), 0.0);
}

TEST(Bandpass, UpperCornersAboveNyquist) {
    const double dom = kDialogueTwoPi / 2;  // bins 1..21 reach 10 Hz
    Spectra before(21);
    Spectra ramp = filtered(21, dom, {-1.0, 0.0, 5.0, 20.0});
    EXPECT_NEAR(factor(before, ramp, 21), (20.0 - 10.0) / 15.0, 1e-12);  // not zeroed
    Spectra flat = filtered(21, dom, {-1.0, 0.0, 15.0, 20.0});
    for (std::size_t i = 2; i <= 21; ++i) EXPECT_EQ(flat.fx1[i - 1], before.fx1[i - 1]) << i;
}

// Zero-width ramps act as steps: no division, no NaN, the bins beyond the corner zero.
TEST(Bandpass, ZeroWidthRampsAreSteps) {
    const double dom = kDialogueTwoPi / 2;
    Spectra before(16);
    Spectra after = filtered(16, dom, {1.0, 1.0, 4.0, 4.0});
    for (std::size_t i = 1; i <= 16; ++i) {
        double hz = 0.5 * static_cast<double>(i - 1);
        double f = factor(before, after, i);
        EXPECT_FALSE(std::isnan(after.fx1[i - 1].re) || std::isnan(after.fx1[i - 1].im)) << i;
        EXPECT_FALSE(std::isnan(after.fx2[i - 1].re) || std::isnan(after.fx3[i - 1].im)) << i;
        if (hz <= 1.0 || hz >= 4.0) {
            EXPECT_EQ(f, 0.0) << i;
        } else {
            EXPECT_EQ(after.fx1[i - 1], before.fx1[i - 1]) << i;
            EXPECT_EQ(after.fx3[i - 1], before.fx3[i - 1]) << i;
        }
    }
    // Equal lower corners at zero zero bin 1 only on the low side.
    Spectra at_zero = filtered(16, dom, {0.0, 0.0, 6.0, 7.0});
    EXPECT_EQ(factor(before, at_zero, 1), 0.0);
    for (std::size_t i = 2; i <= 13; ++i) EXPECT_EQ(at_zero.fx1[i - 1], before.fx1[i - 1]) << i;
    // Equal corners of both ramps at one frequency: every bin zero, none NaN.
    Spectra closed = filtered(16, dom, {2.0, 2.0, 2.0, 2.0});
    for (std::size_t i = 1; i <= 16; ++i) {
        EXPECT_EQ(closed.fx1[i - 1].re, 0.0) << i;
        EXPECT_EQ(closed.fx2[i - 1].im, 0.0) << i;
    }
    EXPECT_EQ(bandpass_weight(0.5, 1.0, 1.0, 3.0, 3.0), 1.0);
    EXPECT_EQ(bandpass_weight(3.5, 1.0, 1.0, 3.0, 3.0), 1.0);
    EXPECT_EQ(bandpass_weight(2.0, 1.0, 1.0, 3.0, 3.0), 1.0);
}

TEST(Bandpass, BinsAboveNomAreNotTouched) {
    const double dom = kDialogueTwoPi / 2;
    Spectra s(16);
    Spectra before(16);
    const std::size_t nom = 9;
    apply_bandpass({1.0, 2.0, 2.5, 3.0}, dom, std::span(s.fx1).first(nom),
                   std::span(s.fx2).first(nom), std::span(s.fx3).first(nom));
    EXPECT_EQ(s.fx1[8].re, 0.0);  // bin nom (4 Hz) weighted like the others
    for (std::size_t i = nom; i < 16; ++i) {
        EXPECT_EQ(s.fx1[i], before.fx1[i]) << i;
        EXPECT_EQ(s.fx2[i], before.fx2[i]) << i;
        EXPECT_EQ(s.fx3[i], before.fx3[i]) << i;
    }
}

// ---------------------------------------------------------------- integration and differentiation

TEST(Integration, AnswersChooseTheOperation) {
    EXPECT_EQ(operation_for_answer(1), Operation::integrate);
    EXPECT_EQ(operation_for_answer(2), Operation::integrate_twice);
    EXPECT_EQ(operation_for_answer(3), Operation::differentiate);
    for (std::int32_t other : {0, 4, -1, 100, std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_EQ(operation_for_answer(other), Operation::none) << other;
    }
}

TEST(Integration, ExamplesAtOmegaTwo) {
    struct Case {
        Operation op;
        Complex in, out;
    };
    const Case cases[] = {
        {Operation::integrate, {1, 0}, {0, -0.5}},
        {Operation::integrate_twice, {1, 0}, {-0.25, 0}},
        {Operation::differentiate, {1, 0}, {0, 2}},
        {Operation::none, {1, 0}, {1, 0}},
        {Operation::integrate, {3, 5}, {2.5, -1.5}},
        {Operation::integrate_twice, {3, 5}, {-0.75, -1.25}},
        {Operation::differentiate, {3, 5}, {-10, 6}},
        {Operation::none, {3, 5}, {3, 5}},
    };
    for (const Case& c : cases) {
        Complex out = apply_operation(c.op, c.in, 2.0);
        EXPECT_EQ(out.re, c.out.re) << static_cast<int>(c.op) << " " << c.in.re;
        EXPECT_EQ(out.im, c.out.im) << static_cast<int>(c.op) << " " << c.in.re;
    }
}

TEST(Integration, EachPartIsOneDivisionOrProductOfTheOldParts) {
    const Complex bin{0.7, -1.3};
    const double omega = 0.3;
    Complex once = apply_operation(Operation::integrate, bin, omega);
    EXPECT_EQ(once.re, bin.im / omega);
    EXPECT_EQ(once.im, -bin.re / omega);
    Complex twice = apply_operation(Operation::integrate_twice, bin, omega);
    EXPECT_EQ(twice.re, bin.re / -(omega * omega));
    EXPECT_EQ(twice.im, bin.im / -(omega * omega));
    Complex diff = apply_operation(Operation::differentiate, bin, omega);
    EXPECT_EQ(diff.re, -omega * bin.im);
    EXPECT_EQ(diff.im, omega * bin.re);
}

TEST(Integration, BinOneAndBinsAboveNomAreUntouched) {
    const double dom = 2.0;  // bin 2 at omega = 2
    const std::size_t nom = 5;
    for (Operation op : {Operation::integrate, Operation::integrate_twice, Operation::differentiate,
                         Operation::none}) {
        Spectra before(8);
        Spectra s(8);
        apply_operation(op, dom, std::span(s.fx1).first(nom), std::span(s.fx2).first(nom),
                        std::span(s.fx3).first(nom));
        EXPECT_EQ(s.fx1[0], before.fx1[0]);
        EXPECT_EQ(s.fx2[0], before.fx2[0]);
        EXPECT_EQ(s.fx3[0], before.fx3[0]);
        for (std::size_t i = 1; i < nom; ++i) {
            double omega = static_cast<double>(i) * dom;
            EXPECT_EQ(s.fx1[i], apply_operation(op, before.fx1[i], omega)) << i;
            EXPECT_EQ(s.fx2[i], apply_operation(op, before.fx2[i], omega)) << i;
            EXPECT_EQ(s.fx3[i], apply_operation(op, before.fx3[i], omega)) << i;
        }
        for (std::size_t i = nom; i < 8; ++i) {
            EXPECT_EQ(s.fx1[i], before.fx1[i]) << i;
            EXPECT_EQ(s.fx3[i], before.fx3[i]) << i;
        }
        if (op == Operation::none) {
            EXPECT_EQ(s.fx1, before.fx1);
        } else {
            EXPECT_NE(s.fx1[nom - 1], before.fx1[nom - 1]);  // the Nyquist bin is changed
        }
    }
}

// ---------------------------------------------------------------- reconstruction

TEST(ConjugateFill, FourBins) {
    std::vector<Complex> s = {{1, 0.5}, {2, 3}, {4, -5}, {6, 7}};
    conjugate_fill(s);
    EXPECT_EQ(s, (std::vector<Complex>{{1, 0.5}, {2, 3}, {4, -5}, {2, -3}}));
}

TEST(ConjugateFill, EightBins) {
    std::vector<Complex> s = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {0, 0}, {0, 0}, {0, 0}};
    conjugate_fill(s);
    EXPECT_EQ(s, (std::vector<Complex>{
                     {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {4, -4}, {3, -3}, {2, -2}}));
    std::vector<Complex> two = {{1, 1}, {2, 2}};
    conjugate_fill(two);
    EXPECT_EQ(two, (std::vector<Complex>{{1, 1}, {2, 2}}));
}

TEST(Rescale, RealPartsDividedByDur) {
    std::vector<Complex> fx1 = {{2, 9}, {-4, 9}, {1, 9}};
    std::vector<Complex> fx2 = {{8, 1}, {0, 1}, {6, 1}};
    std::vector<Complex> fx3 = {{-1, 0}, {3, 0}, {5, 0}};
    std::vector<double> xr1(4, 7.0), xr2(4, 7.0), xr3(4, 7.0);
    rescale(fx1, fx2, fx3, 0.5, std::span(xr1).first(3), std::span(xr2).first(3),
            std::span(xr3).first(3));
    EXPECT_EQ(xr1, (std::vector<double>{4, -8, 2, 7}));
    EXPECT_EQ(xr2, (std::vector<double>{16, 0, 12, 7}));
    EXPECT_EQ(xr3, (std::vector<double>{-2, 6, 10, 7}));
}

// Forward, fill, inverse and rescale give the series back to a few parts in 10^9.
TEST(Reconstruction, RoundTripReturnsTheSeries) {
    const int nt = 100, nf = 128;
    const double dt = 0.01;
    std::vector<double> series(nt);
    for (int k = 0; k < nt; ++k) series[static_cast<std::size_t>(k)] = std::sin(0.3 * k) + 0.01 * k;
    std::vector<Complex> fx(nf);
    forward_spectrum(series, fx, kMom, dt);
    conjugate_fill(fx);
    wvfast(nf, fx, kMom, 1);
    std::vector<double> xr(nf);
    FrequencyGrid grid = frequency_grid(nf, dt);
    rescale(fx, fx, fx, grid.dur, xr, xr, xr);
    for (int k = 0; k < nf; ++k) {
        double expected = k < nt ? series[static_cast<std::size_t>(k)] : 0.0;
        EXPECT_NEAR(xr[static_cast<std::size_t>(k)], expected, 1e-8) << k;
    }
}

// ---------------------------------------------------------------- time window

TEST(TimeWindow, SampleCountsTruncateTheDoubleQuotient) {
    EXPECT_EQ(samples_in(2.5, 0.01), 250);
    EXPECT_EQ(samples_in(-0.055, 0.01), -5);
    EXPECT_EQ(samples_in(0.29, 0.01), 28);  // 28.999999999999996
    EXPECT_EQ(samples_in(10.0, 0.01), 1000);
    EXPECT_EQ(samples_in(0.0, 0.01), 0);
    EXPECT_EQ(samples_in(-0.005, 0.01), 0);  // a small negative duration: ndur = 1
    EXPECT_EQ(samples_in(-0.01, 0.01), -1);  // ndur = 0
    EXPECT_EQ(samples_in(-0.5, 0.01), -50);
    EXPECT_EQ(samples_in(1.0, -0.25), -4);
    EXPECT_EQ(samples_in(2147483647.0, 1.0), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(samples_in(2147483647.9, 1.0), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(samples_in(-2147483648.0, 1.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(samples_in(-2147483648.9, 1.0), std::numeric_limits<std::int32_t>::min());
}

TEST(TimeWindow, NoCountForNonFiniteOrOutOfRangeQuotients) {
    const double nan = std::nan("");
    for (auto [seconds, dt] : {std::pair{1.0, 0.0},
                               {0.0, 0.0},
                               {-1.0, 0.0},
                               {kInf, 0.01},
                               {-kInf, 0.01},
                               {nan, 0.01},
                               {1.0, nan},
                               {2147483648.0, 1.0},
                               {-2147483649.0, 1.0},
                               {3e10, 0.01},
                               {1e300, 1e-300}}) {
        EXPECT_FALSE(samples_in(seconds, dt).has_value()) << seconds << " / " << dt;
    }
}

TEST(TimeWindow, CutWindowCountsFromTheStart) {
    std::vector<double> source = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto cut = [&](std::int32_t nstime, std::size_t n) {
        std::vector<double> out(n, -1.0);
        cut_window(source, nstime, out);
        return out;
    };
    using V = std::vector<double>;
    EXPECT_EQ(cut(0, 10), source);
    EXPECT_EQ(cut(2, 3), (V{3, 4, 5}));
    EXPECT_EQ(cut(-3, 5), (V{0, 0, 0, 1, 2}));        // before the record: zeros
    EXPECT_EQ(cut(-5, 7), (V{0, 0, 0, 0, 0, 1, 2}));  // nstime -5: first sample at position 6
    EXPECT_EQ(cut(8, 5), (V{9, 10, 0, 0, 0}));        // past the capacity: zeros
    EXPECT_EQ(cut(-20, 3), (V{0, 0, 0}));
    EXPECT_EQ(cut(50, 3), (V{0, 0, 0}));
    EXPECT_EQ(cut(std::numeric_limits<std::int32_t>::max(), 3), (V{0, 0, 0}));
    EXPECT_EQ(cut(std::numeric_limits<std::int32_t>::min(), 3), (V{0, 0, 0}));
    EXPECT_EQ(cut(4, 1), (V{5}));  // dur = 0: one sample
    EXPECT_EQ(cut(4, 0), V{});
}

// ---------------------------------------------------------------- modulus

TEST(Modulus, LargerMagnitudeTimesSquareRoot) {
    EXPECT_EQ(modulus({3, 4}), 5.0);
    EXPECT_EQ(modulus({-3, -4}), 5.0);
    EXPECT_EQ(modulus({4, -3}), 5.0);
    EXPECT_EQ(modulus({0, 0}), 0.0);
    EXPECT_EQ(modulus({-2.5, 0}), 2.5);
    EXPECT_EQ(modulus({0, -2.5}), 2.5);
    const std::pair<double, double> values[] = {
        {1.0, 1.0},        {0.1, 0.7}, {-123.456, 0.001}, {1e-3, -2e-3},
        {6.02e23, 1.0e23}, {0.3, 0.4}, {1.0e-5, 3.3e-6},
    };
    for (auto [re, im] : values) {
        double big = std::max(std::fabs(re), std::fabs(im));
        double small = std::min(std::fabs(re), std::fabs(im));
        double ratio = small / big;
        EXPECT_EQ(modulus({re, im}), big * std::sqrt(1.0 + ratio * ratio)) << re << " " << im;
        EXPECT_NEAR(modulus({re, im}), std::sqrt(re * re + im * im),
                    1e-15 * std::sqrt(re * re + im * im))
            << re << " " << im;
    }
}

TEST(Modulus, LargerMagnitudeWhenTheSmallerDoesNotChangeTheSum) {
    EXPECT_EQ(modulus({1.0, 1e-20}), 1.0);
    EXPECT_EQ(modulus({-1e-20, 1.0}), 1.0);
    EXPECT_EQ(modulus({1e10, 1e-7}), 1e10);
    EXPECT_EQ(modulus({1.0, 1e-8}), 1.0);  // 1 + 1e-8 != 1: the square root form, still 1
}

TEST(Modulus, ScalingKeepsExtremeValuesInRange) {
    EXPECT_NEAR(modulus({1e300, 1e300}), 1e300 * std::sqrt(2.0), 1e285);
    EXPECT_NEAR(modulus({1e-200, 1e-200}), 1e-200 * std::sqrt(2.0), 1e-215);
    EXPECT_EQ(modulus({kInf, 1.0}), kInf);
    EXPECT_EQ(modulus({-kInf, 0.0}), kInf);
}

}  // namespace
}  // namespace wavespec
