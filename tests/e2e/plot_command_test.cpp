// "wavespec plot DIR": the pictures of a dialogue run drawn from the files it left, with and
// without the record, and the errors a user meets.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A 120 s record (its output's time field overflows from 100 s), run every other sample.
void run_dialogue(const fs::path& dir) {
    write_file(dir / "rec.csv", smooth_record(12000));
    Answers answers;
    answers.skip = "1";
    ToolRun run = run_tool(dir, answers.text());
    ASSERT_EQ(run.exit_status, 0) << run.err;
}

TEST(PlotCommand, DrawsBothPicturesWithAndWithoutTheRecord) {
    ScratchDir scratch;
    fs::create_directories(scratch / "run");
    run_dialogue(scratch / "run");

    ToolRun with_record = run_tool_with(scratch / "run", {"plot", "--record=rec.csv", "."});
    ASSERT_EQ(with_record.exit_status, 0) << with_record.err;
    EXPECT_EQ(with_record.out + with_record.err, "");
    std::string spectra = read_file(scratch / "run" / "spectra.svg");
    std::string waveform = read_file(scratch / "run" / "waveform.svg");
    EXPECT_TRUE(spectra.starts_with("<?xml") && spectra.ends_with("</svg>\n"));
    EXPECT_TRUE(holds(spectra, "(nt = 12000, dt = 0.01 s)")) << spectra.substr(0, 600);
    for (const char* name : {">NS<", ">EW<", ">UD<"}) EXPECT_TRUE(holds(spectra, name)) << name;
    EXPECT_TRUE(holds(waveform, "record as read"));
    EXPECT_TRUE(holds(waveform, ">120</text>"));  // the time axis reaches past 100 s
    EXPECT_LT(waveform.size(), 400'000u);

    ToolRun alone = run_tool_with(scratch.path(), {"plot", "run"});
    ASSERT_EQ(alone.exit_status, 0) << alone.err;
    waveform = read_file(scratch / "run" / "waveform.svg");
    EXPECT_FALSE(holds(waveform, "record as read"));
    EXPECT_TRUE(holds(waveform, ">120</text>"));
    for (const auto& entry : fs::directory_iterator(scratch / "run")) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    }
}

TEST(PlotCommand, ErrorsNameTheFileAndTheLine) {
    struct Case {
        std::string arguments;
        std::string amp3;  // written into run/ unless empty; "-" for an empty file
        int status;
        std::string err;
    };
    const std::string usage = "; try 'wavespec plot --help'\n";
    const Case cases[] = {
        {"plot", "", 2, "wavespec plot: no directory given" + usage},
        {"plot --colour=red run", "", 2, "wavespec plot: unknown option '--colour'" + usage},
        {"plot --record=a.csv run run", "", 2,
         "wavespec plot: --record goes with one directory only" + usage},
        {"plot run", "", 1,
         "wavespec plot: run/amp3.csv: cannot open: No such file or directory\n"},
        {"plot run", "-", 1, "wavespec plot: run/amp3.csv: empty file\n"},
        {"plot run", " frequency(Hz),a,b,c\n  0.0100,  0.1E+01,1\n", 1,
         "wavespec plot: run/amp3.csv:2: expected 4 fields, found 3\n"},
        {"plot run", " frequency(Hz),a,b,c\n  0.0100,1,1,1,\n", 1,
         "wavespec plot: run: no output waveform (a CSV file headed time(s),)\n"},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        fs::create_directories(scratch / "run");
        if (!c.amp3.empty()) write_file(scratch / "run" / "amp3.csv", c.amp3 == "-" ? "" : c.amp3);
        std::vector<std::string> words;
        for (std::size_t at = 0; at < c.arguments.size();) {
            std::size_t blank = std::min(c.arguments.find(' ', at), c.arguments.size());
            words.push_back(c.arguments.substr(at, blank - at));
            at = blank + 1;
        }
        ToolRun run = run_tool_with(scratch.path(), words);
        EXPECT_EQ(run.exit_status, c.status) << c.arguments;
        EXPECT_EQ(run.err, lines(c.err)) << c.arguments;
        EXPECT_FALSE(fs::exists(scratch / "run" / "spectra.svg"));
    }
}

// The record is read as "process" reads it: a repeat count is taken, and a bad value is named
// by its line and column.
TEST(PlotCommand, DrawsEveryRecordThatProcessTakes) {
    ScratchDir scratch;
    write_file(scratch / "rep.csv", "time,a,b,c\n0,1,2*0.5\n0.01,2,3,4\n0.02,3*1,5\n");
    write_file(scratch / "bad.csv", "time,a,b,c\n0,1,2,3\n0.01,1,x2,3\n");
    ToolRun run = run_tool_with(scratch.path(), {"process", "-q", "-C", "run", "rep.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    run = run_tool_with(scratch.path(), {"plot", "--record=rep.csv", "run"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(holds(read_file(scratch / "run" / "waveform.svg"), "record as read"));
    run = run_tool_with(scratch.path(), {"plot", "--record=bad.csv", "run"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, lines("wavespec plot: bad.csv:3:8: unreadable value (invalid number: "
                             "incomprehensible list input)\n"));
}

}  // namespace
}  // namespace wavespec::test
