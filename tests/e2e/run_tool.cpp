#include "e2e/run_tool.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace wavespec::test {

namespace fs = std::filesystem;

namespace {
std::string tool_command() {
    const char* override_command = std::getenv("WAVESPEC_TOOL_COMMAND");
    return override_command != nullptr ? override_command : WAVESPEC_DEFAULT_COMMAND;
}
}  // namespace

bool windows_tool() {
    return std::getenv("WAVESPEC_WINDOWS_LINE_ENDS") != nullptr;
}

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("wavespec-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string read_file(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

const std::string& line_end() {
    static const std::string end = windows_tool() ? "\r\n" : "\n";
    return end;
}

std::string lines(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') {
            result += line_end();
        } else {
            result += c;
        }
    }
    return result;
}

fs::path test_data() {
    return WAVESPEC_TEST_DATA;
}

namespace {
// Under Wine the program's standard error also carries Wine's own diagnostics (debug channel
// lines such as "0024:err:module:...", and the loader's "wine: ..." and "preloader: ..."):
// they are the platform's, not the tool's, so they are taken out of what the tests compare and
// shown in the test log, where they explain a run that Wine could not start or finish.
std::string without_platform_lines(const std::string& text, std::string& platform) {
    static const std::regex wine_line("^([0-9a-f]{4}:(err|fixme|warn|trace):|wine: |preloader: )");
    std::string tool;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        (std::regex_search(line, wine_line) ? platform : tool) += line;
        start = end;
    }
    return tool;
}

// The argument as one word for the shell, whatever characters it holds.
std::string quoted(const std::string& arg) {
    std::string word = "'";
    for (char c : arg) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

std::string arguments_text(const std::vector<std::string>& args) {
    std::string arguments;
    for (const std::string& arg : args) arguments += " " + quoted(arg);
    return arguments;
}

// Wine sometimes cannot lay out a new process's address space (its shared user data page is
// taken by a randomly placed mapping: "failed to map the shared user data"). The program then
// never ran, so nothing of the tool is judged by it; the run is simply started again.
bool wine_could_not_start(const ToolRun& run) {
    return run.out.empty() && run.platform.find("failed to map the shared user data") !=
                                  std::string::npos;
}

ToolRun run_once(const std::string& tool, const fs::path& dir, const std::string& arguments,
                 const std::string& keyboard) {
    // The harness files live outside dir, so the tool's directory holds only its own files.
    static std::atomic<int> counter{0};
    fs::path io = fs::temp_directory_path() /
                  ("wavespec-io-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(io);
    write_file(io / "stdin", keyboard);
    std::string command = "cd '" + dir.string() + "' && exec " + tool + arguments + " < '" +
                          (io / "stdin").string() + "' > '" + (io / "stdout").string() + "' 2> '" +
                          (io / "stderr").string() + "'";
    int status = std::system(command.c_str());
    ToolRun run;
    run.out = read_file(io / "stdout");
    run.err = read_file(io / "stderr");
    if (windows_tool() && tool != WAVESPEC_DEFAULT_COMMAND) {
        run.err = without_platform_lines(run.err, run.platform);
        if (!run.platform.empty()) std::cerr << "Wine said on standard error:\n" << run.platform;
    }
    fs::remove_all(io);
    if (WIFEXITED(status)) {
        int code = WEXITSTATUS(status);
        // The shell reports a child killed by a signal as 128 + the signal number; abort() in
        // a Windows program ends it with status 3.
        if (code == 128 + SIGABRT || (windows_tool() && code == 3)) {
            run.aborted = true;
        } else {
            run.exit_status = code;
        }
    } else if (WIFSIGNALED(status)) {
        run.aborted = true;
    }
    return run;
}

ToolRun run_command(const std::string& tool, const fs::path& dir, const std::string& arguments,
                    const std::string& keyboard) {
    constexpr int kStartAttempts = 4;
    ToolRun run = run_once(tool, dir, arguments, keyboard);
    for (int attempt = 1; attempt < kStartAttempts && wine_could_not_start(run); ++attempt) {
        std::cerr << "Wine could not start the program; starting it again\n";
        run = run_once(tool, dir, arguments, keyboard);
    }
    return run;
}
}  // namespace

ToolRun run_tool(const fs::path& dir, const std::string& keyboard) {
    return run_command(tool_command(), dir, "", keyboard);
}

ToolRun run_native_tool(const fs::path& dir, const std::string& keyboard) {
    return run_command(WAVESPEC_DEFAULT_COMMAND, dir, "", keyboard);
}

ToolRun run_tool_with(const fs::path& dir, const std::vector<std::string>& args) {
    return run_command(tool_command(), dir, arguments_text(args), "");
}

ToolRun run_tool_with_input(const fs::path& dir, const std::vector<std::string>& args,
                            const std::string& input) {
    return run_command(tool_command(), dir, arguments_text(args), input);
}

ToolRun run_native_tool_with(const fs::path& dir, const std::vector<std::string>& args) {
    return run_command(WAVESPEC_DEFAULT_COMMAND, dir, arguments_text(args), "");
}

}  // namespace wavespec::test
