#include "cli/process_command.hpp"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define wavespec_isatty _isatty
#elif defined(__EMSCRIPTEN__)
#include <emscripten.h>
#else
#include <unistd.h>
#define wavespec_isatty isatty
#endif

#include "cli/batch_progress.hpp"
#include "cli/command_line.hpp"
#include "cli/files_in_flight.hpp"
#include "cli/option_parser.hpp"
#include "cli/process_options.hpp"
#include "cli/record_list.hpp"
#include "cli/record_run.hpp"
#include "cli/run_json.hpp"
#include "cli/staged_files.hpp"
#include "records/printable_text.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::cli {
namespace {

#ifdef __EMSCRIPTEN__
// Emscripten calls every standard stream a terminal; under node, node knows, and a page has
// none.
EM_JS(int, wavespec_isatty, (int fd), {
    return typeof process == 'object' && typeof require == 'function' && require('tty').isatty(fd)
               ? 1
               : 0;
});
#endif

// A record is named by its path when it is one file, by its files' stem beside them otherwise.
std::string record_name(const formats::RecordInput& input) {
    if (input.paths.size() == 1 && input.channel_group.empty()) return input.paths.front();
    return (std::filesystem::path(input.paths.front()).parent_path() / input.stem).string();
}

// The progress line is redrawn with a carriage return and an erase-line sequence; a Windows
// console understands the sequence only once asked to.
bool terminal_understands_sequences() {
#ifdef _WIN32
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return false;
    return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
#else
    return true;
#endif
}

// Names that the file system takes for the same directory: on Windows and macOS letters of
// either case name the same file.
std::string directory_key(std::string stem) {
#if defined(_WIN32) || defined(__APPLE__)
    for (char& c : stem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
    return stem;
}

// The directory name a record's files take: a CSV file's name without its extension, the
// stem of a set's files otherwise.
std::string stem_of(const formats::RecordInput& input) {
    return input.format == formats::InputFormat::csv
               ? std::filesystem::path(input.paths.front()).stem().string()
               : input.stem;
}

// Where each record's files go: the directory itself for one record, DIR/STEM/ for several
// (records, not files: the three files of a K-NET set are one record) and for every record of
// a list, a shard or a resumed batch, so that the directory does not depend on what else the
// batch holds. A path that could not be grouped counts as a record of its own. Two records of
// the same stem would write over each other, so they are refused.
std::vector<RecordJob> plan_jobs(const ProcessOptions& options,
                                 std::vector<formats::RecordInput> inputs, std::size_t failed) {
    std::filesystem::path base = options.out_dir ? *options.out_dir : ".";
    bool several = inputs.size() + failed > 1 || options.own_directories;
    std::vector<RecordJob> jobs;
    std::map<std::string, std::string> stems;
    for (formats::RecordInput& input : inputs) {
        RecordJob job{record_name(input), {}, base, unique_staging_token(), stem_of(input)};
        if (several) {
            const std::string& stem = job.stem;
            if (stem.empty() || stem == "." || stem == "..") {
                throw UsageError("the record '" + printable_name(job.record) +
                                 "' has no file name to name its directory");
            }
            auto [seen, fresh] = stems.emplace(directory_key(stem), job.record);
            if (!fresh) {
                throw UsageError("the records '" + printable_name(seen->second) + "' and '" +
                                 printable_name(job.record) + "' have the same stem '" +
                                 printable_name(stem) +
                                 "', so their files would go to the same directory");
            }
            job.target = base / stem;
        }
        job.input = std::move(input);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

// The records named: the arguments, and the lines of the list.
struct NamedRecords {
    std::vector<ListedRecord> arguments, lines;
    std::size_t size() const { return arguments.size() + lines.size(); }
};

NamedRecords named_records(const ProcessOptions& options) {
    NamedRecords named;
    for (const std::string& path : options.records) named.arguments.push_back({path});
    if (options.records_from) named.lines = read_record_list(*options.records_from);
    if (named.size() == 0) {
        throw UsageError("no record given: the list " + *options.records_from + " holds none");
    }
    return named;
}

void keep_shard(NamedRecords& named, const Shard& shard) {
    auto outside = [&](const ListedRecord& r) { return !in_shard(r, shard); };
    std::erase_if(named.arguments, outside);
    std::erase_if(named.lines, outside);
}

// The records the paths make: the arguments grouped together, as on the command line (a
// K-NET or NGA name finds its set, one-channel files of a station make one record); the
// list's lines that name their sets by their names (K-NET, RSN...) grouped together too, so
// that a set's files on lines of their own make its one record; every other line on its own.
// A set formed from headers (MiniSEED, SAC, ...) is never merged with another line's files,
// which would lose records and make a record depend on what else its shard holds.
formats::GroupedInputs group_named(const NamedRecords& named, formats::InputFormat format,
                                   std::span<const std::size_t> channels) {
    std::vector<std::string> arguments, by_name;
    for (const ListedRecord& record : named.arguments) arguments.push_back(record.front());
    for (const ListedRecord& record : named.lines) {
        if (names_its_set(record)) by_name.push_back(record.front());
    }
    formats::GroupedInputs all = formats::group_each_record_input(arguments, format, channels);
    auto add = [&](formats::GroupedInputs set) {
        for (auto& input : set.records) all.records.push_back(std::move(input));
        for (auto& failure : set.failures) all.failures.push_back(std::move(failure));
    };
    if (!by_name.empty()) add(formats::group_each_record_input(by_name, format, channels));
    for (const ListedRecord& record : named.lines) {
        if (!names_its_set(record)) add(formats::group_each_record_input(record, format, channels));
    }
    return all;
}

// Why the record fails before it runs, as its one line.
OneRecordOutcome refused(std::string stem, std::string line) {
    return {std::move(stem), false, std::move(line), {}};
}

}  // namespace

OneRecordOutcome process_one_record(std::span<const std::string> paths, ProcessOptions options,
                                    const std::string& out_dir) {
    std::vector<RecordJob> jobs;
    try {
        check_process_options(options);
        if (out_dir.empty()) throw UsageError("--out-dir needs a directory name");
        options.out_dir = out_dir;
        options.records.assign(paths.begin(), paths.end());
        options.own_directories = true;
        formats::GroupedInputs grouped = formats::group_each_record_input(
            options.records, options.format, options.read.channels);
        if (!grouped.failures.empty()) return refused({}, grouped.failures.front());
        if (grouped.records.size() != 1) {
            return refused({}, (paths.empty() ? std::string("no file") : paths.front()) +
                                   ": the files make " + std::to_string(grouped.records.size()) +
                                   " records, not one");
        }
        check_inventory_format(options.inventory, grouped.records.front().format,
                               record_name(grouped.records.front()));
        jobs = plan_jobs(options, std::move(grouped.records), 0);
        options.threads_per_record = options.jobs;
        load_inventory(options.inventory);
    } catch (const UsageError& error) {
        return refused({}, std::string("wavespec process: ") + error.what());
    } catch (const formats::FormatError& error) {
        return refused({}, std::string("wavespec process: ") + error.what());
    }
    RecordResult result = run_record(jobs.front(), options);
    return {jobs.front().stem, result.ok, result.line,
            result.ok ? jobs.front().target.string() : std::string()};
}

int run_process(std::span<const std::string> args) {
    ProcessOptions options;
    std::vector<RecordJob> jobs;
    std::vector<std::string> failures;
    std::size_t records = 0, skipped = 0;
    try {
        options = parse_process_options(args);
        if (options.help) return print_help("process");
        NamedRecords named = named_records(options);
        if (options.shard) {
            std::size_t all = named.size();
            keep_shard(named, *options.shard);
            if (named.size() == 0) {
                std::fprintf(stderr,
                             "wavespec process: shard %llu/%llu holds none of the %zu records\n",
                             static_cast<unsigned long long>(options.shard->index),
                             static_cast<unsigned long long>(options.shard->count), all);
                return kSuccess;
            }
        }
        // A file that makes no record fails alone; every set that can be formed still runs.
        formats::GroupedInputs grouped = group_named(named, options.format, options.read.channels);
        for (const formats::RecordInput& input : grouped.records) {
            check_inventory_format(options.inventory, input.format, record_name(input));
        }
        failures = std::move(grouped.failures);
        jobs = plan_jobs(options, std::move(grouped.records), failures.size());
        records = jobs.size() + failures.size();
        if (options.resume) {
            std::erase_if(jobs, [&](const RecordJob& job) {
                bool complete = earlier_run_complete(job, options);
                skipped += complete ? 1 : 0;
                return complete;
            });
        }
        options.threads_per_record = static_cast<unsigned>(
            std::max<std::size_t>(options.jobs / std::max<std::size_t>(jobs.size(), 1), 1));
    } catch (const UsageError& error) {
        report_usage_error("process", error.what());
        return kUsageError;
    }
    try {
        load_inventory(options.inventory);
    } catch (const formats::FormatError& error) {
        std::fprintf(stderr, "wavespec process: %s\n", printable_line(error.what()).c_str());
        return kSomeRecordFailed;
    }

    // From here files are written: an interruption removes those of the records in flight.
    files_in_flight::watch_interruptions();
    bool terminal = wavespec_isatty(2) != 0 && terminal_understands_sequences();
    BatchProgress progress(jobs.size() + failures.size(), options.quiet,
                           terminal && jobs.size() + failures.size() > 1);
    for (const std::string& failure : failures) progress.record_done(false, failure, {});
    std::atomic<std::size_t> next{0};
    std::atomic<bool> any_failed{!failures.empty()};
    auto work = [&] {
        files_in_flight::WriterScope writer;
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            RecordResult result = run_record(jobs[i], options);
            if (!result.ok) any_failed = true;
            progress.record_done(result.ok, result.line, result.notes);
        }
    };
    std::size_t workers = std::min<std::size_t>(options.jobs, jobs.size());
    // Where the system gives fewer threads, the ones running share the records.
    run_together(std::max<std::size_t>(workers, 1), [&](std::size_t) { work(); });
    progress.finish();
    if (options.resume) {
        std::fprintf(stderr, "resume: %zu of %zu records complete, skipped\n", skipped, records);
    }
    // Lines that could not be written are a failure too, never a silent success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("wavespec process: standard output: write error\n", stderr);
        return kSomeRecordFailed;
    }
    return any_failed ? kSomeRecordFailed : kSuccess;
}

}  // namespace wavespec::cli
