#include "plot/smoothing_tables.hpp"

#include <charconv>

#include "plot/csv_table.hpp"
#include "plot/run_files.hpp"
#include "records/number_chars.hpp"
#include "records/text_lines.hpp"

namespace wavespec::plot {
namespace {

// The lines of the text without their ends (a CR before the LF is dropped too).
std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    TextLines cursor(text);
    while (auto line = cursor.next()) lines.push_back(*line);
    return lines;
}

}  // namespace

SmoothedTable read_smoothed_spectra(std::string_view text) {
    CsvTable csv = read_csv_table(text, {.first_column = "frequency(Hz)", .columns = 5});
    SmoothedTable t;
    for (std::size_t c = 0; c < 3; ++c) t.names[c] = csv.header[c + 1];
    t.frequency = std::move(csv.numbers[0]);
    for (std::size_t c = 0; c < 3; ++c) t.smoothed[c] = std::move(csv.numbers[c + 1]);
    return t;
}

HvTable read_hv_curves(std::string_view text) {
    // frequency, mean, sigma_ln, mean*sigma_A, mean/sigma_A, then a column a window.
    constexpr std::size_t kCurves = 5;
    CsvTable csv =
        read_csv_table(text, {.first_column = "frequency(Hz)", .fewest_columns = kCurves});
    if (csv.header[1] != "mean") {
        throw ReadError(1, "header does not start with 'frequency(Hz),mean,'");
    }
    HvTable t;
    t.frequency = std::move(csv.numbers[0]);
    t.mean = std::move(csv.numbers[1]);
    t.upper = std::move(csv.numbers[3]);
    t.lower = std::move(csv.numbers[4]);
    for (std::size_t w = kCurves; w < csv.header.size(); ++w) {
        t.rejected.push_back(csv.header[w].ends_with("(rejected)"));
        t.windows.push_back(std::move(csv.numbers[w]));
    }
    return t;
}

namespace {

// The number that follows `label` in line, up to the next blank or comma.
std::optional<double> number_after(std::string_view line, std::string_view label) {
    const std::size_t at = line.find(label);
    if (at == std::string_view::npos) return std::nullopt;
    const char* first = line.data() + at + label.size();
    double v = 0.0;
    auto [end, error] = read_chars(first, line.data() + line.size(), v);
    if (error != std::errc() || end == first) return std::nullopt;
    return v;
}

}  // namespace

std::optional<HvSummary> read_hv_summary(std::string_view text) {
    std::optional<HvSummary> summary;
    std::string settings;
    double spread = 0.0;
    for (std::string_view line : lines_of(text)) {
        constexpr std::string_view kSettings = "H/V of ambient noise: ";
        if (line.starts_with(kSettings)) settings = std::string(line.substr(kSettings.size()));
        if (line.starts_with("f0 = ")) {
            auto f0 = number_after(line, "f0 = "), a0 = number_after(line, "A0 = ");
            if (f0 && a0) summary = HvSummary{{}, *f0, *a0, 0.0};
        }
        if (line.starts_with("window peak frequencies: ")) {
            spread = number_after(line, "standard deviation ").value_or(0.0);
        }
    }
    if (summary) {
        summary->settings = std::move(settings);
        summary->f0_spread = spread;
    }
    return summary;
}

}  // namespace wavespec::plot
