#include "plot/processing_tables.hpp"

#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

#include "plot/csv_table.hpp"
#include "plot/run_files.hpp"
#include "records/number_chars.hpp"
#include "records/text_lines.hpp"

namespace wavespec::plot {
namespace {

// The number that follows `before` in line, up to the next blank; nullopt when absent.
std::optional<double> whole_number_after(std::string_view line, std::string_view before) {
    const std::size_t at = line.find(before);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = line.substr(at + before.size());
    rest = rest.substr(0, rest.find_first_of(" ,"));
    double value = 0.0;
    if (!whole_finite_number(rest, value)) return std::nullopt;
    return value;
}

std::int64_t count_after(std::string_view line, std::string_view before, std::size_t number) {
    auto value = whole_number_after(line, before);
    if (!value || *value < 0 || *value != std::floor(*value) || *value > 9e15) {
        throw ReadError(number, "cannot read the count after '" + std::string(before) + "'");
    }
    return static_cast<std::int64_t>(*value);
}

}  // namespace

NumberTable read_number_table(std::string_view text, std::string_view first_column,
                              std::size_t value_columns) {
    CsvTable csv =
        read_csv_table(text, {.first_column = first_column, .columns = value_columns + 1});
    NumberTable table;
    table.columns.assign(csv.header.begin() + 1, csv.header.end());
    table.abscissa = std::move(csv.numbers[0]);
    table.values.assign(std::make_move_iterator(csv.numbers.begin() + 1),
                        std::make_move_iterator(csv.numbers.end()));
    return table;
}

ProcessingSummary read_processing_summary(std::string_view text) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    ProcessingSummary summary;
    for (auto& c : summary.corners) c = {kNaN, kNaN};
    bool samples_seen = false;
    TextLines lines(text);
    while (auto line = lines.next()) {
        const auto number = static_cast<std::size_t>(lines.number());
        if (line->starts_with("steps: ")) {
            summary.snr_threshold = whole_number_after(*line, "--snr-threshold=");
        } else if (line->starts_with("samples: ")) {
            summary.record_samples = count_after(*line, "samples: ", number);
            summary.pad_before = count_after(*line, "of the record, ", number);
            samples_seen = true;
        } else if (line->starts_with("component ") && line->size() > 10 && (*line)[10] >= '1' &&
                   (*line)[10] <= '3') {
            auto& corners = summary.corners[static_cast<std::size_t>((*line)[10] - '1')];
            if (auto high = whole_number_after(*line, "high-pass ")) corners[0] = *high;
            if (auto low = whole_number_after(*line, "low-pass ")) corners[1] = *low;
        }
    }
    if (!samples_seen) throw ReadError(0, "no 'samples:' line");
    return summary;
}

}  // namespace wavespec::plot
