// Readers of the processing files a run leaves behind, for drawing them afterwards:
// processed.csv, snr.csv and processing.txt. They read text already in memory and throw
// ReadError (plot/run_files.hpp) naming the line of the first fault.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::plot {

// A CSV file of numbers: the header's fields after the first column, then rows of as many
// numbers as the header has fields.
struct NumberTable {
    std::vector<std::string> columns;  // the header's fields after the first
    std::vector<double> abscissa;
    std::vector<std::vector<double>> values;  // one vector a column, as columns
};
// first_column: what the header's first field must be ("time(s)", "frequency(Hz)").
NumberTable read_number_table(std::string_view text, std::string_view first_column,
                              std::size_t value_columns);

// From processing.txt: the pads before the record and its own samples, the SNR threshold of
// the steps line (when there is one) and each component's corners (NaN where it has none).
struct ProcessingSummary {
    std::int64_t pad_before = 0, record_samples = 0;
    std::optional<double> snr_threshold;
    std::array<std::array<double, 2>, 3> corners{};
};
ProcessingSummary read_processing_summary(std::string_view text);

}  // namespace wavespec::plot
