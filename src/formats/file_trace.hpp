// What each one-component reader gives, and the helpers every reader shares: error lines that
// name the file and place, component names as plain words, and number tokens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/formats.hpp"
#include "records/shortest_text.hpp"
#include "records/text_lines.hpp"

namespace wavespec::formats {

// One component as read from one file.
struct FileTrace {
    std::string component;  // a plain word (see plain_word)
    double dt = 0.0;
    std::vector<double> samples;
    std::optional<ChannelIdentity> identity;
    std::optional<std::string> code;  // the component as the file names it
    std::optional<double> azimuth, dip;
    // What the file says of its record (see WaveformRecord).
    std::string format;
    std::string network, station, location;
    std::optional<Quantity> quantity;
    std::string units;
    std::vector<StatedValue> stated;
    std::optional<FilterCorners> filter;
    std::optional<std::int64_t> start_us;  // the first sample's time in UTC, where given
    std::vector<std::string> notes;        // one-line notes for the record
};

// Where a file states both its count of samples and their duration, they agree within one dt
// (the duration may be counted as n or n - 1 intervals); the count rules. Fails naming the
// count's line otherwise.
void check_count_and_duration(std::string_view file, std::int64_t line, std::int64_t count,
                              double dt, std::optional<double> duration,
                              std::string_view duration_name);

[[noreturn]] void fail(std::string_view file, std::string_view what);
[[noreturn]] void fail_at_line(std::string_view file, std::int64_t line, std::string_view what);
[[noreturn]] void fail_at_byte(std::string_view file, std::int64_t byte, std::string_view what);

// A component name the dialogue reads back unchanged: letters, digits and - _ . + only (any
// other character becomes '_'), at most 20 characters, never empty (then `fallback`).
std::string plain_word(std::string_view text, std::string_view fallback);

// A real number token as the networks write them: optional sign, digits with or without a
// point, an exponent with E, e, D or d. Nothing for anything else, or for a token that is
// out of the range of double.
std::optional<double> parse_real_token(std::string_view token);

// The text in single quotes, for messages.
std::string quoted(std::string_view text);

using wavespec::shortest_text;

// The file name without its directory, for messages about sets.
std::string base_name(std::string_view path);

// The whole content of a file; fails with a FormatError naming it.
std::string read_whole_file(const std::string& path);

using wavespec::TextLines;

// The words of a line, separated by blanks and tabs, one after the other.
class Words {
  public:
    explicit Words(std::string_view line) : line_(line) {}
    std::optional<std::string_view> next();

  private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

// Splits a line at blanks and tabs.
std::vector<std::string_view> split_words(std::string_view line);

using wavespec::trim;

}  // namespace wavespec::formats
