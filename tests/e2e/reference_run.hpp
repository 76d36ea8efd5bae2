// Replaying a recorded reference run: its input files and keyboard text (optionally
// rewritten, for instance with other line ends), checked against the recorded console,
// diagnostics, ending and files, byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "e2e/run_tool.hpp"
#include "same_bytes.hpp"

namespace wavespec::test {

// The recorded runs, by directory name.
inline std::vector<std::string> reference_names() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(test_data() / "golden")) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A test name made of a run's name.
inline std::string reference_test_name(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

using TextRewrite = std::function<std::string(const std::string&)>;

// Runs the recorded run `name` with its input files and keyboard text passed through
// `rewrite`, and checks everything the run shows. Nothing but the input files and the
// expected files may be left in the directory.
inline void check_reference_run(const std::string& name, const TextRewrite& rewrite) {
    namespace fs = std::filesystem;
    fs::path reference = test_data() / "golden" / name;
    ScratchDir dir;
    std::set<std::string> input_names;
    if (fs::exists(reference / "input")) {
        for (const auto& entry : fs::directory_iterator(reference / "input")) {
            std::string file = entry.path().filename().string();
            input_names.insert(file);
            write_file(dir / file, rewrite(read_file(entry.path())));
        }
    }
    ToolRun run = run_tool(dir.path(), rewrite(read_file(reference / "stdin")));

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
            std::string file = entry.path().filename().string();
            expected_names.insert(file);
            ASSERT_TRUE(fs::exists(dir / file)) << file;
            EXPECT_PRED_FORMAT2(same_bytes, read_file(dir / file), lines(read_file(entry.path())))
                << file;
        }
    }
    // A stray file would be, for instance, a name typed with a carriage return kept in it.
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        std::string file = entry.path().filename().string();
        EXPECT_TRUE(input_names.count(file) == 1 || expected_names.count(file) == 1)
            << "unexpected file " << file;
    }
}

}  // namespace wavespec::test
