// Helpers shared by the readers of the national networks' text files: columns of numbers,
// compass directions, case-blind search, local clocks and the Turkish code pages.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/calendar.hpp"
#include "formats/file_trace.hpp"

namespace wavespec::formats {

// A tenth of g, 980.665 cm/s^2 / 10, as the closest double to the decimal (the quotient of
// the two doubles is not).
constexpr double kGalPerTenthOfG = 98.0665;

// True when `text` holds `word`, letters compared without their case.
bool contains_ignoring_case(std::string_view text, std::string_view word);

// The text after a line's first colon, trimmed; nothing where the line has no colon.
std::optional<std::string_view> after_colon(std::string_view line);

// "N28E" is 28 degrees east of north, "S72W" 252, "N" 0, "E" 90; nothing for other text.
std::optional<double> compass_azimuth(std::string_view text);

// Reads `rows` lines of exactly `columns` numbers separated by blanks or tabs and returns the
// columns; fails naming the line of a word that is no number, a line of another count of
// numbers, or the file's end before the last row.
std::vector<std::vector<double>> read_number_columns(std::string_view file, TextLines& lines,
                                                     std::size_t columns, std::size_t rows);

// Fails naming the line of any text that is not blank after the values.
void expect_only_blank_lines(std::string_view file, TextLines& lines, std::string_view after);

// Text of the Windows-1254 code page (ISO-8859-9, Turkish, with the printable characters of
// 0x80 to 0x9F) as UTF-8; a byte the code page leaves undefined becomes U+FFFD.
std::string windows1254_to_utf8(std::string_view text);

// A civil time read on a clock `offset_minutes` ahead of UTC, as UTC microseconds since 1970.
std::optional<std::int64_t> utc_from_local(const CivilTime& local, int offset_minutes);

}  // namespace wavespec::formats

namespace wavespec::formats {

// The numbers written in a line of text ("NPTS= 8000, DUR= 39.99 SEC" gives 8000 and 39.99):
// each run of digits with its sign and point.
std::vector<double> numbers_in(std::string_view line);

// The count and duration of a channel's line: the count rules, the interval is the duration
// over count - 1 intervals. Fails naming the line where either is missing or not positive.
struct CountAndInterval {
    std::size_t count = 0;
    double dt = 0.0;
};
CountAndInterval count_and_interval(std::string_view file, std::int64_t number,
                                    std::string_view line);

}  // namespace wavespec::formats
