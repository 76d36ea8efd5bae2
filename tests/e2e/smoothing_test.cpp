// wavespec process --smooth and --hv-windows on a record in a network's format: the files
// against sums and statistics recomputed here from the run's other files.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
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
        if (j % 37 != 0) continue;
        // The plain Konno-Ohmachi sum over amp3.csv's amplitudes, which carry 4 digits; H/V
        // is the smoothed geometric mean of the raw horizontals over the smoothed vertical.
        double num[4] = {}, den = 0.0;
        for (std::size_t i = 0; i < amp.rows.size(); ++i) {
            double x = 40.0 * std::log10(static_cast<double>(i + 1) * df / row[0]);
            double w = x == 0.0 ? 1.0 : std::pow(std::sin(x) / x, 4);
            for (std::size_t c = 1; c <= 3; ++c) num[c] += w * amp.rows[i][c];
            num[0] += w * std::sqrt(amp.rows[i][1] * amp.rows[i][2]);
            den += w;
        }
        for (std::size_t c = 1; c <= 3; ++c) {
            EXPECT_NEAR(row[c], num[c] / den, 1e-3 * num[c] / den) << row[0] << " component " << c;
        }
        EXPECT_NEAR(row[4], num[0] / num[3], 2e-3 * row[4]) << row[0];
        EXPECT_GT(std::fabs(row[4] / (std::sqrt(row[1] * row[2]) / row[3]) - 1.0), 1e-6);
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
    // f0 and its spread as the summary gives them, not searched again.
    const std::string redrawn = read_file(out / "hv.svg");
    EXPECT_NE(redrawn.find(f0_text.str().substr(0, 9)), std::string::npos);
    EXPECT_NE(redrawn.find("5 windows of 8 s (800 samples), Tukey taper 0.1"), std::string::npos);
    std::string damaged = read_file(out / "hv.csv");
    write_file(out / "hv.csv", damaged.insert(damaged.find('\n', damaged.find('\n') + 1), ",x"));
    plot = run_tool_with(dir.path(), {"plot", "out"});
    EXPECT_EQ(plot.exit_status, 1);
    EXPECT_NE(plot.err.find("hv.csv:2: expected 10 fields, found 11"), std::string::npos)
        << plot.err;
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
        {{"--hv-windows=50"}, 1, "holds no window that long"},
        {{"--hv-windows=8", "--hv-taper=1.01"}, 2, "--hv-taper"},
        {{"--hv-windows=8", "--hv-taper=-0.1"}, 2, "--hv-taper"},
        {{"--hv-taper=0.1"}, 2, "--hv-taper needs --hv-windows"},
        {{"--hv-windows=8", "--frequencies=1:1:5"}, 2, "FROM < TO"},
        {{"--hv-windows=8", "--frequencies=0:4:5"}, 2, "FROM must be"},
        {{"--hv-windows=8", "--frequencies=1:4:1"}, 2, "--frequencies"},
        {{"--hv-windows=8", "--frequencies=1:4"}, 2, "FROM:TO:COUNT"},
        {{"--smooth=parzen", "--frequencies=1:4:9", "--smooth-points=5"}, 2, "give one"},
        {{"--frequencies=1:4:9"}, 2, "--frequencies needs"},
        {{"--smooth=parzen:0.5", "--frequencies=1:1000000:10"}, 2, "reaches 1e+06 Hz, where"},
        // Grid points beyond the bins of the windows (0.1 to 50 Hz) or of the record.
        {{"--hv-windows=10", "--frequencies=0.5:1000:200"}, 1, "bins, which run from 0.1 to 50"},
        {{"--hv-windows=8", "--frequencies=0.1:10:20"}, 1, "noise window's bins, which run"},
        {{"--smooth=parzen", "--frequencies=1:51:5"}, 1, "passes the record's bins"},
        {{"--hv-windows=8", "--hv-range=3,1"}, 2, "--hv-range"},
        {{"--hv-windows=8", "--hv-range=60,70"}, 1, "no frequency of the H/V grid"},
        {{"--hv-windows=8", "--hv-reject=0"}, 2, "--hv-reject"},
        {{"--hv-windows=8", "--hv-azimuths=7"}, 2, "divide 180"},
        {{"--hv-windows=8", "--hv-azimuths=0.4"}, 2, "STEP must be"},
        {{"--hv-windows=8", "--hv-azimuths=0"}, 2, "--hv-azimuths"},
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

