#include "cli/convert_command.hpp"

#include <cstdio>
#include <filesystem>

#include "cli/command_line.hpp"
#include "cli/format_option.hpp"
#include "cli/inventory_options.hpp"
#include "cli/option_parser.hpp"
#include "cli/staged_files.hpp"
#include "formats/formats.hpp"
#include "job/instrument_correction.hpp"
#include "records/printable_text.hpp"

namespace wavespec::cli {
namespace {

namespace fs = std::filesystem;
using formats::FormatError;

constexpr KnownOption kConvertOptions[] = {
    {"format", 0, true},   {"keep-offset", 0, false}, {"quantity", 0, true},
    {"channels", 0, true}, {"output", 'o', true},     {"help", 'h', false},
};
constexpr auto kKnownOptions = joined_options(std::to_array(kConvertOptions), kInventoryOptions);

struct ConvertRequest {
    formats::InputFormat format = formats::InputFormat::automatic;
    formats::ReadOptions read;
    std::string output;
    std::vector<std::string> inputs;
    InventoryOptions inventory;
    bool help = false;
};

ConvertRequest parse_request(std::span<const std::string> args) {
    ParsedArguments parsed = parse_options(args, kKnownOptions);
    ConvertRequest request;
    for (const ParsedOption& option : parsed.options) {
        if (option.long_name == "format") {
            request.format = parse_format_option(option.value);
        } else if (option.long_name == "keep-offset") {
            request.read.keep_offset = true;
        } else if (option.long_name == "quantity") {
            request.read.quantity = parse_quantity_option(option.value);
        } else if (option.long_name == "channels") {
            request.read.channels = parse_channels_option(option.value);
        } else if (take_inventory_option(option.long_name, option.value, request.inventory)) {
        } else if (option.long_name == "output") {
            if (option.value.empty()) throw UsageError("--output needs a file name");
            request.output = option.value;
        } else if (option.long_name == "help") {
            request.help = true;
        }
    }
    if (request.help) return request;
    if (request.output.empty()) throw UsageError("no output file: give -o RECORD.csv");
    if (parsed.operands.empty()) throw UsageError("no input files");
    check_inventory_options(request.inventory, false);
    request.inputs = std::move(parsed.operands);
    return request;
}

// An output that is one of the inputs (by any path, or a link to it) would be written over
// the file being read: refused, as process refuses to write over its record. Files are
// compared by device and inode where the output exists.
void refuse_writing_over_an_input(const ConvertRequest& request,
                                  const formats::RecordInput& input) {
    std::vector<std::string> inputs = request.inputs;
    inputs.insert(inputs.end(), input.paths.begin(), input.paths.end());
    if (request.inventory.inventory) inputs.push_back(*request.inventory.inventory);
    for (const std::string& path : inputs) {
        std::error_code error;
        if (fs::equivalent(request.output, path, error)) {
            throw FormatError("the output " + request.output + " is the input " + path +
                              " itself; choose another -o");
        }
    }
}

void report(const std::string& line) {
    std::string text = "wavespec convert: " + printable_line(line) + "\n";
    std::fputs(text.c_str(), stderr);
}

}  // namespace

int run_convert(std::span<const std::string> args) {
    ConvertRequest request;
    try {
        request = parse_request(args);
    } catch (const UsageError& error) {
        report_usage_error("convert", error.what());
        return kUsageError;
    }
    if (request.help) return print_help("convert");
    try {
        std::vector<formats::RecordInput> inputs =
            formats::group_record_inputs(request.inputs, request.format, request.read.channels);
        if (inputs.size() != 1) {
            std::string names;
            for (const auto& input : inputs) names += (names.empty() ? "" : ", ") + input.stem;
            throw FormatError("the inputs make " + std::to_string(inputs.size()) + " records (" +
                              names + "); convert writes one");
        }
        if (inputs.front().format == formats::InputFormat::csv) {
            throw FormatError(inputs.front().paths.front() +
                              ": is not a K-NET, AT2, SAC or MiniSEED file (a CSV record needs "
                              "no conversion)");
        }
        refuse_writing_over_an_input(request, inputs.front());
        check_inventory_format(request.inventory, inputs.front().format, inputs.front().stem);
        load_inventory(request.inventory);
        formats::WaveformRecord record =
            formats::read_record(inputs.front(), job::reading_for(request.read, request.inventory));
        std::string units = job::correct_record(record, request.inventory);
        if (!units.empty()) record.notes.push_back(record.stem + ": " + units);
        std::string text;
        formats::write_record_csv(record, text);
        // The record takes its name only once it is whole.
        fs::path target(request.output);
        StagedFiles staged(target.parent_path(), unique_staging_token());
        if (auto why = staged.write(target.filename().string(), text)) throw FormatError(*why);
        if (auto why = staged.commit()) throw FormatError(*why);
        for (const std::string& note : record.notes) report(note);
    } catch (const FormatError& error) {
        report(error.what());
        return kSomeRecordFailed;
    } catch (const UsageError& error) {
        report_usage_error("convert", error.what());
        return kUsageError;
    }
    return kSuccess;
}

}  // namespace wavespec::cli
