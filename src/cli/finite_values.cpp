#include "cli/finite_values.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "records/csv_fields.hpp"
#include "records/shortest_text.hpp"
#include "records/text_lines.hpp"

namespace wavespec::cli {
namespace {

bool reads_non_finite(std::string_view field) {
    if (field.starts_with('-') || field.starts_with('+')) field.remove_prefix(1);
    return field == "nan" || field == "inf";
}

// The words of a line of plain text: between blanks, commas and signs of equality.
std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ' ' || line[i] == ',' || line[i] == '=' ||
            line[i] == '(' || line[i] == ')') {
            if (i > start) words.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return words;
}

}  // namespace

std::optional<std::string> non_finite_sample(const RunState& state) {
    const ZeroedArray<double>* series[] = {&state.xr1, &state.xr2, &state.xr3};
    // A legacy record longer than the arrays is refused by its count later on.
    auto n = std::min(static_cast<std::size_t>(std::max(state.nt, 0)), state.xr1.size());
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            double x = (*series[c])[i];
            if (std::isfinite(x)) continue;
            std::string time = i < state.time.size() ? shortest_text(state.time[i]) : "?";
            return "component " + std::to_string(c + 1) + " (" +
                   std::string(trimmed_name(name_text(state.head[c + 1]))) + "): the sample at " +
                   time + " s (sample " + std::to_string(i + 1) + ") is not finite (" +
                   shortest_text(x) + "); nothing new can be computed from it";
        }
    }
    return std::nullopt;
}

std::string non_finite_message(std::string_view file, std::string_view quantity, std::size_t line,
                               double value) {
    return std::string(file) + ": " + std::string(quantity) + " on line " + std::to_string(line) +
           " is not finite (" + shortest_text(value) + "); the record's files are not written";
}

std::optional<std::string> non_finite_field(std::string_view file, std::string_view text) {
    const bool csv = file.ends_with(".csv");
    TextLines lines(text);
    std::vector<std::string> header;
    while (auto line = lines.next()) {
        auto number = static_cast<std::size_t>(lines.number());
        if (csv && number == 1) {
            header = csv_fields(*line).value_or(std::vector<std::string>{});
            continue;
        }
        std::vector<std::string> fields;
        if (csv) {
            fields = csv_fields(*line).value_or(std::vector<std::string>{});
        } else {
            for (std::string_view word : words_of(*line)) fields.emplace_back(word);
        }
        for (std::size_t i = 0; i < fields.size(); ++i) {
            bool names = csv && i < header.size() && header[i] == "component";
            if (names || !reads_non_finite(fields[i])) continue;
            std::string quantity = csv && i < header.size() ? header[i] : "a value";
            return std::string(file) + ": " + quantity + " on line " + std::to_string(number) +
                   " is not finite (" + fields[i] + "); the record's files are not written";
        }
    }
    return std::nullopt;
}

}  // namespace wavespec::cli
