#include "plot/run_files.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "plot/csv_table.hpp"
#include "records/csv_fields.hpp"
#include "records/number_chars.hpp"
#include "records/text_lines.hpp"

namespace wavespec::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kNameWidth = 20;

// The three names after the header's first column. The tool writes each name at its full
// 20 characters, so a name holding a comma is still found by its columns.
std::array<std::string, 3> header_names(std::string_view names) {
    std::array<std::string, 3> result;
    if (names.size() == 3 * kNameWidth + 2 && names[kNameWidth] == ',' &&
        names[2 * kNameWidth + 1] == ',') {
        for (std::size_t c = 0; c < 3; ++c) {
            result[c] = std::string(trim(names.substr(c * (kNameWidth + 1), kNameWidth)));
        }
        return result;
    }
    // The full layout's header: fields as CSV writes them, a name with a comma quoted.
    std::optional<std::vector<std::string>> fields = csv_fields(names);
    if (!fields || fields->size() != 3) throw ReadError(1, "expected three names in the header");
    for (std::size_t c = 0; c < 3; ++c) result[c] = std::string(trim((*fields)[c]));
    return result;
}

// The header after its first column and that column's comma.
std::string_view header_rest(std::string_view line) {
    return line.substr(line.find(',') + 1);
}

// Gives rows whose abscissa could not be read (NaN) the value of the straight line through
// the first and the last readable ones: the rows are evenly spaced.
void fill_abscissa(std::vector<double>& a) {
    std::size_t first = a.size(), last = a.size();
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (std::isnan(a[k])) continue;
        if (first == a.size()) first = k;
        last = k;
    }
    if (first == a.size() || first == last) return;
    double step = (a[last] - a[first]) / static_cast<double>(last - first);
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (std::isnan(a[k])) {
            a[k] = a[first] + step * (static_cast<double>(k) - static_cast<double>(first));
        }
    }
}

Table read_table(std::string_view text, std::string_view first_column) {
    CsvTable csv =
        read_csv_table(text, {.first_column = first_column, .columns = 4, .formatted = true});
    Table table;
    table.names = header_names(header_rest(csv.header_line));
    table.abscissa = std::move(csv.numbers[0]);
    for (std::size_t c = 0; c < 3; ++c) table.values[c] = std::move(csv.numbers[c + 1]);
    fill_abscissa(table.abscissa);
    return table;
}

}  // namespace

bool parse_field(std::string_view field, double& value) {
    field = trim(field);
    if (field.empty()) return false;
    if (field.find_first_not_of('*') == std::string_view::npos) {
        value = kNaN;
        return true;
    }
    if (field.front() == '+') field.remove_prefix(1);
    const char* end = field.data() + field.size();
    auto [ptr, ec] = read_chars(field.data(), end, value);
    if (ec == std::errc::result_out_of_range) {
        value = kNaN;  // beyond double's range: nothing to draw
        return true;
    }
    if (ec != std::errc{}) return false;
    if (ptr == end) return true;
    // A three-digit exponent is written as a sign and digits with the letter E left out.
    std::string_view exponent(ptr, static_cast<std::size_t>(end - ptr));
    if (exponent.size() < 2 || (exponent[0] != '+' && exponent[0] != '-')) return false;
    int power = 0;
    auto e = std::from_chars(exponent.data() + 1, end, power);
    if (e.ec != std::errc{} || e.ptr != end || power > 400) return false;
    value *= std::pow(10.0, exponent[0] == '-' ? -power : power);
    return true;
}

Table read_amplitude_spectra(std::string_view text) {
    return read_table(text, "frequency(Hz)");
}

Table read_output_waveform(std::string_view text) {
    return read_table(text, "time(s)");
}

bool is_output_waveform_header(std::string_view text) {
    return trim(text.substr(0, text.find('\n'))).starts_with("time(s),");
}

}  // namespace wavespec::plot
