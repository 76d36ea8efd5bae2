// No newer file ever holds nan or inf: a record with a sample that is not finite, or whose
// values overflow on the way, fails alone with one line and leaves no file; the legacy files
// of a run asking for nothing new keep their behaviour.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

// n random samples dt apart; the sample at `odd` of component 2 reads `text`, when given.
std::string random_record(int n, double dt, int odd = -1, const char* text = "") {
    std::mt19937_64 engine(5);
    std::uniform_real_distribution<double> pick(-1.0, 1.0);
    std::string record = "time,NS,EW,UD\n";
    for (int i = 0; i < n; ++i) {
        char line[160];
        double ew = pick(engine);
        std::snprintf(line, sizeof line, "%.17g,%.17g,%s,%.17g\n", i * dt, pick(engine),
                      i == odd ? text : std::to_string(ew).c_str(), pick(engine));
        record += line;
    }
    return record;
}

std::string silent_vertical() {
    return make_record(300, 0.01, [](int k, double t) { return k == 3 ? 0.0 : std::sin(3 * t); });
}

struct FiniteCase {
    std::string record;
    std::vector<std::string> options;
    int status;
    const char* message;  // on the one line of standard error
};

TEST(FiniteValues, ARecordThatWouldWriteNanOrInfFailsAloneAndLeavesNoFile) {
    const FiniteCase cases[] = {
        // Finite samples at an interval no period suits (PGV was once written as 0): the
        // record fails before its measures are computed.
        {random_record(200, 1e300),
         {"--response-spectra", "--integrate"},
         1,
         "is below a thousandth of the record's sampling interval"},
        {random_record(200, 1e300),
         {"--layout=full", "--response-spectra"},
         1,
         "is below a thousandth of the record's sampling interval"},
        // Finite samples whose squares overflow.
        {random_record(200, 0.01, 3, "1e300"),
         {"--layout=full", "--response-spectra"},
         1,
         "measures.csv: Arias(m/s) on line 3 is not finite"},
        {random_record(200, 1e300),
         {"--layout=full", "--integrate"},
         1,
         "amp3.csv: NS on line 2 is not finite (inf)"},
        {random_record(100, 0.01, 5, "1e400"),
         {"--smooth=parzen"},
         1,
         "component 2 (EW): the sample at 0.05 s (sample 6) is not finite (inf)"},
        {random_record(100, 0.01, 7, "-1e999"),
         {"--layout=full"},
         1,
         "component 2 (EW): the sample at 0.07 s (sample 8) is not finite (-inf)"},
        {random_record(100, 0.01, 7, "-1e999"),
         {"--response-spectra", "--periods=1"},
         1,
         "is not finite (-inf)"},
        {make_record(200, 0.01, [](int k, double) { return k == 1 ? 1e308 : 0.5; }),
         {"--layout=full"},
         1,
         "amp-c.csv: re on line 2 is not finite"},
        {silent_vertical(), {"--smooth=konno-ohmachi"}, 1, "smoothed.csv: H/V on line 2"},
        {silent_vertical(), {"--layout=full", "--smooth=parzen"}, 1, "smoothed.csv: H/V on line 2"},
    };
    for (const FiniteCase& c : cases) {
        SCOPED_TRACE(c.message);
        ScratchDir dir;
        write_file(dir / "r.csv", c.record);
        std::vector<std::string> args = {"process", "-q", "-C", "out"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("r.csv");
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, c.status);
        std::vector<std::string> err = split_lines(run.err);
        ASSERT_EQ(err.size(), 1u) << run.err;
        EXPECT_NE(err[0].find(c.message), std::string::npos) << err[0];
        EXPECT_FALSE(std::filesystem::exists(dir / "out"));
    }
}

TEST(FiniteValues, LegacyFilesAloneKeepTheirBehaviour) {
    ScratchDir dir;
    write_file(dir / "r.csv", random_record(100, 0.01, 5, "1e400"));
    ToolRun run = run_tool_with(dir.path(), {"process", "-q", "r.csv"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "amp3.csv"));
}

}  // namespace
}  // namespace wavespec::test
