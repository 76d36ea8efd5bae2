// Values in the fixed-width Fortran layouts of the agencies' text formats: "(10I8)",
// "(6F13.6)", "(5E16.7)", "(8F10.5)", with an optional scale prefix such as "1P". A value may
// fill its field and touch the next; only a block's last line may hold fewer fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

struct FixedLayout {
    std::size_t per_line = 0;  // fields a line
    std::size_t width = 0;     // characters a field
    int decimals = 0;          // F, E, D: digits taken after an implied point
    bool integer = false;      // I
};

// "(8F10.5)" and the like (blanks allowed, any case); nothing for any other text.
std::optional<FixedLayout> fixed_layout_named(std::string_view text);

// Reads count values laid out so from the next lines; fails naming the line of a field that is
// not a number, a line that ends early before the last, or the file's end before count values.
std::vector<double> read_fixed_values(std::string_view file, TextLines& lines,
                                      const FixedLayout& layout, std::size_t count);

// A header's number as an int where it is a whole number within +-10^9 (dates, times, codes);
// nothing otherwise, so that no conversion leaves the range of int.
std::optional<int> small_int(double value);

}  // namespace wavespec::formats
