// wavespec process end to end: the same files as the dialogue for every option, batches with
// failing records, where files go, and the command line's own errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "same_bytes.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

const char* const kRunFiles[] = {"amp3.csv", "amp-c.csv", "fort.67", "fort.68",
                                 "fort.69",  "fort.88",   "fort.89", "out.csv"};

std::set<std::string> names_in(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct Equivalence {
    const char* what;
    Answers answers;
    std::vector<std::string> options;
};

TEST(Process, WritesTheDialoguesFilesForEveryOption) {
    auto answers = [](auto change) {
        Answers a;
        change(a);
        return a;
    };
    const Equivalence cases[] = {
        {"no options", Answers{}, {}},
        {"polarity", answers([](Answers& a) { a.polarity = "1\n1\n0\n1"; }), {"--invert=1,3"}},
        {"band-pass and integration",
         answers([](Answers& a) {
             a.filter = "1\n0.1 0.2 20 25";
             a.operation = "1";
         }),
         {"--bandpass", "0.1,0.2,20,25", "--integrate"}},
        {"double integration",
         answers([](Answers& a) { a.operation = "2"; }),
         {"--double-integrate"}},
        {"differentiation, window and skip",
         answers([](Answers& a) {
             a.operation = "3";
             a.cut = "1\n0.5\n1.2";
             a.skip = "2";
         }),
         {"--differentiate", "--window=0.5,1.2", "--skip=2"}},
        {"window before the record",
         answers([](Answers& a) { a.cut = "1\n-0.3\n0.4"; }),
         {"--window=-0.3,0.4"}},
    };
    for (const Equivalence& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dialogue, process;
        write_file(dialogue / "rec.csv", smooth_record(300));
        write_file(process / "rec.csv", smooth_record(300));
        ASSERT_EQ(run_tool(dialogue.path(), c.answers.text()).exit_status, 0);
        std::vector<std::string> args = {"process", "--output=out.csv", "rec.csv"};
        args.insert(args.begin() + 1, c.options.begin(), c.options.end());
        ToolRun run = run_tool_with(process.path(), args);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(split_lines(run.out),
                  std::vector<std::string>{"rec.csv: nt 300, dt 0.01, nf 512, files in ."});
        for (const char* file : kRunFiles) {
            EXPECT_PRED_FORMAT2(same_bytes, read_file(process / file), read_file(dialogue / file))
                << file;
        }
        // The same files, and run.json: what the run was made from and wrote.
        std::set<std::string> expected = names_in(dialogue.path());
        expected.insert("run.json");
        EXPECT_EQ(names_in(process.path()), expected);
    }
}

TEST(Process, BatchGoesOnPastFailingRecordsAndLeavesThemNoFiles) {
    ScratchDir dir;
    write_file(dir / "good.csv", smooth_record(40));
    write_file(dir / "letters.csv", "time,a,b,c\n0,1,2,3\n0.01,1,x2,3\n");
    write_file(dir / "single.csv", "time,a,b,c\n0,1,2,3\n");
    write_file(dir / "window.csv", smooth_record(40));
    fs::create_directories(dir / "out" / "window");
    write_file(dir / "out" / "window" / "amp3.csv", "kept");
    std::string long_name = "a record name well beyond thirty characters.csv";
    write_file(dir / long_name, smooth_record(50));
    ToolRun run =
        run_tool_with(dir.path(), {"process", "-C", "out", "--no-dumps", "-j2", "good.csv",
                                   "letters.csv", "missing.csv", "single.csv", long_name});
    EXPECT_EQ(run.exit_status, 1);
    std::vector<std::string> err = split_lines(run.err);
    std::set<std::string> failures(err.begin(), err.end());
    EXPECT_EQ(failures.size(), 3u) << run.err;
    EXPECT_TRUE(contains(run.err, "wavespec process: letters.csv:3:8: unreadable value"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "wavespec process: missing.csv: cannot open: ")) << run.err;
    EXPECT_TRUE(contains(run.err, "wavespec process: single.csv: no usable sampling interval"))
        << run.err;
    EXPECT_TRUE(contains(run.out, "good.csv: nt 40, dt 0.01, nf 64, files in out"));
    EXPECT_EQ(names_in(dir / "out" / "good"),
              (std::set<std::string>{"amp3.csv", "amp-c.csv", "run.json", "wave.csv"}));
    EXPECT_EQ(names_in(dir / "out" / long_name.substr(0, long_name.size() - 4)),
              (std::set<std::string>{"amp3.csv", "amp-c.csv", "run.json", "wave.csv"}));
    for (const char* failed : {"letters", "missing", "single"}) {
        EXPECT_FALSE(fs::exists(dir / "out" / failed)) << failed;
    }

    // A run that would write over its own record refuses it; a long output name is taken whole.
    write_file(dir / "wave.csv", smooth_record(40));
    run = run_tool_with(dir.path(), {"process", "-q", "wave.csv"});
    EXPECT_EQ(run.exit_status, 1);
    // The path is written with the platform's separator.
    EXPECT_TRUE(contains(run.err, "wave.csv: the run would write .")) << run.err;
    EXPECT_TRUE(contains(run.err, "wave.csv over the record itself")) << run.err;
    EXPECT_EQ(read_file(dir / "wave.csv"), smooth_record(40));
    if (!windows_tool()) {
        std::string long_output(240, 'w');
        run = run_tool_with(dir.path(),
                            {"process", "-q", "-C", "long", "--output", long_output, "good.csv"});
        EXPECT_EQ(run.exit_status, 0) << run.err;
        EXPECT_TRUE(fs::exists(dir / "long" / long_output));
    }

    // A refused window leaves the files of an earlier run as they were.
    run = run_tool_with(dir.path(),
                        {"process", "-q", "-C", "out", "--window=0,1e9", "good.csv", "window.csv"});
    EXPECT_EQ(run.exit_status, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(contains(run.err, "window.csv: window refused: a window of 1e+09 s is too long"))
        << run.err;
    EXPECT_EQ(read_file(dir / "out" / "window" / "amp3.csv"), "kept");
    EXPECT_EQ(names_in(dir / "out" / "window"), std::set<std::string>{"amp3.csv"});

    // A skip that passes the last output sample fails its record; one short of it is taken.
    run = run_tool_with(dir.path(), {"process", "-q", "-C", "skip", "--skip=40", "window.csv"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_TRUE(contains(run.err, "window.csv: --skip=40 passes the end of the 40 output samples"))
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "skip" / "amp3.csv"));
    run = run_tool_with(dir.path(), {"process", "-q", "-C", "skip", "--skip=39", "window.csv"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
}

TEST(Process, TimesCountingDownLeaveNoUsableIntervalWhateverTheOptions) {
    const std::vector<std::vector<std::string>> option_sets = {
        {},
        {"--response-spectra"},
        {"--bandpass=0.1,0.2,20,25", "--integrate"},
        {"--smooth=konno-ohmachi:40", "--hv-windows=2"},
        {"--layout=full", "--response-spectra", "--oscillator=piecewise-linear"},
    };
    ScratchDir dir;
    write_file(dir / "down.csv",
               make_record(1000, -0.01, [](int k, double t) { return std::sin(3.0 * t + k); }));
    for (const auto& options : option_sets) {
        std::vector<std::string> args = {"process", "-C", "out"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("down.csv");
        ToolRun run = run_tool_with(dir.path(), args);
        SCOPED_TRACE(run.err);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(split_lines(run.err).size(), 1u);
        EXPECT_TRUE(
            contains(run.err, "down.csv: no usable sampling interval: its times count down"));
        EXPECT_FALSE(fs::exists(dir / "out"));
    }
}

TEST(Process, FilesAreTheSameWhateverTheNumberOfJobsAndARerunReplacesThem) {
    ScratchDir dir;
    std::vector<std::string> records;
    for (int i = 0; i < 5; ++i) {
        records.push_back("r" + std::to_string(i) + ".csv");
        write_file(dir / records.back(), smooth_record(100 + 37 * i, 0.01 * (i + 1)));
    }
    auto run_batch = [&](const std::string& out, const std::string& jobs) {
        std::vector<std::string> args = {"process", "-q", "--bandpass=0.1,0.5,5,8", "-C", out,
                                         "-j",      jobs};
        args.insert(args.end(), records.begin(), records.end());
        return run_tool_with(dir.path(), args);
    };
    fs::create_directories(dir / "one" / "r0");
    write_file(dir / "one" / "r0" / "fort.67", "stale");
    ToolRun one = run_batch("one", "1");
    ASSERT_EQ(one.exit_status, 0) << one.err;
    EXPECT_EQ(one.err, "");  // no progress line when standard error is not a terminal
    ToolRun three = run_batch("three", "3");
    ASSERT_EQ(three.exit_status, 0) << three.err;
    for (const std::string& record : records) {
        std::string stem = record.substr(0, record.size() - 4);
        for (const char* file : {"amp3.csv", "amp-c.csv", "fort.67", "fort.68", "fort.69",
                                 "fort.88", "fort.89", "wave.csv"}) {
            EXPECT_PRED_FORMAT2(same_bytes, read_file(dir / "one" / stem / file),
                                read_file(dir / "three" / stem / file))
                << stem << "/" << file;
        }
        // The stale file was replaced and its earlier version, renamed aside, is gone.
        EXPECT_EQ(names_in(dir / "one" / stem),
                  (std::set<std::string>{"amp3.csv", "amp-c.csv", "fort.67", "fort.68", "fort.69",
                                         "fort.88", "fort.89", "run.json", "wave.csv"}));
    }
}

TEST(Process, PlotDrawsBothPicturesBesideTheSameFiles) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(400));
    const std::vector<std::string> job = {"--bandpass=0.5,1,8,12", "--integrate", "--window=1,2",
                                          "rec.csv"};
    std::vector<std::string> plain = {"process", "-C", "plain"},
                             drawn = {"process", "--plot", "-C", "drawn"};
    plain.insert(plain.end(), job.begin(), job.end());
    drawn.insert(drawn.end(), job.begin(), job.end());
    ASSERT_EQ(run_tool_with(dir.path(), plain).exit_status, 0);
    ToolRun run = run_tool_with(dir.path(), drawn);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    for (const auto& entry : fs::directory_iterator(dir / "plain")) {
        std::string file = entry.path().filename().string();
        if (file == "run.json") continue;  // it holds the options
        EXPECT_PRED_FORMAT2(same_bytes, read_file(dir / "drawn" / file), read_file(entry.path()))
            << file;
    }
    std::string spectra = read_file(dir / "drawn" / "spectra.svg");
    std::string waveform = read_file(dir / "drawn" / "waveform.svg");
    EXPECT_TRUE(spectra.starts_with("<svg") || spectra.starts_with("<?xml"))
        << spectra.substr(0, 40);
    EXPECT_TRUE(contains(spectra, "nt = 400, dt = 0.01")) << spectra.substr(0, 600);
    EXPECT_TRUE(contains(spectra, "band-pass 0.5/1/8/12 Hz, integrated, window 1"))
        << spectra.substr(0, 600);
    for (const char* name : {">NS<", ">EW<", ">UD<"}) {
        EXPECT_TRUE(contains(spectra, name)) << name;
        EXPECT_TRUE(contains(waveform, name)) << name;
    }
    EXPECT_EQ(names_in(dir / "drawn").size(), names_in(dir / "plain").size() + 2);
}

TEST(Process, ProgressLineOnATerminal) {
    if (windows_tool()) GTEST_SKIP() << "the terminal is made with the POSIX script command";
    ScratchDir dir;
    write_file(dir / "a.csv", smooth_record(50));
    write_file(dir / "b.csv", smooth_record(60));
    // script gives the tool a terminal and keeps what it showed there.
    std::string command = "script -qec '" + std::string(WAVESPEC_DEFAULT_COMMAND) +
                          " process -q -j1 a.csv b.csv' shown";
    ASSERT_EQ(
        std::system(("cd '" + dir.path().string() + "' && " + command + " >/dev/null").c_str()), 0);
    std::string shown = read_file(dir / "shown");
    EXPECT_TRUE(contains(shown, "1 of 2 records, ")) << shown;
    EXPECT_TRUE(contains(shown, " records/s, ")) << shown;
    EXPECT_TRUE(contains(shown, "\r\033[K")) << shown;  // taken off the line at the end
}

struct UsageCase {
    std::vector<std::string> args;
    const char* message;
};

TEST(Process, UsageErrorsNameTheArgumentAndTouchNothing) {
    const UsageCase cases[] = {
        {{"--frobnicate"}, "wavespec: unknown option '--frobnicate'"},
        {{"frobnicate"}, "wavespec: unknown command 'frobnicate'"},
        {{"process"}, "wavespec process: no record given"},
        {{"process", "--colour", "r.csv"}, "wavespec process: unknown option '--colour'"},
        {{"process", "--bandpass=1,2,3", "r.csv"}, "invalid value '1,2,3' for --bandpass"},
        {{"process", "--window=1,x", "r.csv"}, "invalid value '1,x' for --window"},
        {{"process", "--window=1,0", "r.csv"}, "'1,0' for --window: the duration 0 s is not"},
        {{"process", "--window=1,-1e-300", "r.csv"}, "the duration -1e-300 s is not positive"},
        {{"process", "--bandpass=0.1,0.3,0.2,9", "r.csv"}, "but FL2 0.3 > FH1 0.2;"},
        {{"process", "--bandpass=-0.1,0.2,5,9", "r.csv"}, "FL1 -0.1 Hz is negative;"},
        {{"process", "--bandpass=0,0,0,inf", "r.csv"}, "expected 4 finite numbers"},
        {{"process", "--bandpass=0,0,0,nan", "r.csv"}, "expected 4 finite numbers"},
        {{"process", "--invert=4", "r.csv"}, "invalid value '4' for --invert"},
        {{"process", "--skip=-1", "r.csv"}, "invalid value '-1' for --skip"},
        {{"process", "--skip=+-0", "r.csv"}, "invalid value '+-0' for --skip"},
        {{"process", "-j0", "r.csv"}, "invalid value '0' for --jobs"},
        {{"process", "--integrate", "--differentiate", "r.csv"}, "--integrate and --differentiate"},
        {{"process", "--output=amp3.csv", "r.csv"}, "the run writes a file of that name"},
        {{"process", "--output=AMP-C.CSV", "r.csv"}, "the run writes a file of that name"},
        {{"process", "--output=d/w.csv", "r.csv"}, "without directories"},
        {{"process", "--no-dumps=1", "r.csv"}, "option '--no-dumps' takes no value"},
        {{"process", "r.csv", "--skip"}, "option '--skip' needs a value"},
        {{"process", "r.csv", "./r.csv"}, "have the same stem 'r'"},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.message);
        ScratchDir dir;
        write_file(dir / "r.csv", smooth_record(10));
        ToolRun run = run_tool_with(dir.path(), c.args);
        EXPECT_EQ(run.exit_status, 2);
        EXPECT_EQ(run.out, "");
        std::vector<std::string> err = split_lines(run.err);
        ASSERT_EQ(err.size(), 1u) << run.err;
        EXPECT_TRUE(contains(err[0], c.message)) << err[0];
        const std::string hint = c.args.front() == "process" ? "; try 'wavespec process --help'"
                                                             : "; try 'wavespec --help'";
        EXPECT_TRUE(err[0].ends_with(hint)) << err[0];
        EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"r.csv"});
    }
}

