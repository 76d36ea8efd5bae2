#include "cli/process_command.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define wavespec_isatty _isatty
#else
#include <unistd.h>
#define wavespec_isatty isatty
#endif

#include "cli/batch_progress.hpp"
#include "cli/command_line.hpp"
#include "cli/option_parser.hpp"
#include "cli/process_options.hpp"
#include "cli/record_run.hpp"
#include "cli/staged_files.hpp"

namespace wavespec::cli {
namespace {

// Where each record's files go: the directory itself for one record, DIR/STEM/ for several.
// Two records of the same stem would write over each other, so they are refused.
std::vector<RecordJob> plan_jobs(const ProcessOptions& options) {
    std::filesystem::path base = options.out_dir ? *options.out_dir : ".";
    std::vector<RecordJob> jobs;
    std::map<std::string, std::string> stems;
    for (std::size_t i = 0; i < options.records.size(); ++i) {
        const std::string& record = options.records[i];
        RecordJob job{record, base, unique_staging_token()};
        if (options.records.size() > 1) {
            std::string stem = std::filesystem::path(record).stem().string();
            if (stem.empty() || stem == "." || stem == "..") {
                throw UsageError("the record '" + record +
                                 "' has no file name to name its directory");
            }
            auto [seen, fresh] = stems.emplace(stem, record);
            if (!fresh) {
                throw UsageError("the records '" + seen->second + "' and '" + record +
                                 "' have the same stem '" + stem +
                                 "', so their files would "
                                 "go to the same directory");
            }
            job.target = base / stem;
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

}  // namespace

int run_process(std::span<const std::string> args) {
    ProcessOptions options;
    std::vector<RecordJob> jobs;
    try {
        options = parse_process_options(args);
        if (options.help) return run_command_line(std::vector<std::string>{"--help"});
        jobs = plan_jobs(options);
    } catch (const UsageError& error) {
        report_usage_error("process", error.what());
        return kUsageError;
    }

    bool terminal = wavespec_isatty(2) != 0;
    BatchProgress progress(jobs.size(), options.quiet, terminal && jobs.size() > 1);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> any_failed{false};
    auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            RecordResult result = run_record(jobs[i], options);
            if (!result.ok) any_failed = true;
            progress.record_done(result.ok, result.line);
        }
    };
    std::size_t workers = std::min<std::size_t>(options.jobs, jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    progress.finish();
    return any_failed ? kSomeRecordFailed : kSuccess;
}

}  // namespace wavespec::cli