// The tool's CSV record of n samples at dt, value(c, i) for component c at sample i.
void write_record(const fs::path& file, std::size_t n, double dt,
                  const std::function<double(int, std::size_t)>& value) {
    std::string text = "time(s),NS,EW,UD\n";
    char line[160];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "%.17g,%.17g,%.17g,%.17g\n", static_cast<double>(i) * dt,
                      value(0, i), value(1, i), value(2, i));
        text += line;
    }
    write_file(file, text);
}

TEST(ProcessSmoothing, BothLayoutsWriteTheSameFiniteValues) {
    ScratchDir dir;
    samples::write_knet_set(dir.path(), "XYZ0012001020304", 4000);
    for (const char* layout : {"legacy", "full"}) {
        ToolRun run = run_tool_with(
            dir.path(), {"process", "-q", std::string("--layout=") + layout, "--no-dumps",
                         "--smooth=konno-ohmachi:40", "--hv-windows=8", "--hv-azimuths=45",
                         "--response-spectra", "-C", layout, "XYZ0012001020304.NS"});
        ASSERT_EQ(run.exit_status, 0) << layout << run.err;
    }
    for (const char* file : {"smoothed.csv", "hv.csv", "hv-summary.txt", "hv-azimuth.csv",
                             "response.csv", "measures.csv"}) {
        const std::string legacy = read_file(dir / "legacy" / file);
        EXPECT_EQ(legacy, read_file(dir / "full" / file)) << file;
        for (const char* bad : {"nan", "inf"})
            EXPECT_EQ(legacy.find(bad), std::string::npos) << file;
    }
}