TEST(Process, HelpAndVersion) {
    ScratchDir dir;
    for (const char* help : {"-h", "--help"}) {
        ToolRun run = run_tool_with(dir.path(), {help});
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_TRUE(run.out.starts_with("Usage: wavespec")) << run.out;
        EXPECT_TRUE(contains(run.out, "\n  process "));
    }
    for (const char* version : {"-V", "--version"}) {
        ToolRun run = run_tool_with(dir.path(), {version});
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_EQ(split_lines(run.out), std::vector<std::string>{"wavespec 1.0.0"});
    }
    EXPECT_TRUE(names_in(dir.path()).empty());
}

// A line break or an escape in a record's name is printed as its C escape, the name quoted.
TEST(ProcessLines, ControlCharactersInNamesAreEscaped) {
    if (windows_tool()) GTEST_SKIP() << "Windows names hold no control characters";
    ScratchDir dir;
    const std::string name = "a.csv\nb.csv: nt 400, dt 0.01, nf 512, files in .";
    write_file(dir / name, smooth_record(400));
    ToolRun run = run_tool_with(dir.path(), {"process", "-C", "out", name, "gone\033[2J.csv"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out.rfind("\"a.csv\\nb.csv: nt 400, dt 0.01, nf 512, files in .\": nt 400", 0),
              0u)
        << run.out;
    EXPECT_EQ(split_lines(run.out).size(), 1u) << run.out;
    EXPECT_NE(run.err.find("gone\\033[2J.csv"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\033'), std::string::npos) << run.err;
}

}  // namespace
}  // namespace wavespec::test
