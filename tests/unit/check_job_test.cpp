// The typed job's one check: each value at the edge of its documented range is taken, the
// value beyond it and NaN are refused with a line naming the option, as the command line's.
#include "job/check_job.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "cli/option_parser.hpp"

namespace wavespec::job {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

struct Case {
    const char* option;  // the option the refusal names, "" when the job is taken
    std::function<void(RecordJob&)> set;
};

TEST(CheckJob, EdgesAreTakenAndValuesBeyondThemOrNanRefusedNamingTheOption) {
    using processing::Corner;
    const Case cases[] = {
        {"",
         [](RecordJob& j) {
             j.bandpass = {{0, 0, 1e9, 1e9}};
         }},
        {"bandpass",
         [](RecordJob& j) {
             j.bandpass = {{0, 0, 1, 1.000001e9}};
         }},
        {"bandpass",
         [](RecordJob& j) {
             j.bandpass = {{0, kNan, 1, 2}};
         }},
        {"bandpass",
         [](RecordJob& j) {
             j.bandpass = {{0, 2, 1, 3}};
         }},
        {"",
         [](RecordJob& j) {
             j.window = {{-1e9, 1e9}};
         }},
        {"window",
         [](RecordJob& j) {
             j.window = {{0, 0}};
         }},
        {"window",
         [](RecordJob& j) {
             j.window = {{kNan, 1}};
         }},
        {"skip", [](RecordJob& j) { j.skip = -1; }},
        {"",
         [](RecordJob& j) {
             j.periods = {1e-6, 1e5};
         }},
        {"periods",
         [](RecordJob& j) {
             j.periods = {0.1, 0.1};
         }},
        {"periods", [](RecordJob& j) { j.periods = {kNan}; }},
        {"damping", [](RecordJob& j) { j.dampings = {1.0}; }},
        {"damping", [](RecordJob& j) { j.dampings = std::vector<double>(101, 0.05); }},
        {"",
         [](RecordJob& j) {
             j.smoothing.hv_window = {smoothing::WindowKind::parzen, 1e6};
         }},
        {"smooth",
         [](RecordJob& j) {
             j.smoothing.window = {{}, 0.0099};
         }},
        {"smooth",
         [](RecordJob& j) {
             j.smoothing.hv_window = {{}, kNan};
         }},
        {"hv-windows", [](RecordJob& j) { j.smoothing.hv_window_seconds = 0.0; }},
        {"hv-taper",
         [](RecordJob& j) {
             j.smoothing.hv_window_seconds = 10;
             j.smoothing.hv_taper = 1.5;
         }},
        {"hv-range",
         [](RecordJob& j) {
             j.smoothing.hv_window_seconds = 10;
             j.smoothing.hv_range = {{5, 5}};
         }},
        {"hv-azimuths",
         [](RecordJob& j) {
             j.smoothing.hv_window_seconds = 10;
             j.smoothing.hv_azimuth_step = 7;
         }},
        {"",
         [](RecordJob& j) {
             j.smoothing.hv_window_seconds = 10, j.smoothing.hv_azimuth_step = 0.5;
         }},
        {"taper", [](RecordJob& j) { j.processing.steps.taper = 0.51; }},
        {"highpass",
         [](RecordJob& j) {
             j.processing.steps.filters[1].highpass = Corner{0.1, 9};
         }},
        {"lowpass",
         [](RecordJob& j) {
             j.processing.steps.filters[0].lowpass = Corner{0.0, 4};
         }},
        {"snr-band",
         [](RecordJob& j) {
             j.processing.snr = {3.0, 5.0, 1.0};
         }},
        {"water-level", [](RecordJob& j) { j.inventory.deconvolution.water_level_db = 301; }},
        {"pre-filter",
         [](RecordJob& j) {
             j.inventory.deconvolution.pre_filter = {{1, 1, 2, 3}};
         }},
    };
    for (const Case& c : cases) {
        RecordJob job;
        c.set(job);
        const std::string want = std::string("for --") + c.option + ":";
        try {
            check_job(job);
            EXPECT_STREQ(c.option, "") << "taken, but --" << c.option << " is beyond its range";
        } catch (const cli::UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(want), std::string::npos)
                << c.option << ": " << error.what();
        }
    }
}

TEST(CheckJob, TheFrequencyGridIsLogSpacedBetweenItsEnds) {
    const std::vector<double> grid = frequency_grid(0.5, 50.0, 5);  // 0.5 .. 50, 2 decades
    const double want[] = {0.5, 0.5 * std::sqrt(10.0), 5.0, 5.0 * std::sqrt(10.0), 50.0};
    ASSERT_EQ(grid.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(grid[i], want[i], 1e-12 * want[i]);
    EXPECT_THROW(frequency_grid(2.0, 1.0, 5), cli::UsageError);
    EXPECT_THROW(frequency_grid(1.0, 2.0, 1), cli::UsageError);
    EXPECT_THROW(frequency_grid(kNan, 2.0, 5), cli::UsageError);
}

}  // namespace
}  // namespace wavespec::job
