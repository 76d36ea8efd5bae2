// wavespec process --smooth and --hv-windows on a record in a network's format: the files
// against sums and statistics recomputed here from the run's other files.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<double>> rows;
};

std::vector<std::string> fields(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ',');) out.push_back(field);
    return out;
}

Table read_table(const fs::path& file) {
    Table t;
    std::stringstream in(read_file(file));
    std::string line;
    std::getline(in, line);
    t.header = fields(line);
    while (std::getline(in, line)) {
        std::vector<double> row;
        for (const std::string& f : fields(line)) row.push_back(std::stod(f));
        t.rows.push_back(row);
    }
    return t;
}

std::string trimmed(const std::string& s) {
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

TEST(ProcessSmoothing, WholeRoadOnAKnetRecord) {
    ScratchDir dir;
    samples::write_knet_set(dir.path(), "XYZ0012001020304", 4000);  // 40 s at 100 Hz
    ToolRun plain =
        run_tool_with(dir.path(), {"process", "-q", "-C", "plain", "XYZ0012001020304.NS"});
    ASSERT_EQ(plain.exit_status, 0) << plain.err;
    ToolRun run =
        run_tool_with(dir.path(), {"process", "-q", "--smooth=konno-ohmachi:40", "--hv-windows=8",
                                   "--plot", "-C", "out", "XYZ0012001020304.NS"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    fs::path out = dir / "out";
    // The files that were there before stay byte for byte.
    for (const char* file : {"amp3.csv", "amp-c.csv", "wave.csv"}) {
        EXPECT_EQ(read_file(out / file), read_file(dir / "plain" / file)) << file;
    }
    for (const char* file : {"spectra.svg", "hv.svg"}) EXPECT_TRUE(fs::exists(out / file));

    Table amp = read_table(out / "amp3.csv");
    Table smoothed = read_table(out / "smoothed.csv");
    ASSERT_EQ(smoothed.header.size(), 5u);
    for (std::size_t c = 1; c <= 3; ++c) EXPECT_EQ(smoothed.header[c], trimmed(amp.header[c]));
    EXPECT_EQ(smoothed.header[4], "H/V");
    // 4096 bins of 1/40.96 Hz: 100 points a decade from the first bin to 50 Hz.
    const double df = 1.0 / 40.96;
    std::size_t expected = static_cast<std::size_t>(std::floor(100 * std::log10(50.0 / df))) + 1;
    ASSERT_EQ(smoothed.rows.size(), expected);
    for (std::size_t j = 0; j < smoothed.rows.size(); ++j) {
        const auto& row = smoothed.rows[j];
        ASSERT_NEAR(row[0], df * std::pow(10.0, static_cast<double>(j) / 100.0), row[0] * 1e-9);
        // H/V: the geometric mean of the horizontals over the vertical.
        EXPECT_NEAR(row[4], std::sqrt(row[1] * row[2]) / row[3], row[4] * 1e-12);
        if (j % 37 != 0) continue;
        // The plain Konno-Ohmachi sum over amp3.csv's amplitudes, which carry 4 digits.
        for (std::size_t c = 1; c <= 3; ++c) {
            double num = 0.0, den = 0.0;
            for (std::size_t i = 0; i < amp.rows.size(); ++i) {
                double x = 40.0 * std::log10(static_cast<double>(i + 1) * df / row[0]);
                double w = x == 0.0 ? 1.0 : std::pow(std::sin(x) / x, 4);
                num += w * amp.rows[i][c];
                den += w;
            }
            EXPECT_NEAR(row[c], num / den, 1e-3 * num / den) << row[0] << " component " << c;
        }
    }

    // 5 windows of 8 s: the lognormal mean, its spread and the band around it.
    Table hv = read_table(out / "hv.csv");
    ASSERT_EQ(hv.header.size(), 10u);
    EXPECT_EQ(hv.header[5], "window1");
    double peak = 0.0, f0 = 0.0;
    for (const auto& row : hv.rows) {
        double sum = 0.0, squares = 0.0;
        for (std::size_t w = 5; w < 10; ++w) sum += std::log(row[w]);
        double mean_ln = sum / 5;
        for (std::size_t w = 5; w < 10; ++w) squares += std::pow(std::log(row[w]) - mean_ln, 2);
        double sigma = std::sqrt(squares / 4);
        ASSERT_NEAR(row[1], std::exp(mean_ln), row[1] * 1e-12);
        ASSERT_NEAR(row[2], sigma, 1e-12);
        ASSERT_NEAR(row[3], row[1] * std::exp(sigma), row[3] * 1e-12);
        ASSERT_NEAR(row[4], row[1] / std::exp(sigma), row[4] * 1e-12);
        if (row[1] > peak) peak = row[1], f0 = row[0];
    }
    std::string summary = read_file(out / "hv-summary.txt");
    std::ostringstream f0_text;
    f0_text.precision(6);
    f0_text << "f0 = " << f0;
    EXPECT_NE(summary.find(f0_text.str().substr(0, 9)), std::string::npos) << summary;
    EXPECT_NE(summary.find("5 windows of 8 s (800 samples)"), std::string::npos) << summary;
    // Ten criteria lines: f0 > 10/lw with lw = 8 s is 1.25 Hz.
    EXPECT_NE(summary.find(std::string("f0 > 10/lw: ")), std::string::npos);
    EXPECT_NE(summary.find(" > 1.25: " + std::string(f0 > 1.25 ? "pass" : "fail")),
              std::string::npos)
        << summary;

    // plot DIR draws the same pictures again from the files: six spectra (raw and smoothed),
    // hv.svg with f0 marked; a damaged hv.csv is named with its line.
    for (const char* file : {"spectra.svg", "hv.svg"}) fs::remove(out / file);
    ToolRun plot = run_tool_with(dir.path(), {"plot", "out"});
    ASSERT_EQ(plot.exit_status, 0) << plot.err;
    std::string spectra = read_file(out / "spectra.svg");
    std::size_t paths = 0;
    for (std::size_t at = spectra.find("<path "); at != std::string::npos;
         at = spectra.find("<path ", at + 1)) {
        ++paths;
    }
    EXPECT_EQ(paths, 6u);
    EXPECT_NE(read_file(out / "hv.svg").find("f0 = "), std::string::npos);
    std::string damaged = read_file(out / "hv.csv");
    write_file(out / "hv.csv", damaged.insert(damaged.find('\n', damaged.find('\n') + 1), ",x"));
    plot = run_tool_with(dir.path(), {"plot", "out"});
    EXPECT_EQ(plot.exit_status, 1);
    EXPECT_NE(plot.err.find("hv.csv:2: expected 10 values"), std::string::npos) << plot.err;
}

// The full layout releases each series once transformed; the noise windows are cut from the
// series as read all the same.
TEST(ProcessSmoothing, BothLayoutsCutTheSameNoiseWindows) {
    ScratchDir dir;
    samples::write_knet_set(dir.path(), "XYZ0012001020304", 4000);
    for (const char* layout : {"legacy", "full"}) {
        ToolRun run = run_tool_with(
            dir.path(), {"process", "-q", "--hv-windows=8", std::string("--layout=") + layout, "-C",
                         layout, "XYZ0012001020304.NS"});
        ASSERT_EQ(run.exit_status, 0) << run.err;
    }
    for (const char* file : {"hv.csv", "hv-summary.txt"}) {
        EXPECT_EQ(read_file(dir / "full" / file), read_file(dir / "legacy" / file)) << file;
        EXPECT_EQ(read_file(dir / "full" / file).find("nan"), std::string::npos) << file;
    }
}

TEST(ProcessSmoothing, RefusedOptionsAndRecords) {
    struct Case {
        std::vector<std::string> options;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"--smooth=konno-ohmachi:0"}, 2, "--smooth"},
        {{"--smooth=konno-ohmachi:-3"}, 2, "--smooth"},
        {{"--smooth=parzen:0"}, 2, "--smooth"},
        {{"--smooth=parzen:nan"}, 2, "--smooth"},
        {{"--smooth=parzen:inf"}, 2, "--smooth"},
        {{"--smooth=hann"}, 2, "--smooth"},
        {{"--smooth=parzen", "--smooth-points=0"}, 2, "--smooth-points"},
        {{"--smooth=parzen", "--smooth-points=many"}, 2, "--smooth-points"},
        {{"--smooth-points=bins"}, 2, "--smooth-points needs"},
        {{"--hv=total"}, 2, "--hv needs"},
        {{"--smooth=parzen", "--hv=median"}, 2, "--hv"},
        {{"--hv-windows=0"}, 2, "--hv-windows"},
        {{"--hv-windows=-1"}, 2, "--hv-windows"},
        {{"--smooth=parzen", "--output=hv.csv"}, 2, "--output"},
        {{"--hv-windows=30"}, 1, "fewer than two windows"},
        {{"--hv-windows=50"}, 1, "holds no window that long"},
        {{"--hv-windows=0.1"}, 1, "fewer than 16 samples"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        samples::write_knet_set(dir.path(), "XYZ0012001020304", 4000);
        std::vector<std::string> args = {"process", "-q"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("XYZ0012001020304.NS");
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, c.status) << c.options.front();
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        if (c.status == 1) {
            EXPECT_FALSE(fs::exists(dir / "amp3.csv")) << c.options.front();
        }
    }
}

}  // namespace
}  // namespace wavespec::test
