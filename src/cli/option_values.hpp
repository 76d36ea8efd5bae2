// Values of options: numbers and comma-separated lists, read whole or refused with a
// UsageError naming the option and the text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

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

}  // namespace wavespec::cli
