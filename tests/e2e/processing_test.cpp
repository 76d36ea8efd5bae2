// wavespec process --detrend .. --baseline: bounds refused at the edge, record-dependent
// bounds failing the record alone, and processed.csv against sums recomputed here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>

#include "e2e/run_tool.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

// n samples at 0.01 s with an offset, a trend and two sines.
std::string record_text(int n) {
    std::string text = "time,NS,EW,UD\n";
    for (int i = 0; i < n; ++i) {
        const double t = i * 0.01;
        text += shortest_text(t) + "," + shortest_text(2 + 0.1 * t + std::sin(3 * t)) + "," +
                shortest_text(std::cos(40 * t)) + "," + shortest_text(-1.5) + "\n";
    }
    return text;
}

std::vector<std::vector<double>> rows_of(const std::string& csv) {
    std::vector<std::vector<double>> rows;
    std::stringstream in(csv);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::stringstream fields(line);
        auto& row = rows.emplace_back();
        for (std::string f; std::getline(fields, f, ',');) row.push_back(std::stod(f));
    }
    return rows;
}

TEST(ProcessProcessing, ValuesOutsideTheirBoundsAreUsageErrors) {
    for (std::string option : {"--taper=0.6",
                               "--taper=-0.1",
                               "--highpass=0",
                               "--highpass=inf",
                               "--highpass=0.1,9",
                               "--highpass=0.1,0",
                               "--lowpass=nan",
                               "--lowpass=1,2.5",
                               "--pad=auto",
                               "--pad=-1",
                               "--filter=causal",
                               "--filter=zero",
                               "--detrend=quadratic",
                               "--baseline=cubic",
                               "--highpass=5 --lowpass=1",
                               "--output=processed.csv",
                               "--corners=snr --highpass=1",
                               "--corners=snr",
                               "--signal-start=5",
                               "--corners=snr --signal-start=0",
                               "--corners=snr,9 --signal-start=1",
                               "--corners=snr --signal-start=1 --snr-band=5,1",
                               "--corners=absent.csv",
                               "--corners=r.csv",
                               "--corners=."}) {
        ScratchDir dir;
        write_file(dir / "r.csv", record_text(100));
        std::vector<std::string> args = {"process", "r.csv"};
        std::stringstream words(option);
        for (std::string w; words >> w;) args.push_back(w);
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, 2) << option;
        EXPECT_TRUE(run.err.ends_with(lines("; try 'wavespec process --help'\n"))) << run.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << option;
    }
}

TEST(ProcessProcessing, RecordBeyondItsBoundsFailsAlone) {
    for (std::vector<std::string> options :
         {std::vector<std::string>{"--highpass=50"}, {"--lowpass=60"}, {"--pad=300"}}) {
        ScratchDir dir;
        write_file(dir / "r.csv", record_text(3000));
        options.insert(options.begin(), {"process", "-q", "-C", "out", "r.csv"});
        ToolRun run = run_tool_with(dir.path(), options);
        EXPECT_EQ(run.exit_status, 1) << options.back();
        EXPECT_TRUE(run.err.starts_with("wavespec process: r.csv: ")) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out")) << options.back();
    }
}

