// The smoothing's work bounds of a record: every bin of 2^20 samples smoothed is within them,
// a window whose phase spans more nodes than bins is bounded by its bins, and bins + centres
// has its own ceiling.
#include <gtest/gtest.h>

#include "cli/record_bounds.hpp"

namespace wavespec::cli {
namespace {

struct BoundCase {
    smoothing::SmoothingWindow window;
    std::int64_t samples;
    bool at_bins;
    const char* refusal;  // nullptr: accepted
};

TEST(SmoothingBounds, PointsEachCentreSumsAndBinsPlusCentres) {
    const BoundCase cases[] = {
        // 2^19 centres x at most 32 (40 log10(2^19) / 4 + 2) points, far below 2^33
        {{smoothing::WindowKind::konno_ohmachi, 40.0}, 1 << 20, true, nullptr},
        {{smoothing::WindowKind::konno_ohmachi, 40.0}, 1 << 22, true, nullptr},
        {{smoothing::WindowKind::konno_ohmachi, 200.0}, 1 << 20, true, nullptr},
        // 2^21 centres x 10176 points (200 log10(2^21) / 4 + 2 cells)
        {{smoothing::WindowKind::konno_ohmachi, 200.0}, 1 << 22, true, "would take 21340618752"},
        {{smoothing::WindowKind::parzen, 0.5}, 1 << 22, true, nullptr},
        // (pi 280/302) 50 / 0.0002 = 728184 radians: 5.8e6 nodes, so 2^21 bins each, 2^21
        // centres: 2^42
        {{smoothing::WindowKind::parzen, 0.0002}, 1 << 22, true, "centres x summed points"},
        // 2^28 bins and their log grid's centres: above 2^28
        {{smoothing::WindowKind::konno_ohmachi, 40.0}, 1 << 29, false, "bins + centres"},
    };
    for (const BoundCase& c : cases) {
        ProcessOptions options;
        options.smoothing.window = c.window;
        options.smoothing.at_bins = c.at_bins;
        auto why = record_bounds_problem(options, c.samples, 0.01, c.samples);
        if (c.refusal == nullptr) {
            EXPECT_FALSE(why) << *why;
        } else {
            ASSERT_TRUE(why) << c.window.width;
            EXPECT_NE(why->find(c.refusal), std::string::npos) << *why;
        }
    }
}

}  // namespace
}  // namespace wavespec::cli
