// wavespec process renames a record's files all or nothing: a rename that cannot be done
// leaves every earlier file under its name, and an interrupted batch leaves no temporary file.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

// Every file under dir with its content (directories as "<dir>").
std::map<std::string, std::string> tree_of(const fs::path& dir) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        std::string name = fs::relative(entry.path(), dir).generic_string();
        tree[name] = entry.is_directory() ? "<dir>" : read_file(entry.path());
    }
    return tree;
}

struct UnreplaceableName {
    const char* what;
    std::function<void(const fs::path& out)> spoil;  // after the first run
    std::vector<std::string> rerun_options;
    std::string message;
};

TEST(ProcessCommit, ARenameThatCannotBeDoneLeavesEveryEarlierFile) {
    std::vector<UnreplaceableName> cases = {
        {"a directory where fort.69 was",
         [](const fs::path& out) {
             fs::remove(out / "fort.69");
             fs::create_directories(out / "fort.69" / "inside");
         },
         {},
         "fort.69: it is a directory"},
    };
    if (!windows_tool()) {
        // The output is renamed last: the spectra and dumps are in place when its rename
        // fails, and must be put back.
        cases.push_back({"an output name longer than the system takes",
                         [](const fs::path&) {},
                         {"--output=" + std::string(300, 'w')},
                         "File name too long"});
    }
    for (const UnreplaceableName& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        write_file(dir / "rec.csv", smooth_record(200));
        ASSERT_EQ(run_tool_with(dir.path(), {"process", "-q", "-C", "out", "rec.csv"}).exit_status,
                  0);
        c.spoil(dir / "out");
        std::map<std::string, std::string> before = tree_of(dir / "out");
        std::vector<std::string> rerun = {"process", "-q", "-C", "out", "--bandpass=0.5,1,5,8"};
        rerun.insert(rerun.end(), c.rerun_options.begin(), c.rerun_options.end());
        rerun.push_back("rec.csv");
        ToolRun run = run_tool_with(dir.path(), rerun);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        std::map<std::string, std::string> after = tree_of(dir / "out");
        EXPECT_EQ(after.size(), before.size());  // no new name, no temporary file
        for (const auto& [name, content] : before) EXPECT_TRUE(after[name] == content) << name;
    }
}

// The files of the tool's names that a later run does not write go in its commit (and plot
// no longer draws them); a file of another name, and a record of a tool's name, stay.
TEST(ProcessCommit, AnEarlierRunsFilesOfTheToolsNamesGo) {
    ScratchDir dir;
    const std::string record = smooth_record(400);
    write_file(dir / "response.csv", record);
    ToolRun run =
        run_tool_with(dir.path(), {"process", "--response-spectra", "--plot",
                                   "--smooth=konno-ohmachi", "-C", "out", "response.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    write_file(dir / "out" / "notes.txt", "mine\n");
    run = run_tool_with(dir.path(), {"process", "--no-dumps", "-C", "out", "response.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    ASSERT_EQ(run_tool_with(dir.path(), {"plot", "out"}).exit_status, 0);
    std::set<std::string> names;
    for (const auto& [name, text] : tree_of(dir / "out")) names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"amp3.csv", "amp-c.csv", "wave.csv", "notes.txt",
                                            "spectra.svg", "waveform.svg", "run.json"}));
    ASSERT_EQ(run_tool_with(dir.path(), {"process", "--no-dumps", "response.csv"}).exit_status, 0);
    EXPECT_EQ(read_file(dir / "response.csv"), record);
}

#ifndef _WIN32
// Starts the tool in dir without waiting for it; its output goes to files beside dir.
pid_t start_tool(const fs::path& dir, const std::vector<std::string>& args) {
    const char* override_command = std::getenv("WAVESPEC_TOOL_COMMAND");
    std::string tool = override_command != nullptr ? override_command : WAVESPEC_DEFAULT_COMMAND;
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv = {tool.data()};
        std::vector<std::string> copies = args;
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (chdir(dir.c_str()) != 0) _exit(126);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

TEST(ProcessCommit, AnInterruptedBatchLeavesNoTemporaryFileAndEndsWithItsStatus) {
    if (windows_tool()) GTEST_SKIP() << "signals are sent the POSIX way";
    const std::pair<int, int> endings[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (auto [signal, status] : endings) {
        SCOPED_TRACE(signal);
        ScratchDir dir;
        write_file(dir / "rec.csv", smooth_record(30000, 0.005));
        constexpr int kRecords = 400;
        std::vector<std::string> args = {"process", "-q", "-j", "2", "-C", "out"};
        for (int i = 0; i < kRecords; ++i) {
            std::string name = "r" + std::to_string(i) + ".csv";
            fs::create_hard_link(dir / "rec.csv", dir / name);
            args.push_back(name);
        }
        pid_t pid = start_tool(dir.path(), args);
        ASSERT_GT(pid, 0);
        // The signal comes once the first record is whole, while others are being written.
        for (int waited = 0; !fs::exists(dir / "out" / "r0" / "wave.csv") && waited < 6000;
             ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid, signal);
        int wait_status = 0;
        ASSERT_EQ(waitpid(pid, &wait_status, 0), pid);
        ASSERT_TRUE(WIFEXITED(wait_status)) << "ended by signal " << WTERMSIG(wait_status);
        EXPECT_EQ(WEXITSTATUS(wait_status), status);
        int whole = 0;
        for (const auto& record : fs::directory_iterator(dir / "out")) {
            std::set<std::string> names;
            for (const auto& file : fs::directory_iterator(record.path()))
                names.insert(file.path().filename().string());
            EXPECT_EQ(names.size(), 9u) << record.path();  // all of a record's files, or none
            for (const std::string& name : names) EXPECT_FALSE(name.starts_with(".wavespec-"));
            ++whole;
        }
        EXPECT_GE(whole, 1);
        EXPECT_LT(whole, kRecords);
    }
}
#endif

}  // namespace
}  // namespace wavespec::test
