// The tool's heaviest job, timed from outside: a 32768-sample record with the band-pass filter
// and one integration on, every file written (about 13 MB of text), through the dialogue, then
// the same job through "process", with and without the dumps and with the pictures; then a batch of
// 100 records of 6000 samples through "process" on one job and on two; last the same job with the
// response spectra, on this record and on an accelerogram of the same length. Each run is one
// process started directly (no shell, no timing wrapper in between), its wall time measured from
// spawn to exit; the peak resident memory comes from the kernel's account of the finished process.
// Usage: wavespec_whole_run path/to/wavespec [runs [response]]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

void write_record(const fs::path& path, int samples = 32768) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) throw std::runtime_error("cannot write " + path.string());
    std::fprintf(out, "time,NS,EW,UD\n");
    for (int i = 0; i < samples; ++i) {
        double t = i * 0.01;
        std::fprintf(out, "%.2f,%.6f,%.6f,%.6f\n", t,
                     120 * std::sin(7.54 * t) + 25 * std::sin(50.3 * t + 2),
                     95 * std::sin(5.65 * t + 0.7) + 30 * std::sin(40.8 * t),
                     40 * std::sin(25.1 * t + 0.5) + 35 * std::sin(69.1 * t));
    }
    std::fclose(out);
}

struct Run {
    double milliseconds;
    long peak_kib;
    double cpu_milliseconds;  // user and system time of the process
};

// One run of the tool with these arguments (none: the dialogue, answers on its input).
Run run_once(const std::string& tool, const fs::path& dir, std::vector<std::string> args = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (dir / "answers.txt").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    args.insert(args.begin(), tool);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + tool);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the tool did not end normally");
    }
    auto ms = [](const timeval& t) {
        return 1e3 * static_cast<double>(t.tv_sec) + 1e-3 * static_cast<double>(t.tv_usec);
    };
    return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss,
            ms(usage.ru_utime) + ms(usage.ru_stime)};
}

double median_of(const std::string& tool, const fs::path& dir, int runs,
                 const std::vector<std::string>& args) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) times.push_back(run_once(tool, dir, args).milliseconds);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The same job through the command line, the batch on one and two jobs.
void time_command_line(const std::string& tool, const fs::path& dir, int runs) {
    const std::vector<std::string> job = {
        "process",          "-q",        "--bandpass=0.1,0.2,20,25", "--integrate",
        "--output=out.csv", "record.csv"};
    std::vector<std::string> no_dumps = job;
    no_dumps.insert(no_dumps.begin() + 1, "--no-dumps");
    std::printf("process, same job: median %.1f ms\n", median_of(tool, dir, runs, job));
    std::printf("process --no-dumps, same job: median %.1f ms\n",
                median_of(tool, dir, runs, no_dumps));
    std::vector<std::string> plot = job;
    plot.insert(plot.begin() + 1, "--plot");
    std::printf("process --plot, same job: median %.1f ms\n", median_of(tool, dir, runs, plot));
    std::vector<std::string> batch = {
        "process", "-q", "--bandpass=0.1,0.2,20,25", "--integrate", "-C", "batch", "-j", "1"};
    for (int i = 0; i < 100; ++i) {
        std::string name = "batch-record-" + std::to_string(i) + ".csv";
        if (!fs::exists(dir / name)) write_record(dir / name, 6000);
        batch.push_back(name);
    }
    int batch_runs = std::max(1, runs / 4);
    double one = median_of(tool, dir, batch_runs, batch);
    batch[7] = "2";
    double two = median_of(tool, dir, batch_runs, batch);
    std::printf(
        "batch of 100 records of 6000 samples: median %.0f ms on 1 job, %.0f ms on 2 "
        "(ratio %.2f) over %d runs\n",
        one, two, two / one, batch_runs);
}

// A 32768-sample accelerogram like the bundled example's: damped oscillations of a few
// frequencies under a build-up-and-decay envelope, with a small deterministic noise.
void write_accelerogram(const fs::path& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) throw std::runtime_error("cannot write " + path.string());
    std::fprintf(out, "time,NS,EW,UD\n");
    const double waves[3][3][3] = {{{120, 1.2, 0.3}, {60, 3.5, 1.1}, {25, 8.0, 2.0}},
                                   {{95, 0.9, 0.7}, {70, 2.7, 0.2}, {30, 6.5, 1.5}},
                                   {{40, 4.0, 0.5}, {35, 11.0, 2.5}, {10, 0.5, 0.1}}};
    unsigned long long state = 20261208;
    auto noise = [&] {  // a sum of uniform numbers: near enough to a normal one
        double sum = 0;
        for (int k = 0; k < 12; ++k) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            sum += static_cast<double>(state >> 11) / 9007199254740992.0;
        }
        return 0.5 * (sum - 6.0);
    };
    for (int i = 0; i < 32768; ++i) {
        double t = i * 0.01;
        double envelope = t < 3 ? (t / 3) * (t / 3) : t < 15 ? 1.0 : std::exp(-(t - 15) / 8);
        std::fprintf(out, "%.2f", t);
        for (const auto& component : waves) {
            double value = 0;
            for (const auto& w : component) value += w[0] * std::sin(2 * M_PI * w[1] * t + w[2]);
            std::fprintf(out, ",%.6f", envelope * value + noise());
        }
        std::fprintf(out, "\n");
    }
    std::fclose(out);
}

