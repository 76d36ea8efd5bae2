// The record's series made again from the state's spectra for the response spectra: the
// samples as read come back, at the record's length, and the spectra the later steps read
// are left as they were.
#include "dialogue/record_steps.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace wavespec {
namespace {

TEST(ReconstructedSeries, GivesBackTheRecordAndLeavesTheSpectra) {
    for (std::int32_t nt : {2, 5, 8, 33}) {
        RunState state;
        state.nt = nt;
        state.dt = 0.01;
        ZeroedArray<double>* series[] = {&state.xr1, &state.xr2, &state.xr3};
        for (std::size_t k = 0; k < static_cast<std::size_t>(nt); ++k) {
            for (std::size_t c = 0; c < 3; ++c) {
                (*series[c])[k] =
                    std::sin(0.7 * static_cast<double>(k + c)) + static_cast<double>(c);
            }
        }
        ASSERT_TRUE(compute_spectra(state)) << nt;
        std::vector<Complex> before(state.fx2.begin(), state.fx2.begin() + state.nf);
        const auto back = reconstructed_series(state);
        for (std::size_t c = 0; c < 3; ++c) {
            ASSERT_EQ(back[c].size(), static_cast<std::size_t>(nt));
            for (std::size_t k = 0; k < back[c].size(); ++k) {
                const double read =
                    std::sin(0.7 * static_cast<double>(k + c)) + static_cast<double>(c);
                EXPECT_NEAR(back[c][k], read, 1e-8) << nt << " " << c << " " << k;
            }
        }
        for (std::size_t k = 0; k < before.size(); ++k) {
            EXPECT_EQ(state.fx2[k].re, before[k].re) << k;
            EXPECT_EQ(state.fx2[k].im, before[k].im) << k;
        }
    }
}

}  // namespace
}  // namespace wavespec
