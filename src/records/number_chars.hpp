// The texts of doubles and the doubles of texts, made the same way on every platform (the
// standard libraries of some do not convert floating point at all). The functions take and
// give what std::to_chars and std::from_chars do, and write and read exactly the same
// characters as the GNU standard library's versions of those.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace wavespec {

// The shortest text that reads back to the same double, laid out as std::to_chars(value)
// lays it out: fixed or exponent form, whichever is shorter, fixed on a tie ("100000",
// "1e+06", "1.5e-07", "-0", "inf", "nan"). Needs at most 24 characters.
std::to_chars_result shortest_chars(char* first, char* last, double value);

// The correctly rounded forms with a precision, as std::to_chars with chars_format fixed
// (decimals after the point), scientific (digits after the point) and general (significant
// digits, trailing zeros dropped) writes them.
std::to_chars_result fixed_chars(char* first, char* last, double value, int decimals);
std::to_chars_result scientific_chars(char* first, char* last, double value, int decimals);
std::to_chars_result general_chars(char* first, char* last, double value, int precision);

// The double nearest to the decimal (or "inf", "infinity", "nan") text at first, as
// std::from_chars reads it: an optional minus sign, never a plus sign or blanks. A finite
// text beyond the doubles' range, or a nonzero one below their smallest, gives
// result_out_of_range and leaves value alone.
std::from_chars_result read_chars(const char* first, const char* last, double& value);

// The finite double that the whole of text spells, read as read_chars reads it; nothing for an
// empty text, one with anything after the number, one beyond the doubles' range, inf or nan.
std::optional<double> read_finite(std::string_view text);

}  // namespace wavespec
