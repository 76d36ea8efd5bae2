// Input typed or saved with CR LF line ends (as Windows editors and consoles produce) gives the
// same run as LF input, on every platform: the CR belongs to the line end, never to a value or
// a file name. Each recorded reference run is replayed with CR LF keyboard input and CR LF
// input files, and must give the recorded console, diagnostics, ending and files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

std::string with_crlf(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

std::vector<std::string> reference_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(test_data() / "golden")) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CrlfReferenceRun : public testing::TestWithParam<std::string> {};

TEST_P(CrlfReferenceRun, GivesTheSameRunAsLfInput) {
    fs::path reference = test_data() / "golden" / GetParam();
    ScratchDir dir;
    std::set<std::string> input_names;
    if (fs::exists(reference / "input")) {
        for (const auto& entry : fs::directory_iterator(reference / "input")) {
            std::string name = entry.path().filename().string();
            input_names.insert(name);
            write_file(dir / name, with_crlf(read_file(entry.path())));
        }
    }
    std::string keyboard = with_crlf(read_file(reference / "stdin"));
    ASSERT_NE(keyboard.find("\r\n"), std::string::npos);
    ToolRun run = run_tool(dir.path(), keyboard);

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
    // A carriage return kept in a typed file name would show up here as a stray file.
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(input_names.count(name) == 1 || expected_names.count(name) == 1)
            << "unexpected file " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(All, CrlfReferenceRun, testing::ValuesIn(reference_names()),
                         [](const auto& param_info) {
                             std::string name = param_info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace wavespec::test
