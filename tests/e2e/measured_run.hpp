// Runs the tool as a direct child with its standard streams on files, so that the run's own
// peak memory and wall time can be read, and a file-size limit set for it. Header-only: the
// end-to-end program is built from run_tool.cpp and the test files.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "e2e/run_tool.hpp"

namespace wavespec::test {

struct MeasuredRun {
    ToolRun run;
    long peak_kib = 0;         // the tool's largest resident set
    double seconds = 0.0;      // wall time from start to end
    double cpu_seconds = 0.0;  // user and system time, whatever else the machine runs
};

struct RunLimits {
    std::string stdout_path;     // empty: a file that is read back into run.out
    long file_size_limit = -1;   // bytes, for every file the tool writes; -1 for none
    std::string arguments = {};  // the command line after the tool's name, quoted for the shell
};

inline std::string tool_command_line() {
    const char* override_command = std::getenv("WAVESPEC_TOOL_COMMAND");
    return override_command != nullptr ? override_command : WAVESPEC_DEFAULT_COMMAND;
}

// The keyboard text is taken from a file, so that it may be very large.
inline MeasuredRun run_measured(const std::filesystem::path& dir,
                                const std::filesystem::path& keyboard_file,
                                const RunLimits& limits = {}) {
    namespace fs = std::filesystem;
    static std::atomic<int> counter{0};
    fs::path io = fs::temp_directory_path() / ("wavespec-measured-" + std::to_string(::getpid()) +
                                               "-" + std::to_string(counter++));
    fs::create_directories(io);
    std::string out_path =
        limits.stdout_path.empty() ? (io / "stdout").string() : limits.stdout_path;
    std::string err_path = (io / "stderr").string();
    std::string command = "exec " + tool_command_line() + " " + limits.arguments;

    auto start = std::chrono::steady_clock::now();
    pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        int in = ::open(keyboard_file.c_str(), O_RDONLY);
        int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::chdir(dir.c_str()) != 0) ::_exit(125);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (limits.file_size_limit >= 0) {
            // A write past the limit then fails with EFBIG instead of killing the process.
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit size{static_cast<rlim_t>(limits.file_size_limit),
                        static_cast<rlim_t>(limits.file_size_limit)};
            ::setrlimit(RLIMIT_FSIZE, &size);
        }
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(126);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error("wait4 failed");
    }
    MeasuredRun result;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.peak_kib = usage.ru_maxrss;
    auto seconds_of = [](timeval t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    result.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
    if (limits.stdout_path.empty()) result.run.out = read_file(out_path);
    result.run.err = read_file(err_path);
    fs::remove_all(io);
    if (WIFEXITED(status)) {
        result.run.exit_status = WEXITSTATUS(status);
        // abort() ends a Windows program with status 3.
        if (windows_tool() && result.run.exit_status == 3) {
            result.run.aborted = true;
            result.run.exit_status = -1;
        }
    } else if (WIFSIGNALED(status)) {
        result.run.aborted = WTERMSIG(status) == SIGABRT;
        if (!result.run.aborted) result.run.exit_status = -WTERMSIG(status);
    }
    return result;
}

}  // namespace wavespec::test
