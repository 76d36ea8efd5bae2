// Fuzz target: a whole run of the built tool (with its sanitizers) in a scratch directory. The
// input is the waveform file, then a line "===", then the keyboard; without that line the
// keyboard gives the plain answers. The run must end normally (status 0, nothing on standard
// error), by a refusal (status 1 and its message), or by a fatal diagnostic and an abort; it
// must end within the time limit, and every file it leaves must hold whole records.
//
// File names come from the keyboard, so the keyboard is tamed first: a slash that could join
// path components becomes '_'. Every name the tool can then open lies in the scratch
// directory (the directory itself, its parent or the root can be named, and are refused).
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.hpp"

namespace wavespec::fuzz {
namespace {

namespace fs = std::filesystem;

constexpr int kSanitizerExit = 86;
constexpr int kTimeLimitSeconds = 20;
const char* const kPlainAnswers = "rec.csv\n0\n0\n0\n\n0\n0\nout.csv\n\n";

bool ends_value(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',';
}

// A slash stays only where it cannot be part of a path: alone on its line, or followed by a
// separator (a null value "/") and not after "..".
std::string tame(std::string keyboard) {
    for (std::size_t i = 0; i < keyboard.size(); ++i) {
        if (keyboard[i] != '/') continue;
        bool line_start = i == 0 || keyboard[i - 1] == '\n';
        bool followed_by_separator = i + 1 == keyboard.size() || ends_value(keyboard[i + 1]);
        bool alone = i + 1 == keyboard.size() || keyboard[i + 1] == '\n' || keyboard[i + 1] == '\r';
        bool after_dots = i >= 2 && keyboard[i - 1] == '.' && keyboard[i - 2] == '.';
        if (!followed_by_separator || after_dots || (line_start && !alone)) keyboard[i] = '_';
    }
    return keyboard;
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Ending {
    int status = -1;
    int signal = 0;
};

Ending run_tool(const fs::path& work, const fs::path& io) {
    pid_t child = ::fork();
    if (child < 0) finding("harness", "fork failed");
    if (child == 0) {
        if (::chdir(work.c_str()) != 0) ::_exit(125);
        if (!std::freopen((io / "keyboard").c_str(), "rb", stdin) ||
            !std::freopen((io / "stdout").c_str(), "wb", stdout) ||
            !std::freopen((io / "stderr").c_str(), "wb", stderr)) {
            ::_exit(125);
        }
        ::signal(SIGABRT, SIG_DFL);
        ::setenv("ASAN_OPTIONS", "exitcode=86:abort_on_error=0:detect_leaks=1", 1);
        ::setenv("UBSAN_OPTIONS", "exitcode=86:halt_on_error=1:print_stacktrace=1", 1);
        ::alarm(kTimeLimitSeconds);  // survives the exec: a hang ends by SIGALRM
        ::execl(WAVESPEC_TOOL_PATH, WAVESPEC_TOOL_PATH, static_cast<char*>(nullptr));
        ::_exit(126);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    Ending ending;
    if (WIFEXITED(status)) ending.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) ending.signal = WTERMSIG(status);
    return ending;
}

void check_files_complete(const fs::path& work) {
    for (const auto& entry : fs::directory_iterator(work)) {
        if (entry.path().filename() == "rec.csv" || !entry.is_regular_file()) continue;
        std::string text = slurp(entry.path());
        if (!text.empty() && text.back() != '\n') {
            finding("a file ends inside a record", entry.path().filename().string());
        }
    }
}

void check_run(const std::string& waveform, const std::string& keyboard) {
    static int counter = 0;
    fs::path io = fs::temp_directory_path() /
                  ("wavespec-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::path work = io / "work";
    fs::remove_all(io);
    fs::create_directories(work);
    std::ofstream(work / "rec.csv", std::ios::binary) << waveform;
    std::ofstream(io / "keyboard", std::ios::binary) << keyboard;

    Ending ending = run_tool(work, io);
    std::string out = slurp(io / "stdout");
    std::string err = slurp(io / "stderr");
    std::string report = "status " + std::to_string(ending.status) + ", signal " +
                         std::to_string(ending.signal) + "\nstderr:\n" + err + "\nstdout tail:\n" +
                         out.substr(out.size() > 600 ? out.size() - 600 : 0);
    if (ending.signal == SIGABRT) {
        check_diagnostic(err, "");
    } else if (ending.status == 0) {
        if (!err.empty()) finding("a normal end wrote to standard error", report);
        bool stopped_early = out.find(" NT>2**15 !!!!!") != std::string::npos;
        if (!stopped_early && !fs::exists(work / "fort.88")) {
            finding("a normal end without the dump files", report);
        }
    } else if (ending.status == 1) {
        if (err.rfind("wavespec: ", 0) != 0) finding("exit status 1 without a refusal", report);
    } else if (ending.status == kSanitizerExit) {
        finding("a sanitizer reported an error in the tool", report);
    } else if (ending.signal == SIGALRM) {
        finding("the run did not end in time", report);
    } else {
        finding("the run ended in an unexpected way", report);
    }
    check_files_complete(work);
    fs::remove_all(io);
}

}  // namespace
}  // namespace wavespec::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec::fuzz;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find("\n===\n");
    if (split == std::string::npos) {
        check_run(input, kPlainAnswers);
    } else {
        check_run(input.substr(0, split + 1), tame(input.substr(split + 5)));
    }
    return 0;
}
