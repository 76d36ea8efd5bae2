// The Tukey taper and the general complex transform against independent truths: weights
// written out by hand and a second formula for the whole window (the rising cosine as
// cos(pi (2k / (a (n - 1)) - 1)) and the falling one from the far end), and the transform
// against the direct sum of its definition.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "spectral/mixed_fft.hpp"
#include "spectral/tukey_taper.hpp"

namespace wavespec {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(TukeyTaper, WeightsWrittenOutByHand) {
    const double c04 = 0.5 * (1.0 - std::cos(0.4 * kPi)), c08 = 0.5 * (1.0 - std::cos(0.8 * kPi));
    struct Case {
        std::size_t n;
        double fraction;
        std::vector<double> weights;
    };
    const Case cases[] = {
        {5, 1.0, {0.0, 0.5, 1.0, 0.5, 0.0}},  // the Hann window
        {11, 0.5, {0.0, c04, c08, 1, 1, 1, 1, 1, c08, c04, 0.0}},
        {3, 0.1, {0.0, 1.0, 0.0}},  // w = 0.1 < 1: the ends still 0
        {4, 0.0, {1.0, 1.0, 1.0, 1.0}},
        {1, 0.3, {0.0}},
        {2, 1.0, {0.0, 0.0}},
        {0, 0.5, {}},
    };
    for (const Case& c : cases) {
        const std::vector<double> got = tukey_weights(c.n, c.fraction);
        ASSERT_EQ(got.size(), c.weights.size()) << c.n;
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], c.weights[i], 1e-15) << c.n << " " << c.fraction << " " << i;
    }
}

TEST(TukeyTaper, AgreesWithTheThreePieceFormula) {
    for (std::size_t n : {6u, 7u, 100u, 5999u}) {
        for (double a : {0.05, 0.1, 0.33, 0.999, 1.0}) {
            const std::vector<double> got = tukey_weights(n, a);
            const double m = static_cast<double>(n - 1), edge = std::floor(a * m / 2.0);
            std::vector<double> series(n, 2.0);
            apply_tukey_taper(series, a);
            for (std::size_t i = 0; i < n; ++i) {
                const double k = static_cast<double>(i);
                double expected = 1.0;
                if (k <= edge) expected = 0.5 * (1.0 + std::cos(kPi * (2.0 * k / (a * m) - 1.0)));
                if (m - k <= edge)
                    expected = 0.5 * (1.0 + std::cos(kPi * (2.0 * (m - k) / (a * m) - 1.0)));
                EXPECT_NEAR(got[i], expected, 4e-16) << n << " " << a << " " << i;
                EXPECT_EQ(series[i], 2.0 * got[i]);
            }
        }
    }
}

// The direct sum of the definition in long double, the angle reduced exactly as pm mod n.
std::vector<Complex> direct_transform(const std::vector<Complex>& x, bool inverse) {
    const std::size_t n = x.size();
    std::vector<long double> c(n), s(n);
    for (std::size_t t = 0; t < n; ++t) {
        const long double angle = 2.0L * std::numbers::pi_v<long double> * t / n;
        c[t] = std::cos(angle);
        s[t] = (inverse ? 1.0L : -1.0L) * std::sin(angle);
    }
    std::vector<Complex> y(n);
    for (std::size_t m = 0; m < n; ++m) {
        long double re = 0.0L, im = 0.0L;
        for (std::size_t p = 0; p < n; ++p) {
            const std::size_t t = p * m % n;
            re += x[p].re * c[t] - x[p].im * s[t];
            im += x[p].re * s[t] + x[p].im * c[t];
        }
        y[m] = {static_cast<double>(re), static_cast<double>(im)};
    }
    return y;
}

TEST(GeneralTransform, AnyLengthIsTheDirectSumWithin1e12OfTheLargestBin) {
    // 5999 = 7 x 857 and 1714 = 2 x 857 go through the chirp-z form (857 is a large prime),
    // 7, 49 x 11 and 7 x 11 x 47 through the prime butterflies, 6000 the fixed ones.
    std::mt19937_64 random(26);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (std::size_t n : {1u, 2u, 7u, 539u, 857u, 1714u, 5999u, 6000u, 3619u, 1009u}) {
        std::vector<Complex> x(n);
        for (Complex& v : x) v = {uniform(random) + 0.5, uniform(random)};
        for (bool inverse : {false, true}) {
            const std::vector<Complex> expected = direct_transform(x, inverse);
            std::vector<Complex> y = x;
            MixedFft(n).transform(y.data(), inverse);
            double largest = 0.0, worst = 0.0;
            for (std::size_t m = 0; m < n; ++m) {
                largest = std::max(largest, std::hypot(expected[m].re, expected[m].im));
                worst =
                    std::max(worst, std::hypot(y[m].re - expected[m].re, y[m].im - expected[m].im));
            }
            EXPECT_LT(worst, 1e-12 * largest) << n << (inverse ? " inverse" : " forward");
        }
    }
}

}  // namespace
}  // namespace wavespec
