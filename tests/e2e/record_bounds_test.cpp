// Bounds that depend on the record: work beyond its ceiling, or a smoothing phase beyond
// where the sines stay exact, fail the record alone with one line and leave no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

// n sample sets dt apart, times written at full precision.
std::string record_at(int n, double dt) {
    std::string text = "time,NS,EW,UD\n";
    for (int i = 0; i < n; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "%.17g,%d,%d,%d\n", i * dt, i % 7 - 3, i % 5 - 2, i % 3);
        text += line;
    }
    return text;
}

std::string dampings(int n) {
    std::string text = "--damping=0.001";
    for (int i = 2; i <= n; ++i) text += ",0.00" + std::to_string(i) + "1";
    return text;
}

struct RecordCase {
    int samples;
    double dt;
    std::vector<std::string> options;
    const char* message;
};

TEST(RecordBounds, WorkOrPhaseBeyondItsBoundFailsTheRecordAlone) {
    const RecordCase cases[] = {
        // (pi 280/302) 50 Hz / 1e-6 Hz = 1.5e8
        {64, 0.01, {"--smooth=parzen:1e-6"}, "phase would reach 145636745.5"},
        // 1e4 log10(5e299) = 3e6
        {64, 1e-300, {"--smooth=konno-ohmachi:10000"}, "phase would reach 2996"},
        // 10000 x 100 x 4400 = 4.4e9 > 2^32
        {4400,
         0.01,
         {"--response-spectra", "--periods=0.01:10:10000", dampings(100)},
         "periods x dampings x samples would take 4400000000"},
        // 2048 windows x 9031 centres > 2^24
        {32768, 0.01, {"--hv-windows=0.16", "--smooth-points=10000"}, "windows x centres"},
        // Parzen's phase spans 145636 radians, more nodes than the 131072 bins: each of the
        // 131072 centres sums every bin, 2^34 > 2^33
        {262144,
         0.01,
         {"--layout=full", "--smooth=parzen:0.001", "--smooth-points=bins"},
         "centres x summed points would take 17179869184"},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.message);
        ScratchDir dir;
        write_file(dir / "r.csv", record_at(c.samples, c.dt));
        std::vector<std::string> args = {"process", "-C", "out"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("r.csv");
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, 1);
        std::vector<std::string> err = split_lines(run.err);
        ASSERT_EQ(err.size(), 1u) << run.err;
        EXPECT_NE(err[0].find("r.csv: "), std::string::npos) << err[0];
        EXPECT_NE(err[0].find(c.message), std::string::npos) << err[0];
        EXPECT_FALSE(std::filesystem::exists(dir / "out"));
    }
}

}  // namespace
}  // namespace wavespec::test
