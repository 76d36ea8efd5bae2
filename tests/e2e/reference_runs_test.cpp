// Whole runs recorded as reference: input files, everything typed, and the expected console,
// diagnostics, ending and files, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

class ReferenceRun : public testing::TestWithParam<std::string> {};

TEST_P(ReferenceRun, MatchesByteForByte) {
    fs::path reference = test_data() / "golden" / GetParam();
    ScratchDir dir;
    if (fs::exists(reference / "input")) {
        for (const auto& entry : fs::directory_iterator(reference / "input")) {
            write_file(dir / entry.path().filename().string(), read_file(entry.path()));
        }
    }
    ToolRun run = run_tool(dir.path(), read_file(reference / "stdin"));

    std::string expected_exit = read_file(reference / "expected" / "exit");
    if (expected_exit.rfind("abort", 0) == 0) {
        EXPECT_TRUE(run.aborted);
    } else {
        EXPECT_FALSE(run.aborted);
        EXPECT_EQ(run.exit_status, std::stoi(expected_exit));
    }
    EXPECT_EQ(run.out, lines(read_file(reference / "expected" / "stdout")));
    EXPECT_EQ(run.err, lines(read_file(reference / "expected" / "stderr")));

    std::set<std::string> expected_names;
    if (fs::exists(reference / "expected" / "files")) {
        for (const auto& entry : fs::directory_iterator(reference / "expected" / "files")) {
            std::string name = entry.path().filename().string();
            expected_names.insert(name);
            ASSERT_TRUE(fs::exists(dir / name)) << name;
            EXPECT_EQ(read_file(dir / name), lines(read_file(entry.path()))) << name;
        }
    }
    // Nothing else was created: only the input files and the expected ones are there.
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        std::string name = entry.path().filename().string();
        bool input = fs::exists(reference / "input" / name);
        EXPECT_TRUE(input || expected_names.count(name) == 1) << "unexpected file " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(All, ReferenceRun,
                         testing::Values("error-letters", "error-missing-file",
                                         "header-quoted-and-slash", "small-all-options",
                                         "small-differentiate-early-window", "small-plain"),
                         [](const auto& param_info) {
                             std::string name = param_info.param;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace wavespec::test
