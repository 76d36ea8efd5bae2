// A failed record takes away every directory its run made for it, and only those.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

struct DirectoryCase {
    std::vector<std::string> args;
    std::vector<std::string> before;  // directories made before the run
    std::set<std::string> after;      // every path below the scratch directory after it
};

TEST(MadeDirectories, AFailedRecordLeavesNoDirectoryItsRunMade) {
    const std::set<std::string> records = {"bad.csv", "good.csv"};
    auto with_records = [&](std::set<std::string> paths) {
        paths.insert(records.begin(), records.end());
        return paths;
    };
    const DirectoryCase cases[] = {
        {{"-C", "deep/a/b", "bad.csv"}, {}, with_records({})},
        {{"-C", "deep/a/b/", "bad.csv"}, {}, with_records({})},
        {{"-C", "keep/a/../a/b", "bad.csv"}, {"keep"}, with_records({"keep"})},
        {{"-C", "runs", "good.csv", "bad.csv"},
         {},
         with_records({"runs", "runs/good", "runs/good/amp3.csv", "runs/good/amp-c.csv",
                       "runs/good/run.json", "runs/good/wave.csv"})},
    };
    for (const DirectoryCase& c : cases) {
        SCOPED_TRACE(c.args[1]);
        ScratchDir dir;
        write_file(dir / "good.csv", smooth_record(50));
        write_file(dir / "bad.csv", "time,a,b,c\n0,1,2,3\n");  // no sampling interval
        for (const std::string& made : c.before) fs::create_directories(dir / made);
        std::vector<std::string> args = {"process", "-q", "--no-dumps"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(run_tool_with(dir.path(), args).exit_status, 1);
        std::set<std::string> paths;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            paths.insert(entry.path().lexically_relative(dir.path()).generic_string());
        }
        EXPECT_EQ(paths, c.after);
    }
}

}  // namespace
}  // namespace wavespec::test
