#include "cli/process_options.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>

#include "cli/format_option.hpp"
#include "cli/option_parser.hpp"
#include "cli/option_values.hpp"
#include "cli/record_files.hpp"
#include "cli/response_options.hpp"
#include "cli/smoothing_options.hpp"
#include "job/check_job.hpp"
#include "records/shortest_text.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::cli {
namespace {

constexpr KnownOption kProcessOptions[] = {
    {"invert", 0, true},
    {"bandpass", 0, true},
    {"integrate", 0, false},
    {"double-integrate", 0, false},
    {"differentiate", 0, false},
    {"window", 0, true},
    {"skip", 0, true},
    {"output", 0, true},
    {"out-dir", 'C', true},
    {"no-dumps", 0, false},
    {"plot", 0, false},
    {"jobs", 'j', true},
    {"quiet", 'q', false},
    {"help", 'h', false},
    {"format", 0, true},
    {"keep-offset", 0, false},
    {"quantity", 0, true},
    {"channels", 0, true},
    {"layout", 0, true},
    {"dumps", 0, false},
    {"response-spectra", 0, false},
    {"periods", 0, true},
    {"damping", 0, true},
    {"oscillator", 0, true},
    {"records-from", 0, true},
    {"shard", 0, true},
    {"resume", 0, false},
};

constexpr auto kAllProcessOptions = joined_options(
    joined_options(joined_options(kProcessOptions, kSmoothingOptions), kInventoryOptions),
    kProcessingOptions);

// The output waveform is written beside the run's other files: a plain name, none of theirs.
void check_output_name(const std::string& name) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string::npos) {
        throw UsageError("invalid value '" + name +
                         "' for --output: expected a file name without directories");
    }
    if (is_record_file_name(name)) {
        throw UsageError("invalid value '" + name +
                         "' for --output: the run writes a file of that name itself");
    }
}

// Corners that can only be a mistake: negative, or out of the order the trapezoid needs.
void check_corners(std::string_view text, const std::array<double, 4>& corners) {
    static constexpr const char* kNames[] = {"FL1", "FL2", "FH1", "FH2"};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        if (corners[i] < 0.0) {
            refuse_value(
                "bandpass", text,
                std::string(kNames[i]) + " " + shortest_text(corners[i]) + " Hz is negative");
        }
        if (i > 0 && corners[i - 1] > corners[i]) {
            refuse_value("bandpass", text,
                         "the corners must rise, FL1 <= FL2 <= FH1 <= FH2, but " +
                             std::string(kNames[i - 1]) + " " + shortest_text(corners[i - 1]) +
                             " > " + kNames[i] + " " + shortest_text(corners[i]));
        }
    }
}

}  // namespace

