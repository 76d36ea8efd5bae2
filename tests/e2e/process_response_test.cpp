// wavespec process --response-spectra end to end: response.csv and measures.csv for a record in
// each format (the same as for the record converted to CSV), the other files untouched to the
// byte, the spectra computed from the filtered acceleration whatever the operation and the
// window, the option errors, and the picture drawn by --plot and by "plot DIR".
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;
using namespace wavespec::samples;

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The rows of a CSV file: its lines split at commas outside double quotes.
std::vector<std::vector<std::string>> rows_of(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : split_lines(text)) {
        std::vector<std::string> row(1);
        bool quoted = false;
        for (char c : line) {
            if (c == '"') quoted = !quoted;
            if (c == ',' && !quoted) {
                row.emplace_back();
            } else {
                row.back() += c;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

const std::vector<std::string> kResponseJob = {"process",
                                               "-q",
                                               "--response-spectra",
                                               "--periods=0.02,0.3,2",
                                               "--damping=0.05,0.1",
                                               "--bandpass=0.2,0.5,10,20"};

void expect_response_files(const fs::path& dir, const std::array<std::string, 3>& names) {
    auto table = rows_of(read_file(dir / "response.csv"));
    ASSERT_EQ(table.size(), 1u + 2 * 3 * 8);
    EXPECT_EQ(table[0], (std::vector<std::string>{"damping", "period(s)", "component", "Sd", "Sv",
                                                  "Sa", "PSV", "PSA"}));
    const char* labels[8] = {names[0].c_str(), names[1].c_str(), names[2].c_str(), "RotD00",
                             "RotD50",         "RotD100",        "GMRotD50",       "GMRotI50"};
    for (std::size_t row = 1; row < table.size(); ++row) {
        std::size_t k = row - 1;
        ASSERT_EQ(table[row].size(), 8u) << row;
        EXPECT_EQ(table[row][0], k < 24 ? "0.05" : "0.1");
        const std::string periods[3] = {"0.02", "0.3", "2"};
        EXPECT_EQ(table[row][1], periods[k / 8 % 3]);
        EXPECT_EQ(table[row][2], labels[k % 8]);
        double period = std::stod(table[row][1]), w = 2 * 3.141592653589793 / period;
        double sd = std::stod(table[row][3]);
        EXPECT_GT(sd, 0.0);
        EXPECT_NEAR(std::stod(table[row][6]), w * sd, 1e-12 * w * sd);
        EXPECT_NEAR(std::stod(table[row][7]), w * w * sd, 1e-12 * w * w * sd);
    }
    // Angles 0 and 90 degrees are among the rotations: RotD00 <= the horizontals <= RotD100,
    // and a geometric mean of two rotated peaks lies between the least and the largest.
    for (std::size_t group = 1; group < table.size(); group += 8) {
        for (std::size_t column = 3; column < 8; ++column) {
            auto at = [&](std::size_t r) { return std::stod(table[group + r][column]); };
            EXPECT_LE(at(3), std::min(at(0), at(1))) << group;
            EXPECT_GE(at(5), std::max(at(0), at(1))) << group;
            for (std::size_t gm : {6u, 7u}) {
                EXPECT_LE(at(3), at(gm)) << group;
                EXPECT_GE(at(5), at(gm)) << group;
            }
        }
    }
    std::vector<std::string> summary = split_lines(read_file(dir / "response-summary.txt"));
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[1], "dampings: 0.05 0.1");
    EXPECT_EQ(summary[2], "periods: 3");
    for (std::size_t d = 0; d < 2; ++d) {
        const std::string head =
            d == 0 ? "damping 0.05: GMRotI50 angle: " : "damping 0.1: GMRotI50 angle: ";
        ASSERT_TRUE(summary[3 + d].starts_with(head)) << summary[3 + d];
        const int angle = std::stoi(summary[3 + d].substr(head.size()));
        EXPECT_TRUE(angle >= 0 && angle < 90 && summary[3 + d].ends_with(" deg"));
    }
    auto measures = rows_of(read_file(dir / "measures.csv"));
    ASSERT_EQ(measures.size(), 4u);
    EXPECT_EQ(measures[0][0], "component");
    EXPECT_EQ(measures[0][4], "Arias(m/s)");
    for (std::size_t c = 0; c < 3; ++c) {
        ASSERT_EQ(measures[c + 1].size(), 8u);
        EXPECT_EQ(measures[c + 1][0], names[c]);
        EXPECT_GT(std::stod(measures[c + 1][1]), 0.0);
    }
}

struct SampleSet {
    std::string label;
    std::function<std::vector<std::string>(const fs::path&)> write;  // the paths to name
};

TEST(ProcessResponse, EveryFormatGivesTheFilesOfItsConvertedRecord) {
    constexpr std::size_t n = 900;
    std::vector<SampleSet> sets = {
        {"knet",
         [](const fs::path& d) {
             write_knet_set(d, "XYZ0012001020304", n);
             return std::vector<std::string>{"XYZ0012001020304.NS"};
         }},
        {"at2",
         [](const fs::path& d) {
             write_at2_triple(d, n);
             return std::vector<std::string>{"RSN1063_TEST_XYZ-UP.AT2"};
         }},
        {"sac",
         [](const fs::path& d) {
             write_sac_triple(d, n, true);
             return std::vector<std::string>{"XYZ.HHN.SAC", "XYZ.HHE.SAC", "XYZ.HHZ.SAC"};
         }},
    };
#ifdef WAVESPEC_HAVE_MSEED
    sets.push_back({"mseed", [](const fs::path& d) {
                        write_mseed_file(d, n);
                        return std::vector<std::string>{"XYZ.mseed"};
                    }});
#endif
    for (const SampleSet& set : sets) {
        SCOPED_TRACE(set.label);
        ScratchDir dir;
        std::vector<std::string> inputs = set.write(dir.path());
        std::vector<std::string> convert = {"convert", "-o", "converted.csv"};
        convert.insert(convert.end(), inputs.begin(), inputs.end());
        ASSERT_EQ(run_tool_with(dir.path(), convert).exit_status, 0);
        std::vector<std::string> original = kResponseJob, converted = kResponseJob;
        original.insert(original.end(), {"-C", "original"});
        original.insert(original.end(), inputs.begin(), inputs.end());
        converted.insert(converted.end(), {"-C", "converted", "converted.csv"});
        ToolRun run = run_tool_with(dir.path(), original);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        ASSERT_EQ(run_tool_with(dir.path(), converted).exit_status, 0);
        // The names as the converted record's header gives them.
        std::string header = split_lines(read_file(dir / "converted.csv"))[0];
        auto names = rows_of(header)[0];
        ASSERT_EQ(names.size(), 4u) << header;
        expect_response_files(dir / "original", {names[1], names[2], names[3]});
        for (const char* file : {"response.csv", "measures.csv"}) {
            EXPECT_EQ(read_file(dir / "original" / file), read_file(dir / "converted" / file))
                << file;
        }
    }
}

TEST(ProcessResponse, OtherFilesUnchangedAndTheSpectraFromTheFilteredAcceleration) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(1200));
    std::vector<std::string> job = {"process",         "-q",           "--bandpass=0.1,0.2,20,25",
                                    "--integrate",     "--window=1,5", "--skip=1",
                                    "--output=out.csv"};
    std::vector<std::string> plain = job, with = job, other = kResponseJob;
    plain.insert(plain.end(), {"-C", "plain", "rec.csv"});
    with.insert(with.end(), {"--response-spectra", "--periods=0.02,0.3,2", "--damping=0.05,0.1",
                             "-C", "with", "rec.csv"});
    other.insert(other.end(), {"--bandpass=0.1,0.2,20,25", "-C", "other", "rec.csv"});
    for (const auto& args : {plain, with, other}) {
        ToolRun run = run_tool_with(dir.path(), args);
        ASSERT_EQ(run.exit_status, 0) << run.err;
    }
    std::size_t compared = 0;
    for (const auto& entry : fs::directory_iterator(dir / "plain")) {
        std::string file = entry.path().filename().string();
        if (file == "run.json") continue;  // it holds the options
        EXPECT_EQ(read_file(entry.path()), read_file(dir / "with" / file)) << file;
        ++compared;
    }
    EXPECT_EQ(compared, 8u);
    expect_response_files(dir / "with", {"NS", "EW", "UD"});
    EXPECT_EQ(split_lines(read_file(dir / "with" / "response-summary.txt"))[0],
              "oscillator: band-limited");
    // No integration, no window, no skip (the last band-pass given wins): the same spectra.
    EXPECT_EQ(read_file(dir / "with" / "response.csv"), read_file(dir / "other" / "response.csv"));
    EXPECT_EQ(read_file(dir / "with" / "measures.csv"), read_file(dir / "other" / "measures.csv"));
}

