#include "plot/csv_table.hpp"

#include <charconv>
#include <cmath>

#include "plot/run_files.hpp"
#include "records/csv_fields.hpp"
#include "records/number_chars.hpp"
#include "records/text_lines.hpp"

namespace wavespec::plot {
namespace {

std::string columns_text(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " column" : " columns");
}

// The header's fields, checked against the form; the count of fields every row must have.
std::size_t read_header(std::string_view line, const TableForm& form, CsvTable& table) {
    table.header_line = std::string(line);
    const std::string_view first = trim(line.substr(0, line.find(',')));
    if (first != form.first_column || line.find(',') == std::string_view::npos) {
        throw ReadError(1, "header does not start with '" + std::string(form.first_column) + ",'");
    }
    if (form.formatted) return form.columns;
    std::optional<std::vector<std::string>> fields = csv_fields(line);
    if (!fields) throw ReadError(1, "unreadable header (unbalanced quotes)");
    if (form.columns != 0 && fields->size() != form.columns) {
        throw ReadError(1, "expected " + columns_text(form.columns) + ", found " +
                               std::to_string(fields->size()));
    }
    if (form.columns == 0 && fields->size() < form.fewest_columns) {
        throw ReadError(1, "expected at least " + columns_text(form.fewest_columns) + ", found " +
                               std::to_string(fields->size()));
    }
    table.header = std::move(*fields);
    return table.header.size();
}

// The fields of a row; a formatted row's closing comma is no field of its own.
std::vector<std::string> row_fields(std::string_view line, std::size_t line_number,
                                    std::size_t columns, const TableForm& form) {
    std::vector<std::string> fields;
    if (form.formatted) {
        for (std::string_view f : split_at_commas(line)) fields.emplace_back(f);
        if (fields.size() == columns + 1 && trim(fields.back()).empty()) fields.pop_back();
    } else {
        std::optional<std::vector<std::string>> read = csv_fields(line);
        if (!read) throw ReadError(line_number, "unreadable row (unbalanced quotes)");
        fields = std::move(*read);
    }
    if (fields.size() != columns) {
        throw ReadError(line_number, "expected " + std::to_string(columns) + " fields, found " +
                                         std::to_string(fields.size()));
    }
    return fields;
}

void read_row(std::string_view line, std::size_t line_number, std::size_t columns,
              const TableForm& form, CsvTable& table) {
    std::vector<std::string> fields = row_fields(line, line_number, columns, form);
    for (std::size_t i = 0; i < columns; ++i) {
        if (form.text_column == i) {
            table.words.push_back(std::move(fields[i]));
            continue;
        }
        double v = 0.0;
        if (!(form.formatted ? parse_field(fields[i], v) : whole_finite_number(fields[i], v))) {
            throw ReadError(line_number, "cannot read field " + std::to_string(i + 1) + " '" +
                                             std::string(trim(fields[i]).substr(0, 40)) + "'");
        }
        table.numbers[i].push_back(v);
    }
    table.lines.push_back(line_number);
}

}  // namespace

CsvTable read_csv_table(std::string_view text, const TableForm& form) {
    TextLines lines(text);
    std::optional<std::string_view> line = lines.next();
    if (!line || trim(*line).empty()) throw ReadError(0, "empty file");
    CsvTable table;
    const std::size_t columns = read_header(*line, form, table);
    table.numbers.resize(columns);
    while ((line = lines.next())) {
        if (trim(*line).empty()) {
            // Only a blank end may follow the rows.
            while (auto more = lines.next()) {
                if (!trim(*more).empty()) {
                    throw ReadError(static_cast<std::size_t>(lines.number()),
                                    "row after an empty line");
                }
            }
            break;
        }
        read_row(*line, static_cast<std::size_t>(lines.number()), columns, form, table);
    }
    if (table.rows() == 0) throw ReadError(0, "no rows after the header");
    return table;
}

bool whole_finite_number(std::string_view field, double& value) {
    field = trim(field);
    const char* end = field.data() + field.size();
    auto [ptr, ec] = read_chars(field.data(), end, value);
    return ec == std::errc{} && ptr == end && !field.empty() && std::isfinite(value);
}

}  // namespace wavespec::plot
