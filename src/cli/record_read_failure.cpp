#include "cli/record_read_failure.hpp"

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "dialogue/waveform_reader.hpp"

namespace wavespec::cli {
namespace {

// "LINE:COLUMN" (from 1) of the value that a read stopped in, from the byte offset where it
// stopped: the column is where that value began, after the last separator.
std::string place_in_file(const std::string& path, std::uint64_t offset) {
    std::ifstream in(path, std::ios::binary);
    std::uint64_t line = 1, column = 1, value_start = 1;
    char buffer[1 << 16];
    std::uint64_t left = offset;
    while (left > 0 && in) {
        in.read(buffer, static_cast<std::streamsize>(std::min<std::uint64_t>(left, sizeof buffer)));
        auto got = static_cast<std::uint64_t>(in.gcount());
        if (got == 0) break;
        for (std::uint64_t i = 0; i < got; ++i) {
            char c = buffer[i];
            if (c == '\n') {
                ++line;
                column = value_start = 1;
                continue;
            }
            ++column;
            if (c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '/') value_start = column;
        }
        left -= got;
    }
    return std::to_string(line) + ":" + std::to_string(value_start);
}

}  // namespace

std::optional<ReadFailureText> describe_read_failure(const RecordFailure& failure,
                                                     const std::string& path) {
    if (failure.unit != kWaveformUnit || failure.unit_name != path) return std::nullopt;
    std::string first_line = failure.what();
    if (first_line.starts_with("open: ")) {
        return ReadFailureText{"", "cannot open the record: " + first_line.substr(6)};
    }
    if (first_line.ends_with("end of file")) {
        return ReadFailureText{"", "the record ends before its header of four names is complete"};
    }
    if (first_line.starts_with("read: ")) {
        return ReadFailureText{"", "cannot read the record: " + first_line.substr(6)};
    }
    // FILE:LINE:COLUMN, as compilers and GNU tools name a place in a text file.
    std::string place =
        failure.input_offset ? ":" + place_in_file(path, *failure.input_offset) : "";
    return ReadFailureText{place, "unreadable value (" + first_line + ")"};
}

}  // namespace wavespec::cli
