#include "plot/smoothing_tables.hpp"

#include <charconv>

#include "plot/run_files.hpp"
#include "records/csv_fields.hpp"
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

// The numbers of one row, exactly count of them.
std::vector<double> numbers_of(std::string_view line, std::size_t row, std::size_t count) {
    std::vector<std::string_view> fields = split_at_commas(line);
    if (fields.size() != count) {
        throw ReadError(row, "expected " + std::to_string(count) + " values separated by commas");
    }
    std::vector<double> values;
    for (std::string_view f : fields) {
        double v = 0.0;
        auto [end, error] = read_chars(f.data(), f.data() + f.size(), v);
        if (error != std::errc() || end != f.data() + f.size() || f.empty()) {
            throw ReadError(row, "unreadable value '" + std::string(f) + "'");
        }
        values.push_back(v);
    }
    return values;
}

std::vector<std::string_view> checked_lines(std::string_view text, std::string_view header) {
    std::vector<std::string_view> lines = lines_of(text);
    if (lines.empty() || !lines[0].starts_with(header)) {
        throw ReadError(1, "expected a header beginning " + std::string(header));
    }
    if (lines.size() < 2) throw ReadError(0, "no rows");
    return lines;
}

}  // namespace

SmoothedTable read_smoothed_spectra(std::string_view text) {
    std::vector<std::string_view> lines = checked_lines(text, "frequency(Hz),");
    std::optional<std::vector<std::string>> header = csv_fields(lines[0]);
    if (!header || header->size() != 5) throw ReadError(1, "expected five columns");
    SmoothedTable t;
    for (std::size_t c = 0; c < 3; ++c) t.names[c] = (*header)[c + 1];
    for (std::size_t r = 1; r < lines.size(); ++r) {
        if (lines[r].empty() && r + 1 == lines.size()) break;
        std::vector<double> v = numbers_of(lines[r], r + 1, 5);
        t.frequency.push_back(v[0]);
        for (std::size_t c = 0; c < 3; ++c) t.smoothed[c].push_back(v[c + 1]);
    }
    return t;
}

HvTable read_hv_curves(std::string_view text) {
    std::vector<std::string_view> lines = checked_lines(text, "frequency(Hz),mean,");
    std::optional<std::vector<std::string>> header = csv_fields(lines[0]);
    if (!header || header->size() < 5) throw ReadError(1, "expected at least five columns");
    std::size_t columns = header->size();
    HvTable t;
    t.windows.resize(columns - 5);
    for (std::size_t w = 5; w < columns; ++w)
        t.rejected.push_back((*header)[w].ends_with("(rejected)"));
    for (std::size_t r = 1; r < lines.size(); ++r) {
        if (lines[r].empty() && r + 1 == lines.size()) break;
        std::vector<double> v = numbers_of(lines[r], r + 1, columns);
        t.frequency.push_back(v[0]);
        t.mean.push_back(v[1]);
        t.upper.push_back(v[3]);
        t.lower.push_back(v[4]);
        for (std::size_t w = 5; w < columns; ++w) t.windows[w - 5].push_back(v[w]);
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
