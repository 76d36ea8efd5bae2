// The factors of the stages wider than the table against MPFR: within 1 ulp of the true cosine
// and sine of each angle, at every transform length up to 2^24 on a sample of indices; and a
// long transform against the transform written butterfly by butterfly with correctly rounded
// factors.
#include "spectral/long_twiddles.hpp"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <random>
#include <vector>

#include "spectral/wvfast.hpp"
#include "unit/correctly_rounded.hpp"

namespace wavespec {
namespace {

// |value - f(angle)| in units of the last place of the true value, f evaluated with 256 bits.
double error_in_ulps(double value, double angle, bool sine) {
    mpfr_t x, exact, difference;
    mpfr_inits2(256, x, exact, difference, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_d(x, angle, MPFR_RNDN);
    if (sine) {
        mpfr_sin(exact, x, MPFR_RNDN);
    } else {
        mpfr_cos(exact, x, MPFR_RNDN);
    }
    mpfr_sub_d(difference, exact, value, MPFR_RNDN);
    // exact = m * 2^e with 1/2 <= |m| < 1, so one ulp of a double there is 2^(e - 53). The
    // sine of 0 is 0 itself, and has no exponent.
    double ulps = value == 0.0 ? 0.0 : HUGE_VAL;
    if (!mpfr_zero_p(exact)) {
        long exponent = mpfr_get_exp(exact);
        mpfr_abs(difference, difference, MPFR_RNDN);
        mpfr_mul_2si(difference, difference, 53 - exponent, MPFR_RNDN);
        ulps = mpfr_get_d(difference, MPFR_RNDN);
    }
    mpfr_clears(x, exact, difference, static_cast<mpfr_ptr>(nullptr));
    return ulps;
}

TEST(LongTwiddles, WithinOneUlpAtEveryLengthOnSampledIndices) {
    std::mt19937 engine(2026);
    int correctly_rounded = 0, checked = 0;
    for (int half = kTwiddleCount * 2; half <= kLongestTwiddleHalf; half *= 2) {
        std::uniform_int_distribution<int> index(0, half - 1);
        // The ends and the quarters, where the cosine or the sine is smallest, and random ones.
        std::vector<int> ms = {0,
                               1,
                               2,
                               3,
                               half / 4 - 1,
                               half / 4 + 1,
                               half / 2 - 1,
                               half / 2 + 1,
                               3 * half / 4 - 1,
                               3 * half / 4 + 1,
                               half - 2,
                               half - 1};
        for (int i = 0; i < 3000; ++i) ms.push_back(index(engine));
        for (int m : ms) {
            for (int ind : {-1, 1}) {
                double angle =
                    (kTransformPi * static_cast<double>(m * ind)) / static_cast<double>(half);
                Twiddle t = long_twiddle(half, m, ind);
                ASSERT_LE(error_in_ulps(t.c, angle, false), 1.0) << "half=" << half << " m=" << m;
                ASSERT_LE(error_in_ulps(t.s, angle, true), 1.0)
                    << "half=" << half << " m=" << m << " ind=" << ind;
                Twiddle rounded = test::correctly_rounded_cos_sin(angle);
                correctly_rounded += (t.c == rounded.c) + (t.s == rounded.s);
                checked += 2;
            }
        }
    }
    // Carried in double-double, nearly every factor is the correctly rounded one.
    EXPECT_GT(correctly_rounded, checked * 99 / 100);
}

// Same butterflies as wvfast in stage order, each factor correctly rounded by MPFR.
void reference_transform(std::vector<Complex>& a, int ind) {
    const int n = static_cast<int>(a.size());
    std::vector<std::uint32_t> order = bit_reversal_order(n);
    std::vector<Complex> permuted(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) permuted[i] = a[order[i]];
    a = permuted;
    for (int kmax = 1; kmax < n; kmax *= 2) {
        for (int k = 0; k < kmax; ++k) {
            double phi = (kTransformPi * static_cast<double>(k * ind)) / static_cast<double>(kmax);
            auto [c, s] = test::correctly_rounded_cos_sin(phi);
            for (int i = k; i < n; i += 2 * kmax) {
                Complex& x = a[static_cast<std::size_t>(i + kmax)];
                Complex& y = a[static_cast<std::size_t>(i)];
                double tr = x.re * c - x.im * s;
                double ti = x.re * s + x.im * c;
                x = {y.re - tr, y.im - ti};
                y = {y.re + tr, y.im + ti};
            }
        }
    }
}

TEST(LongTwiddles, TransformOf131072PointsAgreesWithCorrectlyRoundedFactors) {
    const int n = 1 << 17;
    std::mt19937 engine(5);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int ind : {-1, 1}) {
        std::vector<Complex> expected(n);
        for (Complex& z : expected) z = {value(engine), value(engine)};
        std::vector<Complex> actual = expected;
        reference_transform(expected, ind);
        wvfast(n, actual, n, ind);
        // Factors 1 ulp apart move each output by a few ulps of the values summed (|z| <= 512
        // here); a wrong factor moves it by far more.
        double worst = 0.0;
        for (std::size_t i = 0; i < actual.size(); ++i) {
            worst = std::max({worst, std::fabs(actual[i].re - expected[i].re),
                              std::fabs(actual[i].im - expected[i].im)});
        }
        EXPECT_LT(worst, 1e-11) << "ind=" << ind;
    }
}

}  // namespace
}  // namespace wavespec
