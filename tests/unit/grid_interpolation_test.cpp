// The knots between the grid's points against the analytic signal: sinusoids of every
// frequency the grid holds (up to half its Nyquist frequency, the record's fN), at every
// point between for each number of divisions the knot spacings use.
#include "response/grid_interpolation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace wavespec::response {
namespace {

TEST(GridInterpolation, SinusoidsUpToTheGuardBandAreMetBetweenEveryPoint) {
    struct Case {
        int divisions;
        double cycles_per_point;  // 0.25: the record's Nyquist frequency on a grid of two a sample
        double phase;
    };
    const Case cases[] = {{2, 0.0, 0.3},   {2, 0.25, 0.0},  {4, 0.013, 1.1}, {4, 0.2, 2.0},
                          {8, 0.07, 0.5},  {8, 0.25, 0.7},  {8, 0.249, 2.9}, {16, 0.125, 0.1},
                          {16, 0.25, 1.4}, {16, 0.001, 0.0}};
    constexpr std::size_t kPoints = 200, kOutputs = 100;
    const std::size_t first = kInterpolationReach;  // room for the kernel before the first
    for (const Case& c : cases) {
        const double w = 2.0 * std::numbers::pi * c.cycles_per_point;
        std::vector<double> grid(kPoints);
        for (std::size_t m = 0; m < kPoints; ++m)
            grid[m] = std::cos(w * static_cast<double>(m) + c.phase);
        const GridInterpolator interpolator(c.divisions);
        for (int j = 1; j < c.divisions; ++j) {
            // Every third output, so that the vector and the one-at-a-time paths both run.
            std::vector<double> out(3 * (kOutputs + 3), 7.0);
            interpolator.between(grid.data(), first, kOutputs + 3, j, out.data(), 3);
            double worst = 0.0;
            for (std::size_t i = 0; i < kOutputs + 3; ++i) {
                const double t =
                    static_cast<double>(first + i) + static_cast<double>(j) / c.divisions;
                worst = std::max(worst, std::fabs(out[3 * i] - std::cos(w * t + c.phase)));
                ASSERT_EQ(out[3 * i + 1], 7.0);  // the stride is kept
            }
            EXPECT_LT(worst, 2e-11) << c.divisions << " divisions, point " << j << ", "
                                    << c.cycles_per_point << " cycles per point";
        }
    }
}

}  // namespace
}  // namespace wavespec::response
