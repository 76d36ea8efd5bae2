#include "cli/convert_command.hpp"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/command_line.hpp"
#include "cli/format_option.hpp"
#include "cli/option_parser.hpp"
#include "formats/formats.hpp"

#ifndef _WIN32
#include <unistd.h>
#else
#include <process.h>
#endif

namespace wavespec::cli {
namespace {

namespace fs = std::filesystem;
using formats::FormatError;

constexpr OptionSpec kSpecs[] = {
    {"format", 0, true},
    {"keep-offset", 0, false},
    {"output", 'o', true},
};

struct ConvertRequest {
    formats::InputFormat format = formats::InputFormat::automatic;
    formats::ReadOptions read;
    std::string output;
    std::vector<std::string> inputs;
};

ConvertRequest parse_request(std::span<const std::string> args) {
    ParsedArguments parsed = parse_options(args, kSpecs);
    ConvertRequest request;
    for (const ParsedOption& option : parsed.options) {
        if (option.long_name == "format") {
            request.format = parse_format_option(option.value);
        } else if (option.long_name == "keep-offset") {
            request.read.keep_offset = true;
        } else if (option.long_name == "output") {
            if (option.value.empty()) throw UsageError("--output needs a file name");
            request.output = option.value;
        }
    }
    if (request.output.empty()) throw UsageError("no output file: give -o RECORD.csv");
    if (parsed.operands.empty()) throw UsageError("no input files");
    request.inputs = std::move(parsed.operands);
    return request;
}

int process_id() {
#ifndef _WIN32
    return static_cast<int>(::getpid());
#else
    return _getpid();
#endif
}

// Writes the text under a temporary name beside the target and renames it into place, so that
// the target is either the whole record or untouched.
void write_atomically(const std::string& target, const std::string& text) {
    static std::atomic<int> counter{0};
    fs::path final_path(target);
    std::string name = ".";
    name.append(final_path.filename().string()).append(".tmp");
    name.append(std::to_string(process_id())).append("-").append(std::to_string(counter++));
    fs::path temporary = final_path.parent_path() / name;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw FormatError(target + ": cannot write: " + std::strerror(errno));
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            throw FormatError(target + ": cannot write the record");
        }
    }
    std::error_code error;
    fs::rename(temporary, final_path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw FormatError(target + ": cannot write: " + error.message());
    }
}

void report(const std::string& line) {
    std::string text = "wavespec convert: " + line + "\n";
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
    try {
        std::vector<formats::RecordInput> inputs =
            formats::group_record_inputs(request.inputs, request.format);
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
        formats::WaveformRecord record = formats::read_record(inputs.front(), request.read);
        std::string text;
        formats::write_record_csv(record, text);
        write_atomically(request.output, text);
        for (const std::string& note : record.notes) report(note);
    } catch (const FormatError& error) {
        report(error.what());
        return kSomeRecordFailed;
    }
    return kSuccess;
}

}  // namespace wavespec::cli