TEST(ProcessSmoothing, OneWindowIsTakenAndASilentVerticalFailsTheRecordAlone) {
    ScratchDir dir;
    samples::write_knet_set(dir.path(), "XYZ0012001020304", 4000);
    ToolRun run = run_tool_with(
        dir.path(), {"process", "-q", "--hv-windows=30", "-C", "one", "XYZ0012001020304.NS"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    Table hv = read_table(dir / "one" / "hv.csv");
    ASSERT_EQ(hv.header.size(), 6u);
    for (const auto& row : hv.rows) {
        ASSERT_EQ(row[2], 0.0);                       // no spread
        ASSERT_NEAR(row[1], row[5], row[5] * 1e-15);  // the mean is the window
    }
    const std::string summary = read_file(dir / "one" / "hv-summary.txt");
    std::size_t open = 0;
    for (std::size_t at = summary.find("not judged"); at != std::string::npos;
         at = summary.find("not judged", at + 1)) {
        ++open;
    }
    EXPECT_GE(open, 4u) << summary;  // sigma_A, peaks of A sigma_A, sigma_f, sigma_A(f0)

    std::mt19937_64 random(7);
    std::normal_distribution<double> normal;
    write_record(dir / "quiet.csv", 3000, 0.01,
                 [&](int c, std::size_t) { return c == 2 ? 0.0 : normal(random); });
    for (const char* layout : {"--layout=legacy", "--layout=full"}) {
        for (const char* option : {"--hv-windows=5", "--smooth=konno-ohmachi"}) {
            run = run_tool_with(dir.path(), {"process", "-q", layout, option, "quiet.csv"});
            EXPECT_EQ(run.exit_status, 1) << option;
            const bool windows = option[2] == 'h';
            EXPECT_NE(run.err.find(windows ? "window 1 has V = 0" : "not finite"),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            EXPECT_FALSE(fs::exists(dir / "amp3.csv"));
        }
    }
}

// A window whose smoothed H or V is zero anywhere fails the record, naming the window.
TEST(ProcessSmoothing, AWindowWithASilentComponentFailsTheRecordNamingIt) {
    struct Case {
        int silent;           // the component that is zero
        std::size_t samples;  // for so many samples from the start
        std::vector<std::string> options;
        const char* message;
    };
    const Case cases[] = {
        {2, 500, {}, "--hv-windows=5: window 1 has V = 0 at 0.2 Hz"},
        {1, 3000, {}, "--hv-windows=5: window 1 has H = 0 at 0.2 Hz"},
        {0, 1000, {"--hv=arithmetic", "--hv-azimuths=90"}, "window 1 has H turned to 0 degrees"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        std::mt19937_64 random(7);
        std::normal_distribution<double> normal;
        write_record(dir / "quiet.csv", 3000, 0.01, [&](int k, std::size_t i) {
            const double x = normal(random);
            return k == c.silent && i < c.samples ? 0.0 : x;
        });
        std::vector<std::string> args = {"process", "-q", "--hv-windows=5"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("quiet.csv");
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, 1) << c.message << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "amp3.csv"));
    }
}

// Horizontals of white noise through a damped oscillator at 2 Hz (zeta 0.05), the vertical
// white noise: f0 lies within 1 % of the oscillator's amplitude peak 2 sqrt(1 - 2 zeta^2).
TEST(ProcessSmoothing, NoiseThroughAnOscillatorPeaksAtItsResonance) {
    const double dt = 0.01, zeta = 0.05, omega = 2.0 * std::numbers::pi * 2.0;
    const std::size_t n = 180001;  // 30 minutes
    // The oscillator 1 / (s^2 + 2 zeta w s + w^2) through the bilinear transform, its
    // frequency prewarped so that the resonance stays where it is.
    const double w = 2.0 / dt * std::tan(omega * dt / 2.0), k = 2.0 / dt;
    const double a0 = k * k + 2.0 * zeta * w * k + w * w;
    const double a1 = (2.0 * w * w - 2.0 * k * k) / a0,
                 a2 = (k * k - 2.0 * zeta * w * k + w * w) / a0;
    std::vector<std::vector<double>> series(3, std::vector<double>(n));
    std::mt19937_64 random(2026);
    std::normal_distribution<double> normal;
    for (int c = 0; c < 3; ++c) {
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double x = normal(random);
            const double y = c == 2 ? x : (x + 2.0 * x1 + x2) / a0 * 400.0 - a1 * y1 - a2 * y2;
            x2 = x1, x1 = x, y2 = y1, y1 = y;
            series[c][i] = y;
        }
    }
    ScratchDir dir;
    write_record(dir / "noise.csv", n, dt,
                 [&](int c, std::size_t i) { return series[static_cast<std::size_t>(c)][i]; });
    ToolRun run = run_tool_with(
        dir.path(), {"process", "-q", "--layout=full", "--no-dumps", "--smooth=konno-ohmachi:40",
                     "--hv=quadratic", "--hv-windows=59.99", "--hv-taper=0.1",
                     "--frequencies=0.3:40:2048", "noise.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    Table hv = read_table(dir / "hv.csv");
    ASSERT_EQ(hv.rows.size(), 2048u);
    ASSERT_EQ(hv.header.size(), 5u + 30u);  // 30 windows of 5999 samples
    EXPECT_NEAR(hv.rows.front()[0], 0.3, 1e-15);
    EXPECT_EQ(hv.rows.back()[0], 40.0);
    std::size_t peak = 0;
    for (std::size_t r = 0; r < hv.rows.size(); ++r) {
        if (hv.rows[r][1] > hv.rows[peak][1]) peak = r;
    }
    const double expected = 2.0 * std::sqrt(1.0 - 2.0 * zeta * zeta);
    EXPECT_NEAR(hv.rows[peak][0], expected, 0.01 * expected);
}

}  // namespace
}  // namespace wavespec::test
