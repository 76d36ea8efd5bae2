// Help by command: each command prints its own text of src/cli/help/, the text the manual
// page is made from, and a usage error points at the help of the command it came from.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "same_bytes.hpp"

namespace {

using namespace wavespec::test;

TEST(Help, EachCommandPrintsItsOwnTextOfTheManualPage) {
    struct Case {
        std::vector<std::string> args;
        std::string text;  // the file of src/cli/help/
    };
    const Case cases[] = {
        {{"--help"}, "wavespec"},
        {{"-h"}, "wavespec"},
        {{"process", "--help"}, "process"},
        {{"process", "-h", "r.csv"}, "process"},
        {{"plot", "--help"}, "plot"},
        {{"plot", "dir", "-h"}, "plot"},
        {{"convert", "--help"}, "convert"},
        {{"info", "--help"}, "info"},
        {{"inventory", "--help"}, "inventory"},
        {{"flatfile", "-h"}, "flatfile"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        ToolRun run = run_tool_with(dir.path(), c.args);
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out,
                  lines(read_file(std::string(WAVESPEC_HELP_DIR) + "/" + c.text + ".txt")));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Every option a command's help lists is one the command takes: given with a value it may
// refuse, it is never an unknown option.
TEST(Help, EveryListedOptionIsTaken) {
    if (windows_tool()) GTEST_SKIP() << "the options are parsed alike on every platform";
    ScratchDir dir;
    for (const char* command : {"process", "plot", "convert", "info", "inventory", "flatfile"}) {
        const std::string text = read_file(std::string(WAVESPEC_HELP_DIR) + "/" + command + ".txt");
        std::size_t listed = 0;
        for (const std::string& line : split_lines(text)) {
            if (!line.starts_with("  -") && !line.starts_with("      --")) continue;
            const std::size_t start = line.find("--") + 2;
            const std::size_t end = line.find_first_of("=[ ", start);
            const std::string name = line.substr(start, end - start);
            const bool takes_value = end < line.size() && (line[end] == '=' || line[end] == '[');
            ToolRun run = run_tool_with(
                dir.path(), {command, "--" + name + (takes_value ? "=x" : ""), "missing"});
            EXPECT_EQ(run.err.find("unknown option"), std::string::npos)
                << command << " --" << name << ": " << run.err;
            ++listed;
        }
        EXPECT_GT(listed, 0u) << command;
    }
}

TEST(Help, UsageErrorsPointAtTheCommandsHelp) {
    ScratchDir dir;
    for (const char* command : {"process", "plot", "convert", "info", "inventory", "flatfile"}) {
        ToolRun run = run_tool_with(dir.path(), {command, "--no-such-option"});
        EXPECT_EQ(run.exit_status, 2);
        EXPECT_EQ(run.err, lines(std::string("wavespec ") + command +
                                 ": unknown option '--no-such-option'; try 'wavespec " + command +
                                 " --help'\n"));
    }
    ToolRun run = run_tool_with(dir.path(), {"procss"});
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_EQ(run.err, lines("wavespec: unknown command 'procss'; try 'wavespec --help'\n"));
}

}  // namespace
