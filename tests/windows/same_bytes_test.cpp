// The Windows build writes the same bytes as the native build, apart from its CR LF line ends:
// console, diagnostics and every file, for records long enough that the inverse transform's
// near-zero values (fort.69, fort.88) carry the last bits of its twiddle factors.
#include "same_bytes.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

std::set<std::string> file_names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(SameBytes, WindowsBuildWritesTheNativeBuildsFilesWithCrLf) {
    if (!windows_tool()) GTEST_SKIP() << "the tool under test is the native build";
    Answers plain;
    Answers filtered;
    filtered.filter = "1\n0.1 0.2 20 25";
    filtered.operation = "1";
    for (const Answers& answers : {plain, filtered}) {
        ScratchDir native;
        ScratchDir windows;
        const std::string record = smooth_record(6000);
        write_file(native / "rec.csv", record);
        write_file(windows / "rec.csv", record);
        ToolRun expected = run_native_tool(native.path(), answers.text());
        ToolRun actual = run_tool(windows.path(), answers.text());
        ASSERT_EQ(expected.exit_status, 0) << expected.err;
        ASSERT_EQ(actual.exit_status, 0) << actual.err;
        EXPECT_EQ(actual.out, lines(expected.out));
        EXPECT_EQ(actual.err, lines(expected.err));
        ASSERT_EQ(file_names(windows.path()), file_names(native.path()));
        for (const std::string& name : file_names(native.path())) {
            if (name == "rec.csv") continue;
            EXPECT_PRED_FORMAT2(same_bytes, read_file(windows / name),
                                lines(read_file(native / name)))
                << name << " differs, filter answer " << answers.filter;
        }
    }
}

// process on the newer files, written with plain "\n" lines on every platform: the full layout
// of 2^17 samples (the wide stages' factors come from the double-double evaluation), and the
// smoothed spectra, H/V windows and response spectra (both oscillator conventions), whose
// elementary functions must not come from the platform's library. Every file must match byte for
// byte.
TEST(SameBytes, WindowsBuildWritesTheNativeBuildsNewerFiles) {
    if (!windows_tool()) GTEST_SKIP() << "the tool under test is the native build";
    struct Job {
        int samples;
        std::vector<std::string> args;
    };
    const Job jobs[] = {
        {1 << 17,
         {"process", "--layout=full", "--bandpass=0.1,0.2,20,25", "--integrate", "rec.csv"}},
        {6000, {"process", "--smooth=konno-ohmachi:40", "--hv=quadratic", "rec.csv"}},
        {6000, {"process", "--no-dumps", "--smooth=parzen:0.3", "--hv-windows=10", "rec.csv"}},
        {6000,
         {"process", "--no-dumps", "--response-spectra", "--damping=0.02,0.05",
          "--periods=0.01:5:40", "--bandpass=0.1,0.2,20,25", "rec.csv"}},
        // Straight lines between samples, up to 50 steps a sample, and the GMRot rows.
        {6000,
         {"process", "--no-dumps", "--response-spectra", "--oscillator=piecewise-linear",
          "--damping=0.02,0.05", "--periods=0.002:5:40", "rec.csv"}},
    };
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.args[1]);
        ScratchDir native;
        ScratchDir windows;
        const std::string record = smooth_record(job.samples);
        write_file(native / "rec.csv", record);
        write_file(windows / "rec.csv", record);
        ToolRun expected = run_native_tool_with(native.path(), job.args);
        ToolRun actual = run_tool_with(windows.path(), job.args);
        ASSERT_EQ(expected.exit_status, 0) << expected.err;
        ASSERT_EQ(actual.exit_status, 0) << actual.err;
        ASSERT_EQ(file_names(windows.path()), file_names(native.path()));
        for (const std::string& name : file_names(native.path())) {
            // run.json holds the input's modification time, and each tool read its own copy.
            if (name == "run.json") continue;
            const bool legacy = name == "amp3.csv" || name == "amp-c.csv" || name == "wave.csv" ||
                                name.starts_with("fort.");
            const bool full = job.args[1] == "--layout=full";
            std::string want = read_file(native / name);
            if (legacy && !full)
                want = lines(want);  // the legacy layouts end lines the system's way
            EXPECT_PRED_FORMAT2(same_bytes, read_file(windows / name), want) << name;
        }
    }
}

}  // namespace
}  // namespace wavespec::test
