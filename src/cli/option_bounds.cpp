#include "cli/option_bounds.hpp"

#include <charconv>
#include <stdexcept>

#include "records/number_chars.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::cli {

const ValueRange& value_range(std::string_view option, std::string_view value) {
    for (const ValueRange& range : kValueRanges) {
        if (range.option == option && range.value == value) return range;
    }
    throw std::logic_error("no range for --" + std::string(option) + " " + std::string(value));
}

std::string range_text(const ValueRange& range) {
    std::string text = range.whole ? "a whole number " : "";
    text += range.low_open ? "above " : "from ";
    text += shortest_text(range.low);
    text += range.high_open ? " and below " : range.low_open ? " and at most " : " to ";
    text += shortest_text(range.high);
    if (!range.unit.empty()) text += " " + std::string(range.unit);
    return text;
}

bool in_range(const ValueRange& range, double value) {
    bool above_low = range.low_open ? value > range.low : value >= range.low;
    bool below_high = range.high_open ? value < range.high : value <= range.high;
    return above_low && below_high &&
           (!range.whole || value == static_cast<double>(static_cast<std::int64_t>(value)));
}

namespace {

// A count of work in whole digits.
std::string count_text(double count) {
    char buffer[320];
    auto result = fixed_chars(buffer, buffer + sizeof buffer, count, 0);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::optional<std::string> work_problem(std::string_view what, double work, double ceiling) {
    if (work <= ceiling) return std::nullopt;
    return std::string(what) + " would take " + count_text(work) + ", more than the ceiling of " +
           count_text(ceiling) + "; ask for less";
}

}  // namespace wavespec::cli