TEST(ProcessProcessing, CornersFromATableByStemOrFileName) {
    ScratchDir dir;
    write_file(dir / "r.csv", record_text(500));
    write_file(dir / "q.csv", record_text(500));
    write_file(dir / "corners.csv", "record,highpass,lowpass\nr,0.2,10\nx.csv,1,2\n");
    ToolRun run = run_tool_with(
        dir.path(), {"process", "-q", "-C", "out", "--corners=corners.csv", "r.csv", "q.csv"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, lines("wavespec process: q.csv: no row of corners.csv names this record\n"));
    const std::string text = read_file(dir / "out" / "r" / "processing.txt");
    EXPECT_NE(text.find("component 3 (UD): high-pass 0.2 Hz order 4 (table), low-pass 10 Hz "
                        "order 4 (table)"),
              std::string::npos)
        << text;
}

TEST(ProcessProcessing, CornersFromTheNoiseAreGridPointsSharedByTheHorizontals) {
    ScratchDir dir;
    std::string text = "time,NS,EW,UD\n";
    for (int i = 0; i < 4000; ++i) {  // 10 s of faint noise, then 30 s of a broadband signal
        const double t = i * 0.01, noise = 1e-3 * std::sin(0.7 * i * i);
        double signal = 0;
        for (double f = 0.2; t >= 10 && f < 30; f *= 1.3) signal += std::sin(2 * 3.14159 * f * t);
        text += shortest_text(t) + "," + shortest_text(signal + noise) + "," +
                shortest_text(0.5 * signal + noise) + "," + shortest_text(signal - noise) + "\n";
    }
    write_file(dir / "r.csv", text);
    ToolRun run = run_tool_with(dir.path(), {"process", "-q", "--layout=full", "--corners=snr",
                                             "--signal-start=10", "--pad=auto", "r.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const auto snr = rows_of(read_file(dir / "snr.csv"));
    // 100 points a decade from 1/(30 s) to 50 Hz.
    ASSERT_EQ(snr.size(), static_cast<std::size_t>(std::floor(100 * std::log10(50 * 30.0))) + 1);
    const std::string report = read_file(dir / "processing.txt");
    std::array<std::string, 3> lines;
    std::stringstream in(report);
    for (std::string line; std::getline(in, line);) {
        if (line.find("(SNR)") != std::string::npos)
            lines[line[10] - '1'] = line.substr(line.find(':'));
    }
    EXPECT_EQ(lines[0], lines[1]) << report;  // the horizontals share their corners
    EXPECT_FALSE(lines[2].empty()) << report;
    for (const auto& row : snr) EXPECT_NEAR(row[3], row[1] / row[2], 1e-12 * row[3]);
}

TEST(ProcessProcessing, PlotDrawsEveryQuantityWithThePadsShaded) {
    ScratchDir dir;
    write_file(dir / "r.csv", record_text(500));
    ToolRun run = run_tool_with(dir.path(), {"process", "-q", "--pad=1", "--plot", "r.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::string svg = read_file(dir / "processed.svg");
    auto count = [&svg](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = svg.find(what); at != std::string::npos;
             at = svg.find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("<path "), 9u);             // three quantities of three components
    EXPECT_EQ(count("fill=\"#f0f0f0\""), 18u);  // the pads before and after, in each panel
}

TEST(ProcessProcessing, ProcessedRecordHoldsPadsAndItsTrapezoidIntegrals) {
    ScratchDir dir;
    write_file(dir / "r.csv", record_text(1000));
    for (const char* layout : {"--layout=legacy", "--layout=full"}) {
        ToolRun run = run_tool_with(dir.path(), {"process", "-C", layout + 9, layout,
                                                 "--detrend=demean", "--pad=2.5", "r.csv"});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_NE(run.out.find("nt 1250"), std::string::npos) << run.out;  // the files see it
    }
    const std::string csv = read_file(dir / "legacy" / "processed.csv");
    EXPECT_EQ(csv, read_file(dir / "full" / "processed.csv"));
    EXPECT_EQ(read_file(dir / "legacy" / "processing.txt"),
              read_file(dir / "full" / "processing.txt"));
    const auto rows = rows_of(csv);
    ASSERT_EQ(rows.size(), 1250u);
    const auto input = rows_of(record_text(1000));
    for (int c = 0; c < 3; ++c) {
        long double mean = 0;
        for (const auto& r : input) mean += r[c + 1];
        mean /= input.size();
        long double v = 0, d = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const double expected =
                i < 125 || i >= 1125 ? 0.0 : static_cast<double>(input[i - 125][c + 1] - mean);
            EXPECT_NEAR(rows[i][0], (static_cast<double>(i) - 125) * 0.01, 1e-12);
            ASSERT_NEAR(rows[i][1 + 3 * c], expected, 1e-14);
            if (i > 0) {
                const long double v_next =
                    v + 0.005L * (rows[i][1 + 3 * c] + rows[i - 1][1 + 3 * c]);
                d += 0.005L * (v_next + v);
                v = v_next;
            }
            ASSERT_NEAR(rows[i][2 + 3 * c], static_cast<double>(v), 1e-12);
            ASSERT_NEAR(rows[i][3 + 3 * c], static_cast<double>(d), 1e-12);
        }
    }
}

// 5 s of faint noise, then 25 s of a broadband signal, at 0.01 s.
std::string noise_then_signal() {
    std::string text = "time,NS,EW,UD\n";
    for (int i = 0; i < 3000; ++i) {
        const double t = i * 0.01, noise = 1e-3 * std::sin(0.7 * i * i);
        double signal = 0;
        for (double f = 0.2; t >= 5 && f < 30; f *= 1.3) signal += std::sin(2 * 3.14159 * f * t);
        text += shortest_text(t) + "," + shortest_text(signal + noise) + "," +
                shortest_text(0.5 * signal + noise) + "," + shortest_text(signal - noise) + "\n";
    }
    return text;
}

ToolRun run_with_snr_pictures(const ScratchDir& dir) {
    write_file(dir / "r.csv", noise_then_signal());
    return run_tool_with(dir.path(), {"process", "-q", "--corners=snr", "--signal-start=5",
                                      "--pad=auto", "--plot", "r.csv"});
}

// The run draws snr.svg from the curves in memory; plot reads snr.csv, processed.csv and
// processing.txt back, so the run's pictures are the truth its redrawing must match.
TEST(ProcessProcessing, SnrPictureMarksThresholdAndCornersAndPlotRedrawsBoth) {
    ScratchDir dir;
    ToolRun run = run_with_snr_pictures(dir);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::string svg = read_file(dir / "snr.svg");
    auto count = [&svg](const std::string& what) {
        std::size_t n = 0;
        for (auto at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("<path "), 9u);                     // signal, noise and SNR of each
    EXPECT_EQ(count("stroke-dasharray=\"6,3\""), 3u);   // the threshold in each SNR panel
    EXPECT_EQ(count("stroke-dasharray=\"2,3\""), 12u);  // two corners in each of six panels
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    const std::string processed = read_file(dir / "processed.svg");
    fs::remove(dir / "snr.svg");
    fs::remove(dir / "processed.svg");
    ToolRun plot = run_tool_with(dir.path(), {"plot", "--record=r.csv", "."});
    ASSERT_EQ(plot.exit_status, 0) << plot.err;
    EXPECT_EQ(read_file(dir / "snr.svg"), svg);
    EXPECT_EQ(read_file(dir / "processed.svg"), processed);
}

// A table plot cannot read fails the directory with one line naming the file and its place,
// and leaves the run's pictures as they were.
TEST(ProcessProcessing, PlotRefusesABrokenProcessingTableAndKeepsThePictures) {
    struct Case {
        const char* file;
        std::size_t keep_lines;  // lines kept from the start; the rest replaced by `tail`
        const char* tail;
        const char* expected;
    };
    const Case cases[] = {
        {"snr.csv", 2, "0.04,1,x,3,1,1,1,1,1,1\n", "snr.csv:3: cannot read field 3 'x'"},
        {"snr.csv", 2, "0.04,1,2,3\n", "snr.csv:3: expected 10 fields"},
        {"processed.csv", 3, "", "processed.csv: 2 rows, fewer than"},
        {"processing.txt", 1, "", "processing.txt: no 'samples:' line"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        ASSERT_EQ(run_with_snr_pictures(dir).exit_status, 0);
        const std::string svg = read_file(dir / "snr.svg");
        std::stringstream in(read_file(dir / c.file));
        std::string kept;
        std::string line;
        for (std::size_t i = 0; i < c.keep_lines && std::getline(in, line); ++i)
            kept += line + "\n";
        write_file(dir / c.file, kept + c.tail);
        const auto entries = std::distance(fs::directory_iterator(dir.path()), {});
        ToolRun plot = run_tool_with(dir.path(), {"plot", "--record=r.csv", "."});
        EXPECT_EQ(plot.exit_status, 1) << c.file;
        EXPECT_NE(plot.err.find(c.expected), std::string::npos) << plot.err;
        EXPECT_EQ(std::count(plot.err.begin(), plot.err.end(), '\n'), 1) << plot.err;
        EXPECT_EQ(read_file(dir / "snr.svg"), svg) << c.file;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), entries) << c.file;
    }
}

}  // namespace
}  // namespace wavespec::test
