// The Windows build writes the same bytes as the native build, apart from its CR LF line ends:
// console, diagnostics and every file, for records long enough that the inverse transform's
// near-zero values (fort.69, fort.88) carry the last bits of its twiddle factors.
#include "same_bytes.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>
#include <string>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"
#include "stationxml_samples.hpp"

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

// Every file of a run in both directories, byte for byte: the legacy layout's files end their
// lines the system's way (CR LF from the Windows tool), the others with a plain "\n" anywhere.
// run.json is left out: it holds the input's modification time, and each tool read its own copy.
void expect_same_files(const fs::path& native, const fs::path& windows, bool full_layout) {
    ASSERT_EQ(file_names(windows), file_names(native));
    for (const std::string& name : file_names(native)) {
        if (name == "run.json") continue;
        const bool legacy = name == "amp3.csv" || name == "amp-c.csv" || name == "wave.csv" ||
                            name.starts_with("fort.");
        std::string want = read_file(native / name);
        if (legacy && !full_layout) want = lines(want);
        EXPECT_PRED_FORMAT2(same_bytes, read_file(windows / name), want) << name;
    }
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
        // The processing chain: trend, taper, pads, Butterworth sections, baseline; its pictures.
        {6000,
         {"process", "--layout=full", "--no-dumps", "--detrend=linear", "--taper=0.05",
          "--pad=auto", "--highpass=0.1", "--lowpass=20,6", "--baseline=polynomial", "--plot",
          "rec.csv"}},
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
        expect_same_files(native.path(), windows.path(), job.args[1] == "--layout=full");
    }
}

#ifdef WAVESPEC_HAVE_MSEED
// A velocity sensor (poles and zeros of 1 Hz, damping 0.7) and a digitiser's gain on the
// MiniSEED record's channels XX.XYZ.00, the horizontals at azimuths 30 and 120.
std::string velocity_sensor_inventory() {
    using namespace samples;
    const double w0 = 2 * std::numbers::pi, re = -0.7 * w0, im = w0 * std::sqrt(1 - 0.49);
    const std::string stages = poles_zeros(1, "LAPLACE (RADIANS/SECOND)", 1, {{0, 0}, {0, 0}},
                                           {{re, im}, {re, -im}}, "M/S", "V", 1500) +
                               "<Stage number=\"2\">" + gain(4e5) + "</Stage>";
    std::string channels;
    for (auto [code, azimuth] : {std::pair{"HHN", 30.0}, {"HHE", 120.0}, {"HHZ", 0.0}})
        channels += channel(code, "00", "2020-01-01T00:00:00", "", 100, 6e8, "M/S", stages, azimuth,
                            code[2] == 'Z' ? -90.0 : 0.0);
    return station_xml(channels);
}

// MiniSEED through libmseed and StationXML through pugixml, both built for Windows from the
// same sources as the native tool's: the records' counts, the instrument's response removed,
// the rotation and the response listed must come out as the native tool's bytes.
TEST(SameBytes, WindowsBuildReadsMiniseedAndStationXmlAsTheNativeBuild) {
    if (!windows_tool()) GTEST_SKIP() << "the tool under test is the native build";
    const std::vector<std::vector<std::string>> jobs = {
        {"process", "--bandpass=0.1,0.2,20,25", "XYZ.mseed"},
        {"process", "--layout=full", "--inventory=st.xml", "--units=velocity",
         "--pre-filter=0.1,0.2,30,40", "--rotate", "--smooth=konno-ohmachi", "XYZ.mseed"},
        {"process", "--layout=full", "--inventory=st.xml", "--response-spectra", "XYZ.mseed"},
        {"convert", "--inventory=st.xml", "--rotate", "-o", "out.csv", "XYZ.mseed"},
        {"inventory", "st.xml", "--response=XX.XYZ.00.HHN", "--frequencies=0.01:50:40",
         "--units=displacement"},
    };
    for (const auto& args : jobs) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        ScratchDir native;
        ScratchDir windows;
        for (const ScratchDir* dir : {&native, &windows}) {
            samples::write_mseed_file(dir->path(), 3000);
            write_file(*dir / "st.xml", velocity_sensor_inventory());
        }
        ToolRun expected = run_native_tool_with(native.path(), args);
        ToolRun actual = run_tool_with(windows.path(), args);
        ASSERT_EQ(expected.exit_status, 0) << expected.err;
        ASSERT_EQ(actual.exit_status, 0) << actual.err;
        // Something beyond the two inputs to compare: the listing, or the run's files.
        EXPECT_TRUE(!expected.out.empty() || file_names(native.path()).size() > 2);
        EXPECT_PRED_FORMAT2(same_bytes, actual.out, lines(expected.out));
        EXPECT_PRED_FORMAT2(same_bytes, actual.err, lines(expected.err));
        expect_same_files(native.path(), windows.path(), args[1] == "--layout=full");
    }
}
#endif

}  // namespace
}  // namespace wavespec::test