// A record past the legacy layout's capacity: the response's own inverse transforms must take
// the record's length (they once wrote past fixed 33000-sample arrays).
TEST(ProcessResponse, FullLayoutOfALongRecordWithSmoothing) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(40000));
    std::vector<std::string> job = kResponseJob;
    job.insert(job.end(), {"--layout=full", "--smooth=konno-ohmachi",
                           "--oscillator=piecewise-linear", "rec.csv"});
    ToolRun run = run_tool_with(dir.path(), job);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    expect_response_files(dir.path(), {"NS", "EW", "UD"});
    EXPECT_EQ(split_lines(read_file(dir / "response-summary.txt"))[0],
              "oscillator: piecewise-linear");
    EXPECT_EQ(split_lines(read_file(dir / "wave.csv")).size(), 40001u);
    EXPECT_TRUE(fs::exists(dir / "smoothed.csv"));
}

TEST(ProcessResponse, OptionErrorsExitWithTwoAndTouchNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"--response-spectra", "--periods=0"},
        {"--response-spectra", "--periods=-1"},
        {"--response-spectra", "--periods=inf"},
        {"--response-spectra", "--periods=nan"},
        {"--response-spectra", "--periods=0.1,x"},
        {"--response-spectra", "--periods=0.1:1:1"},
        {"--response-spectra", "--periods=0:1:10"},
        {"--response-spectra", "--periods=1:2"},
        {"--response-spectra", "--damping=0"},
        {"--response-spectra", "--damping=1"},
        {"--response-spectra", "--damping=-0.05"},
        {"--response-spectra", "--damping=0.05,2"},
        {"--response-spectra", "--periods=9e-7"},
        {"--response-spectra", "--periods=5e-324"},
        {"--response-spectra", "--periods=1e-300:1:10"},
        {"--response-spectra", "--periods=0.1,1.0001e5"},
        {"--response-spectra", "--periods=0.1,0.2,0.1"},
        {"--response-spectra", "--periods=2:2:5"},
        {"--response-spectra", "--damping=0.05,0.1,0.05"},
        {"--response-spectra", "--oscillator=linear"},
        {"--response-spectra", "--oscillator="},
        {"--periods=0.1"},
        {"--damping=0.05"},
        {"--oscillator=piecewise-linear"},
        {"--response-spectra", "--output=response.csv"},
    };
    for (const auto& options : cases) {
        SCOPED_TRACE(options.back());
        ScratchDir dir;
        write_file(dir / "r.csv", smooth_record(10));
        std::vector<std::string> args = {"process"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("r.csv");
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, 2);
        std::vector<std::string> err = split_lines(run.err);
        ASSERT_EQ(err.size(), 1u) << run.err;
        EXPECT_TRUE(holds(err[0], "wavespec process: ")) << err[0];
        std::string option = options.back().substr(0, options.back().find('='));
        EXPECT_TRUE(holds(err[0], option)) << err[0];
        EXPECT_EQ(fs::directory_iterator(dir.path())->path().filename(), "r.csv");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

// A record whose responses or integrals cannot be finite, or whose sampling the periods do not
// suit, fails alone with one line naming it, in both conventions, and leaves no file.
TEST(ProcessResponse, RecordsThatCannotBeComputedFailAlone) {
    std::string huge = "time,NS,EW,UD\n", infinite = "time,NS,EW,UD\n";
    for (int i = 0; i < 500; ++i) {
        const double s = std::sin(i * 2.9), c = std::cos(i * 2.9);
        huge += std::to_string(i * 0.01) + "," + std::to_string(s) + "e306," + std::to_string(c) +
                "e306,1\n";
        infinite += std::to_string(i * 0.01) + "," + (i == 250 ? "1e400" : std::to_string(s)) +
                    "," + std::to_string(c) + ",1\n";
    }
    struct Case {
        std::string record;
        std::vector<std::string> options;
        std::string why;
    };
    const std::vector<Case> cases = {
        {huge, {}, "is not finite"},
        {infinite, {"--periods=1"}, "finite"},
        {smooth_record(500), {"--periods=0.1,9e-6"}, "below a thousandth"},
        {smooth_record(500), {"--periods=1e-5:1.1e-5:1000"}, "piecewise-linear"},
    };
    for (const Case& c : cases) {
        for (const char* oscillator : {"band-limited", "piecewise-linear"}) {
            if (c.why == "piecewise-linear" && oscillator[0] == 'b') continue;
            SCOPED_TRACE(c.why + " " + oscillator);
            ScratchDir dir;
            write_file(dir / "r.csv", c.record);
            std::vector<std::string> args = {"process",
                                             "-q",
                                             "--layout=full",
                                             "--response-spectra",
                                             std::string("--oscillator=") + oscillator,
                                             "-C",
                                             "out"};
            args.insert(args.end(), c.options.begin(), c.options.end());
            args.push_back("r.csv");
            ToolRun run = run_tool_with(dir.path(), args);
            EXPECT_EQ(run.exit_status, 1);
            std::vector<std::string> err = split_lines(run.err);
            ASSERT_EQ(err.size(), 1u) << run.err;
            EXPECT_TRUE(holds(err[0], "r.csv") && holds(err[0], c.why)) << err[0];
            EXPECT_TRUE(!fs::exists(dir / "out") || fs::is_empty(dir / "out"));
        }
    }
}

TEST(ProcessResponse, PictureFromProcessAndFromPlot) {
    ScratchDir dir;
    // A component name with a comma and a quote is quoted in the files and read back whole.
    std::string record = smooth_record(800);
    record.replace(0, record.find('\n'), "time,\"N,S\",'E\"W',UD");
    write_file(dir / "rec.csv", record);
    ToolRun run = run_tool_with(dir.path(), {"process", "-q", "--plot", "--response-spectra",
                                             "--periods=0.05:5:20", "-C", "run", "rec.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    std::string from_process = read_file(dir / "run" / "response.svg");
    EXPECT_TRUE(holds(read_file(dir / "run" / "response.csv"), ",\"N,S\",")) << "quoted name";
    EXPECT_TRUE(holds(read_file(dir / "run" / "measures.csv"), "\"E\"\"W\",")) << "quote doubled";
    for (const char* part : {"<?xml", ">Response spectra of rec.csv<", ">N,S<", ">E&quot;W<",
                             ">RotD50<", ">period (s)<", "damping 5 %"}) {
        EXPECT_TRUE(holds(from_process, part)) << part;
    }

    fs::remove(dir / "run" / "response.svg");
    run = run_tool_with(dir.path(), {"plot", "run"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    std::string from_plot = read_file(dir / "run" / "response.svg");
    EXPECT_TRUE(holds(from_plot, ">Response spectra of run<"));
    // Apart from the title, the same picture: the file holds every number that was drawn.
    auto after_title = [](const std::string& svg) { return svg.substr(svg.find("PSA = ")); };
    EXPECT_EQ(after_title(from_plot), after_title(from_process));

    // Each damping has its own line style, however many there are: the styles of the curves of
    // one component (NS, the first path of each damping) all differ.
    run = run_tool_with(dir.path(),
                        {"process", "-q", "--plot", "--response-spectra", "--periods=0.05:5:8",
                         "--damping=0.01,0.02,0.03,0.05,0.07,0.1", "-C", "many", "rec.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    std::string many = read_file(dir / "many" / "response.svg");
    std::set<std::string> styles;
    std::size_t paths = 0;
    for (std::size_t at = many.find("<path stroke=\""); at != std::string::npos;
         at = many.find("<path stroke=\"", at + 1)) {
        if (paths++ % 4 != 0) continue;
        std::string tag = many.substr(at, many.find(" d=", at) - at);
        styles.insert(tag);
    }
    EXPECT_EQ(paths, 24u);
    EXPECT_EQ(styles.size(), 6u);

    // A file of six rows per period (before the GMRot rows) draws the same picture.
    std::string table = read_file(dir / "run" / "response.csv"), six_rows;
    for (const std::string& line : split_lines(table)) {
        if (!holds(line, ",GMRot")) six_rows += line + "\n";
    }
    write_file(dir / "run" / "response.csv", six_rows);
    fs::remove(dir / "run" / "response.svg");
    run = run_tool_with(dir.path(), {"plot", "run"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(read_file(dir / "run" / "response.svg"), from_plot);

    // A broken file names itself and its line, and the directory gets no new picture.
    write_file(dir / "run" / "response.csv", table.substr(0, table.find('\n', 200)) + "\n1,2\n");
    run = run_tool_with(dir.path(), {"plot", "run"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_TRUE(holds(run.err, "run/response.csv:")) << run.err;
    EXPECT_TRUE(holds(run.err, "expected 8 fields")) << run.err;
}

}  // namespace
}  // namespace wavespec::test
