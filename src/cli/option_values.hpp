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

// Exactly count finite numbers separated by commas.
std::vector<double> parse_reals(std::string_view option, std::string_view text, std::size_t count);

// One value, a number within its row of the bounds table. part is the value's own text
// inside the option's whole text, which the refusal quotes.
double read_in_range(const ValueRange& range, std::string_view whole_text, std::string_view part);
double parse_in_range(const ValueRange& range, std::string_view text);
// Comma-separated values of one row: at least one, at most `most`, none twice when distinct.
std::vector<double> parse_list_in_range(const ValueRange& range, std::string_view text,
                                        std::size_t most, bool distinct);

}  // namespace wavespec::cli
