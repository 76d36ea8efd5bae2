// The one reader of the tool's own CSV tables for plot DIR: a header, then rows of as many
// fields as the table has columns, numbers but for a column of words the table may name.
// Blank lines may end the file and nothing else. A fault throws ReadError naming its line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::plot {

struct TableForm {
    std::string_view first_column;  // the header's first field, blanks around it aside
    // Fields of the header and of every row; 0: rows of as many as the header has.
    std::size_t columns = 0;
    std::size_t fewest_columns = 1;  // with columns 0: the fewest the header may have
    // The dialogue's files (amp3.csv, the output waveform): names at a fixed width, which may
    // hold commas, so the header is not counted; a comma may end each row; numbers as
    // parse_field reads them (run_files.hpp), asterisks giving NaN. Otherwise every number is
    // finite and taken whole.
    bool formatted = false;
    std::optional<std::size_t> text_column = std::nullopt;  // counted from 0
};

struct CsvTable {
    std::string header_line;          // as it stands, without its line end
    std::vector<std::string> header;  // its fields; empty for a formatted table
    // By column, a number a row; the text column's vector stays empty.
    std::vector<std::vector<double>> numbers;
    std::vector<std::string> words;  // the text column's fields, a row each
    std::vector<std::size_t> lines;  // each row's line in the file, for the caller's checks
    std::size_t rows() const { return lines.size(); }
};

// At least one row, or ReadError.
CsvTable read_csv_table(std::string_view text, const TableForm& form);

// The whole field, blanks aside, as a finite number; false for anything else.
bool whole_finite_number(std::string_view field, double& value);

}  // namespace wavespec::plot
