// Values of options: numbers and comma-separated lists, read whole or refused with a
// UsageError naming the option and the text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "cli/option_bounds.hpp"

namespace wavespec::cli {

// Refuses the option's value with a UsageError: "invalid value 'TEXT' for --OPTION: WHY".
[[noreturn]] void refuse_value(std::string_view option, std::string_view text,
                               std::string_view why);

// A finite decimal number ("0.1", "-2", "1e-3").
double parse_real(std::string_view option, std::string_view text);
// Exactly count finite numbers separated by commas.
std::vector<double> parse_reals(std::string_view option, std::string_view text, std::size_t count);
// A whole number from low to high.
std::int64_t parse_integer(std::string_view option, std::string_view text, std::int64_t low,
                           std::int64_t high);
// Comma-separated whole numbers from low to high (an empty text is an empty list).
std::vector<std::int64_t> parse_integers(std::string_view option, std::string_view text,
                                         std::int64_t low, std::int64_t high);

// One value, a number within its row of the bounds table. part is the value's own text
// inside the option's whole text, which the refusal quotes.
double read_in_range(const ValueRange& range, std::string_view whole_text, std::string_view part);
double parse_in_range(const ValueRange& range, std::string_view text);
// Comma-separated values of one row: at least one, at most `most`, none twice when distinct.
std::vector<double> parse_list_in_range(const ValueRange& range, std::string_view text,
                                        std::size_t most, bool distinct);

}  // namespace wavespec::cli
