#include "formats/fixed_fields.hpp"

#include <charconv>
#include <cmath>

#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

std::optional<int> digits_at(std::string_view& text) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    if (n == 0 || n > 4) return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + n, value);
    text.remove_prefix(n);
    return value;
}

// A field's number: an integer for I, else a real; a real without a point takes `decimals`
// digits after an implied one, as Fortran reads it.
std::optional<double> field_value(std::string_view field, const FixedLayout& layout) {
    field = trim(field);
    if (field.empty()) return std::nullopt;
    if (layout.integer) {
        std::string_view digits = field.starts_with('+') ? field.substr(1) : field;
        std::int64_t value = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
            digits.front() == '+') {
            return std::nullopt;
        }
        return static_cast<double>(value);
    }
    auto value = parse_real_token(field);
    if (!value) return std::nullopt;
    if (field.find('.') == std::string_view::npos && layout.decimals > 0) {
        bool exponent = field.find_first_of("EeDd") != std::string_view::npos;
        if (!exponent) *value /= std::pow(10.0, layout.decimals);
    }
    return value;
}

}  // namespace

std::optional<int> small_int(double value) {
    if (!(value >= -1e9 && value <= 1e9) || value != std::trunc(value)) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<FixedLayout> fixed_layout_named(std::string_view text) {
    std::string compact;
    for (char c : text) {
        if (c != ' ') compact += ascii_upper(c);
    }
    std::string_view rest = compact;
    if (!rest.starts_with('(') || !rest.ends_with(')')) return std::nullopt;
    rest = rest.substr(1, rest.size() - 2);
    // A scale factor ("1P") changes only values written without an exponent on output.
    if (std::size_t p = rest.find('P'); p != std::string_view::npos && p > 0 && p < 3) {
        rest.remove_prefix(p + 1);
        if (!rest.empty() && rest.front() == ',') rest.remove_prefix(1);
    }
    FixedLayout layout;
    auto count = digits_at(rest);
    layout.per_line = count ? static_cast<std::size_t>(*count) : 1;
    if (rest.empty()) return std::nullopt;
    char kind = rest.front();
    rest.remove_prefix(1);
    if (kind != 'I' && kind != 'F' && kind != 'E' && kind != 'D' && kind != 'G') {
        return std::nullopt;
    }
    layout.integer = kind == 'I';
    auto width = digits_at(rest);
    if (!width || *width < 1 || *width > 64) return std::nullopt;
    layout.width = static_cast<std::size_t>(*width);
    if (!rest.empty() && rest.front() == '.') {
        rest.remove_prefix(1);
        auto decimals = digits_at(rest);
        if (!decimals || *decimals >= *width) return std::nullopt;
        layout.decimals = *decimals;
    }
    if (!rest.empty() || layout.per_line < 1 || layout.per_line > 100) return std::nullopt;
    return layout;
}

std::vector<double> read_fixed_values(std::string_view file, TextLines& lines,
                                      const FixedLayout& layout, std::size_t count) {
    std::vector<double> values;
    values.reserve(std::min<std::size_t>(count, 1 << 20));
    while (values.size() < count) {
        auto line = lines.next();
        if (!line) {
            fail_at_line(file, lines.number(),
                         "the file ends after " + std::to_string(values.size()) + " of " +
                             std::to_string(count) + " values");
        }
        std::string_view text = *line;
        std::size_t f = 0;
        for (; f < layout.per_line && values.size() < count; ++f) {
            std::size_t at = f * layout.width;
            std::string_view field = at < text.size() ? text.substr(at, layout.width) : "";
            if (trim(field).empty()) {
                fail_at_line(file, lines.number(),
                             "field " + std::to_string(f + 1) + " is blank, but " +
                                 std::to_string(count - values.size()) + " values are still due");
            }
            auto value = field_value(field, layout);
            if (!value) {
                fail_at_line(file, lines.number(),
                             quoted(trim(field)) + " is not a number of the layout");
            }
            values.push_back(*value);
        }
        const std::size_t used = f * layout.width;
        if (text.size() > used && !trim(text.substr(used)).empty()) {
            fail_at_line(file, lines.number(),
                         f < layout.per_line
                             ? "more than the " + std::to_string(count) + " values the block states"
                             : std::string("more than the layout's fields "
                                           "on the line"));
        }
    }
    return values;
}

}  // namespace wavespec::formats