// A broadband record of 32768 samples: three random walks (steps uniform in [-1, 1]).
void write_random_walk(const fs::path& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) throw std::runtime_error("cannot write " + path.string());
    std::fprintf(out, "time,NS,EW,UD\n");
    unsigned long long seed = 12345;
    auto step = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(seed >> 11) / 4503599627370496.0 - 1.0;
    };
    double x[3] = {};
    for (int i = 0; i < 32768; ++i) {
        std::fprintf(out, "%.2f", i * 0.01);
        for (double& v : x) std::fprintf(out, ",%.6f", v += step());
        std::fprintf(out, "\n");
    }
    std::fclose(out);
}

// Medians of the wall time and of the processor time of these runs.
std::pair<double, double> medians_of(const std::string& tool, const fs::path& dir, int runs,
                                     const std::vector<std::string>& args) {
    std::vector<double> wall, cpu;
    for (int r = 0; r < runs; ++r) {
        Run run = run_once(tool, dir, args);
        wall.push_back(run.milliseconds);
        cpu.push_back(run.cpu_milliseconds);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// The response spectra's cost: the same job with and without --response-spectra (the default
// grid of 100 periods, one damping, RotD), in whole runs of the job without it, for both
// oscillator conventions; on one job too (the spectra then use one processor). In wall time,
// and in processor time, which a machine shared with other work does not inflate as much.
void time_response_spectra(const std::string& tool, const fs::path& dir, int runs) {
    write_accelerogram(dir / "accelerogram.csv");
    write_random_walk(dir / "random-walk.csv");
    for (const char* record : {"record.csv", "accelerogram.csv", "random-walk.csv"}) {
        for (const char* jobs : {"-j2", "-j1"}) {
            std::vector<std::string> job = {
                "process",          "-q",  jobs, "--bandpass=0.1,0.2,20,25", "--integrate",
                "--output=out.csv", record};
            const auto [plain, plain_cpu] = medians_of(tool, dir, runs, job);
            for (const char* oscillator : {"band-limited", "piecewise-linear"}) {
                std::vector<std::string> with = job;
                with.insert(with.begin() + 1, "--response-spectra");
                with.insert(with.begin() + 2, std::string("--oscillator=") + oscillator);
                const auto [response, cpu] = medians_of(tool, dir, runs, with);
                std::printf(
                    "process --response-spectra --oscillator=%s %s, %s: median %.1f ms against "
                    "%.1f ms without (+%.1f whole runs); processor time %.1f ms against %.1f ms "
                    "(+%.1f)\n",
                    oscillator, jobs, record, response, plain, (response - plain) / plain, cpu,
                    plain_cpu, (cpu - plain_cpu) / plain_cpu);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s path/to/wavespec [runs]\n", argv[0]);
        return 2;
    }
    std::string tool = fs::absolute(argv[1]).string();
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 21;
    fs::path dir = fs::temp_directory_path() / ("wavespec-whole-run-" + std::to_string(getpid()));
    fs::create_directories(dir);
    try {
        write_record(dir / "record.csv");
        std::ofstream(dir / "answers.txt")
            << "record.csv\n0\n1\n0.1 0.2 20 25\n1\n\n0\n0\nout.csv\n\n";
        fs::current_path(dir);  // the tool writes its files where it runs
        std::vector<double> times;
        long peak = 0;
        for (int r = 0; r < runs; ++r) {
            Run run = run_once(tool, dir);
            times.push_back(run.milliseconds);
            peak = std::max(peak, run.peak_kib);
        }
        std::uintmax_t bytes = 0;
        for (const char* name : {"amp3.csv", "amp-c.csv", "fort.67", "fort.68", "fort.69",
                                 "fort.88", "fort.89", "out.csv"}) {
            bytes += fs::file_size(dir / name);
        }
        std::sort(times.begin(), times.end());
        std::printf(
            "whole run, 32768 samples, %ju bytes written: median %.1f ms, fastest %.1f ms over "
            "%d runs, peak RSS %ld KiB\n",
            bytes, times[times.size() / 2], times.front(), runs, peak);
        // "response": the response spectra's part alone.
        if (argc > 3 && std::string(argv[3]) == "response") {
            time_response_spectra(tool, dir, runs);
        } else {
            time_command_line(tool, dir, runs);
            time_response_spectra(tool, dir, runs);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wavespec_whole_run: %s\n", e.what());
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(dir);
        return 1;
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    return 0;
}
