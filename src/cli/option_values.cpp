#include "cli/option_values.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "cli/option_parser.hpp"
#include "records/number_chars.hpp"
#include "records/shortest_text.hpp"
#include "records/text_lines.hpp"

namespace wavespec::cli {
namespace {

// An explicit plus sign, which the number readers do not take; never followed by another sign.
void drop_plus(std::string_view& text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
}

bool read_real(std::string_view text, double& value) {
    drop_plus(text);
    const std::optional<double> read = read_finite(text);
    if (read) value = *read;
    return read.has_value();
}

bool read_integer(std::string_view text, std::int64_t& value) {
    drop_plus(text);
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

// A whole number as a double: digits alone (with a sign), no point or exponent.
bool read_whole(std::string_view text, double& value) {
    std::int64_t whole = 0;
    if (!read_integer(text, whole)) return false;
    value = static_cast<double>(whole);
    return true;
}

}  // namespace

void refuse_value(std::string_view option, std::string_view text, std::string_view why) {
    throw UsageError("invalid value '" + std::string(text) + "' for --" + std::string(option) +
                     ": " + std::string(why));
}

std::vector<double> parse_reals(std::string_view option, std::string_view text, std::size_t count) {
    std::vector<std::string_view> parts = split_at_commas(text);
    std::string want = "expected " + std::to_string(count) + " finite numbers separated by commas";
    if (parts.size() != count) refuse_value(option, text, want);
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!read_real(parts[i], values[i])) refuse_value(option, text, want);
    }
    return values;
}

double read_in_range(const ValueRange& range, std::string_view whole_text, std::string_view part) {
    double value = 0.0;
    bool number = range.whole ? read_whole(part, value) : read_real(part, value);
    if (!number || !in_range(range, value)) {
        std::string why = std::string(range.value) + " must be " + range_text(range);
        if (whole_text != part) why += ", not '" + std::string(part) + "'";
        refuse_value(range.option, whole_text, why);
    }
    return value;
}

double parse_in_range(const ValueRange& range, std::string_view text) {
    return read_in_range(range, text, text);
}

std::vector<double> parse_list_in_range(const ValueRange& range, std::string_view text,
                                        std::size_t most, bool distinct) {
    std::vector<std::string_view> parts = split_at_commas(text);
    if (parts.size() > most) {
        refuse_value(range.option, text,
                     "at most " + std::to_string(most) + " values separated by commas");
    }
    std::vector<double> values;
    for (std::string_view part : parts) values.push_back(read_in_range(range, text, part));
    if (distinct) {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        auto twice = std::adjacent_find(sorted.begin(), sorted.end());
        if (twice != sorted.end()) {
            refuse_value(
                range.option, text,
                std::string(range.value) + " " + shortest_text(*twice) + " is given twice");
        }
    }
    return values;
}

}  // namespace wavespec::cli
