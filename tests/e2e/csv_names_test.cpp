// Component names holding commas, quotes and blanks: quoted as RFC 4180 does in every CSV file
// the tool adds, in both layouts, and read back whole by plot.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

// The record's header quotes its names itself.
std::string awkward_record() {
    std::string text = smooth_record(400);
    return "time,\"N,S\",\"E\"\"W\",\"U D \"" + text.substr(text.find('\n'));
}

struct FileLine {
    const char* file;
    std::size_t line;  // from 0
    std::string text;  // the line, or its start
};

TEST(CsvNames, QuotedInEveryNewFileAndReadBackByPlot) {
    const std::string names = "\"N,S\",\"E\"\"W\",U D";
    for (const char* layout : {"--layout=legacy", "--layout=full"}) {
        SCOPED_TRACE(layout);
        ScratchDir dir;
        write_file(dir / "r.csv", awkward_record());
        ToolRun run = run_tool_with(
            dir.path(), {"process", "-q", "-C", "out", layout, "--plot", "--response-spectra",
                         "--periods=0.1,1", "--smooth=parzen", "r.csv"});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        std::vector<FileLine> expected = {
            {"smoothed.csv", 0, "frequency(Hz)," + names + ",H/V"},
            {"measures.csv", 1, "\"N,S\","},
            {"measures.csv", 2, "\"E\"\"W\","},
            {"measures.csv", 3, "U D,"},
            {"response.csv", 1, "0.05,0.1,\"N,S\","},
            {"response.csv", 2, "0.05,0.1,\"E\"\"W\","},
            {"response.csv", 3, "0.05,0.1,U D,"},
        };
        if (std::string(layout) == "--layout=full") {
            expected.push_back({"amp3.csv", 0, "frequency(Hz)," + names});
            expected.push_back({"wave.csv", 0, "time(s)," + names});
        }
        for (const FileLine& e : expected) {
            std::vector<std::string> lines = split_lines(read_file(dir / "out" / e.file));
            ASSERT_GT(lines.size(), e.line) << e.file;
            EXPECT_TRUE(lines[e.line].starts_with(e.text)) << e.file << ": " << lines[e.line];
            if (e.line == 0) {
                EXPECT_EQ(lines[0], e.text) << e.file;
            }
        }
        ToolRun plot = run_tool_with(dir.path(), {"plot", "out"});
        ASSERT_EQ(plot.exit_status, 0) << plot.err;
        for (const char* picture : {"spectra.svg", "waveform.svg", "response.svg"}) {
            std::string svg = read_file(dir / "out" / picture);
            for (const char* name : {">N,S<", ">E&quot;W<", ">U D<"}) {
                EXPECT_NE(svg.find(name), std::string::npos) << picture << " " << name;
            }
        }
    }
}

}  // namespace
}  // namespace wavespec::test
