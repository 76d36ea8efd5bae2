#include "plot/processing_tables.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "plot/run_files.hpp"
#include "records/csv_fields.hpp"
#include "records/number_chars.hpp"
#include "records/text_lines.hpp"

namespace wavespec::plot {
namespace {

// The whole field as a finite number; these files hold no other.
bool whole_number(std::string_view field, double& value) {
    field = trim(field);
    const char* end = field.data() + field.size();
    auto [ptr, ec] = read_chars(field.data(), end, value);
    return ec == std::errc{} && ptr == end && !field.empty() && std::isfinite(value);
}

// The number that follows `before` in line, up to the next blank; nullopt when absent.
std::optional<double> number_after(std::string_view line, std::string_view before) {
    const std::size_t at = line.find(before);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view rest = line.substr(at + before.size());
    rest = rest.substr(0, rest.find_first_of(" ,"));
    double value = 0.0;
    if (!whole_number(rest, value)) return std::nullopt;
    return value;
}

std::int64_t count_after(std::string_view line, std::string_view before, std::size_t number) {
    auto value = number_after(line, before);
    if (!value || *value < 0 || *value != std::floor(*value) || *value > 9e15) {
        throw ReadError(number, "cannot read the count after '" + std::string(before) + "'");
    }
    return static_cast<std::int64_t>(*value);
}

}  // namespace

NumberTable read_number_table(std::string_view text, std::string_view first_column,
                              std::size_t value_columns) {
    TextLines lines(text);
    std::optional<std::string_view> line = lines.next();
    if (!line || trim(*line).empty()) throw ReadError(0, "empty file");
    auto header = csv_fields(*line);
    if (!header || header->empty() || trim(header->front()) != first_column) {
        throw ReadError(1, "header does not start with '" + std::string(first_column) + "'");
    }
    if (header->size() != value_columns + 1) {
        throw ReadError(1, "expected " + std::to_string(value_columns + 1) + " columns");
    }
    NumberTable table;
    table.columns.assign(header->begin() + 1, header->end());
    table.values.resize(value_columns);
    while ((line = lines.next())) {
        const auto number = static_cast<std::size_t>(lines.number());
        if (trim(*line).empty()) {
            while (auto more = lines.next()) {
                if (!trim(*more).empty()) throw ReadError(number, "row after an empty line");
            }
            break;
        }
        auto fields = csv_fields(*line);
        if (!fields || fields->size() != value_columns + 1) {
            throw ReadError(number, "expected " + std::to_string(value_columns + 1) + " fields");
        }
        for (std::size_t i = 0; i < fields->size(); ++i) {
            double v = 0.0;
            if (!whole_number((*fields)[i], v)) {
                throw ReadError(number, "cannot read field " + std::to_string(i + 1) + " '" +
                                            std::string(trim((*fields)[i]).substr(0, 40)) + "'");
            }
            (i == 0 ? table.abscissa : table.values[i - 1]).push_back(v);
        }
    }
    if (table.abscissa.empty()) throw ReadError(0, "no rows after the header");
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
            summary.snr_threshold = number_after(*line, "--snr-threshold=");
        } else if (line->starts_with("samples: ")) {
            summary.record_samples = count_after(*line, "samples: ", number);
            summary.pad_before = count_after(*line, "of the record, ", number);
            samples_seen = true;
        } else if (line->starts_with("component ") && line->size() > 10 && (*line)[10] >= '1' &&
                   (*line)[10] <= '3') {
            auto& corners = summary.corners[static_cast<std::size_t>((*line)[10] - '1')];
            if (auto high = number_after(*line, "high-pass ")) corners[0] = *high;
            if (auto low = number_after(*line, "low-pass ")) corners[1] = *low;
        }
    }
    if (!samples_seen) throw ReadError(0, "no 'samples:' line");
    return summary;
}

}  // namespace wavespec::plot
