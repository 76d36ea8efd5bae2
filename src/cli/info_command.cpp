#include "cli/info_command.hpp"

#include <cstdio>

#include "cli/command_line.hpp"
#include "cli/csv_record.hpp"
#include "cli/format_option.hpp"
#include "cli/option_parser.hpp"
#include "cli/record_description.hpp"
#include "formats/formats.hpp"

namespace wavespec::cli {
namespace {

constexpr KnownOption kInfoOptions[] = {
    {"format", 0, true},   {"json", 0, false},   {"quantity", 0, true},
    {"channels", 0, true}, {"help", 'h', false},
};

struct InfoRequest {
    formats::InputFormat format = formats::InputFormat::automatic;
    formats::ReadOptions read;
    bool json = false;
    bool help = false;
    std::vector<std::string> inputs;
};

InfoRequest parse_info_request(std::span<const std::string> args) {
    ParsedArguments parsed = parse_options(args, std::span<const KnownOption>(kInfoOptions));
    InfoRequest request;
    for (const ParsedOption& option : parsed.options) {
        if (option.long_name == "format") {
            request.format = parse_format_option(option.value);
        } else if (option.long_name == "json") {
            request.json = true;
        } else if (option.long_name == "quantity") {
            request.read.quantity = parse_quantity_option(option.value);
        } else if (option.long_name == "channels") {
            request.read.channels = parse_channels_option(option.value);
        } else if (option.long_name == "help") {
            request.help = true;
        }
    }
    if (request.help) return request;
    if (parsed.operands.empty()) throw UsageError("no input files");
    request.inputs = std::move(parsed.operands);
    return request;
}

void info_report(const std::string& line) {
    std::string text = "wavespec info: " + line + "\n";
    std::fputs(text.c_str(), stderr);
}

formats::WaveformRecord read_any(const formats::RecordInput& input,
                                 const formats::ReadOptions& options) {
    if (input.format == formats::InputFormat::csv) {
        formats::WaveformRecord record = read_csv_record(input.paths.front());
        record.stem = input.stem;
        return record;
    }
    return formats::read_record(input, options);
}

}  // namespace

int run_info(std::span<const std::string> args) {
    InfoRequest request;
    try {
        request = parse_info_request(args);
    } catch (const UsageError& error) {
        report_usage_error("info", error.what());
        return kUsageError;
    }
    if (request.help) return print_help("info");
    formats::GroupedInputs grouped =
        formats::group_each_record_input(request.inputs, request.format, request.read.channels);
    int status = kSuccess;
    for (const std::string& failure : grouped.failures) {
        info_report(failure);
        status = kSomeRecordFailed;
    }
    bool first = true;
    for (const formats::RecordInput& input : grouped.records) {
        std::string text = request.json || first ? "" : "\n";
        try {
            formats::WaveformRecord record = read_any(input, request.read);
            text += request.json ? describe_record_json(record) : describe_record_text(record);
        } catch (const formats::FormatError& error) {
            info_report(error.what());
            status = kSomeRecordFailed;
            continue;
        }
        std::fwrite(text.data(), 1, text.size(), stdout);
        first = false;
    }
    if (std::fflush(stdout) != 0) {
        info_report("cannot write to standard output");
        return kSomeRecordFailed;
    }
    return status;
}

}  // namespace wavespec::cli