ProcessOptions parse_process_options(std::span<const std::string> args) {
    ParsedArguments parsed = parse_options(args, kAllProcessOptions);
    ProcessOptions options;
    unsigned processors = processor_count();
    options.jobs = std::clamp(processors, 1u, static_cast<unsigned>(value_range("jobs", "N").high));
    std::string_view operation_option;
    std::optional<bool> dumps;
    for (const ParsedOption& option : parsed.options) {
        std::string_view name = option.long_name;
        const std::string& value = option.value;
        if (name == "invert") {
            options.invert = {};
            if (!value.empty()) {
                for (double component :
                     parse_list_in_range(value_range(name, "component"), value, SIZE_MAX, false)) {
                    options.invert[static_cast<std::size_t>(component - 1)] = true;
                }
            }
        } else if (name == "bandpass") {
            auto corners = parse_reals(name, value, 4);
            options.bandpass = {corners[0], corners[1], corners[2], corners[3]};
            check_corners(value, *options.bandpass);
            for (double corner : corners)
                read_in_range(value_range(name, "FL1,FL2,FH1,FH2"), value, shortest_text(corner));
        } else if (name == "integrate" || name == "double-integrate" || name == "differentiate") {
            if (!operation_option.empty() && operation_option != name) {
                throw UsageError("--" + std::string(operation_option) + " and --" +
                                 std::string(name) + " cannot be given together");
            }
            operation_option = name;
            options.operation = name == "integrate" ? 1 : name == "double-integrate" ? 2 : 3;
        } else if (name == "window") {
            auto window = parse_reals(name, value, 2);
            if (!(window[1] > 0.0)) {
                refuse_value(name, value,
                             "the duration " + shortest_text(window[1]) + " s is not positive");
            }
            read_in_range(value_range(name, "START"), value, shortest_text(window[0]));
            read_in_range(value_range(name, "DURATION"), value, shortest_text(window[1]));
            options.window = {window[0], window[1]};
        } else if (name == "skip") {
            options.skip = static_cast<std::int32_t>(parse_in_range(value_range(name, "N"), value));
        } else if (name == "output") {
            options.output = value;
        } else if (name == "out-dir") {
            if (value.empty()) throw UsageError("--out-dir needs a directory name");
            options.out_dir = value;
        } else if (name == "no-dumps" || name == "dumps") {
            dumps = name == "dumps";
        } else if (name == "layout") {
            if (value != "legacy" && value != "full") {
                throw UsageError("invalid value '" + value +
                                 "' for --layout: expected legacy or full");
            }
            options.layout = value == "full" ? FileLayout::full : FileLayout::legacy;
        } else if (name == "plot") {
            options.plot = true;
        } else if (name == "jobs") {
            options.jobs = static_cast<unsigned>(parse_in_range(value_range(name, "N"), value));
        } else if (name == "quiet") {
            options.quiet = true;
        } else if (name == "format") {
            options.format = parse_format_option(value);
        } else if (name == "keep-offset") {
            options.read.keep_offset = true;
        } else if (name == "quantity") {
            options.read.quantity = parse_quantity_option(value);
        } else if (name == "channels") {
            options.read.channels = parse_channels_option(value);
        } else if (name == "response-spectra") {
            options.response_spectra = true;
        } else if (name == "periods") {
            options.periods = parse_periods(name, value);
        } else if (name == "damping") {
            options.dampings = parse_dampings(name, value);
        } else if (name == "oscillator") {
            options.oscillator = parse_oscillator(name, value);
        } else if (name == "records-from") {
            if (value.empty()) throw UsageError("--records-from needs a file name (or -)");
            options.records_from = value;
        } else if (name == "shard") {
            options.shard =
                parse_shard(value, [](const char* variable) { return std::getenv(variable); });
        } else if (name == "resume") {
            options.resume = true;
        } else if (name == "help") {
            options.help = true;
        } else if (take_inventory_option(name, value, options.inventory)) {
        } else if (take_processing_option(name, value, options.processing)) {
        } else if (take_smoothing_option(name, value, options.smoothing)) {
        }
    }
    options.dumps = dumps.value_or(options.layout == FileLayout::legacy);
    // Named as given: the first of them on the command line.
    for (const ParsedOption& option : parsed.options) {
        if ((option.long_name == "periods" || option.long_name == "damping" ||
             option.long_name == "oscillator") &&
            !options.response_spectra) {
            throw UsageError("--" + std::string(option.long_name) +
                             " goes with --response-spectra");
        }
    }
    check_process_options(options);
    options.own_directories = options.records_from || options.shard || options.resume;
    options.records = std::move(parsed.operands);
    // A list's records are counted once it is read.
    if (options.records.empty() && !options.records_from && !options.help) {
        throw UsageError("no record given");
    }
    return options;
}

void check_process_options(const ProcessOptions& options) {
    job::check_job(options);
    check_output_name(options.output);
    const std::string jobs = std::to_string(options.jobs);
    read_in_range(value_range("jobs", "N"), jobs, jobs);
    const bool response_given = !options.periods.empty() || !options.dampings.empty() ||
                                options.oscillator != response::Convention::band_limited;
    if (response_given && !options.response_spectra) {
        throw UsageError(std::string("--") +
                         (!options.periods.empty()    ? "periods"
                          : !options.dampings.empty() ? "damping"
                                                      : "oscillator") +
                         " goes with --response-spectra");
    }
}

}  // namespace wavespec::cli
