#include "cli/flatfile_table.hpp"

#include <cmath>
#include <span>
#include <string_view>

#include "plot/processing_tables.hpp"
#include "plot/run_files.hpp"
#include "records/number_chars.hpp"
#include "records/shortest_text.hpp"
#include "records/whole_file.hpp"

namespace wavespec::cli {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> split_fields(std::string_view line, char separator) {
    std::vector<std::string> fields;
    for (std::size_t from = 0;;) {
        std::size_t at = line.find(separator, from);
        fields.emplace_back(line.substr(from, at == std::string_view::npos ? at : at - from));
        if (at == std::string_view::npos) return fields;
        from = at + 1;
    }
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines = split_fields(text, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

// A number's shortest round-trip text; nothing for a field that is no finite number.
std::optional<std::string> number_text(const std::string& field) {
    const std::optional<double> value = read_finite(field);
    if (!value) return std::nullopt;
    return shortest_text(*value);
}

bool run_wrote(const json::Value& run, std::string_view name) {
    const json::Value* outputs = run.find("outputs");
    if (outputs == nullptr) return false;
    for (const json::Value& file : outputs->items) {
        const json::Value* listed = file.find("name");
        if (listed != nullptr && listed->text == name) return true;
    }
    return false;
}

std::string place(const fs::path& file, std::size_t line) {
    return file.generic_string() + ": line " + std::to_string(line + 1) + ": ";
}

std::optional<std::string> read_measures(RunTable& table) {
    fs::path file = table.directory / "measures.csv";
    std::string text;
    if (auto why = read_whole_file(file.string(), text)) return file.generic_string() + ": " + *why;
    std::vector<std::string> lines = lines_of(text);
    if (lines.size() != 4) return file.generic_string() + ": not a header and three components";
    for (std::size_t c = 0; c < 3; ++c) {
        std::vector<std::string> fields = split_fields(lines[c + 1], ',');
        if (fields.size() != kMeasureCount + 1) return place(file, c + 1) + "not 8 fields";
        for (std::size_t m = 0; m < kMeasureCount; ++m) {
            auto number = number_text(fields[m + 1]);
            if (!number) return place(file, c + 1) + "'" + fields[m + 1] + "' is not a number";
            table.measures[c].push_back(*number);
        }
    }
    return std::nullopt;
}

std::optional<std::string> read_response(RunTable& table) {
    fs::path file = table.directory / "response.csv";
    std::string text;
    if (auto why = read_whole_file(file.string(), text)) return file.generic_string() + ": " + *why;
    std::vector<std::string> lines = lines_of(text);
    constexpr std::size_t kPsa = 7, kFields = 8, kRows = kFlatfileComponents.size();
    if (lines.empty() || (lines.size() - 1) % kRows != 0) {
        return file.generic_string() + ": not a header and 8 rows for each damping and period";
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> fields = split_fields(lines[i], ',');
        if (fields.size() != kFields) return place(file, i) + "not 8 fields";
        std::size_t row = (i - 1) % kRows;
        if (row >= 3 && fields[2] != kFlatfileComponents[row]) {
            return place(file, i) + "'" + fields[2] + "' where " + kFlatfileComponents[row] +
                   " belongs";
        }
        auto damping = number_text(fields[0]), period = number_text(fields[1]);
        auto psa = number_text(fields[kPsa]);
        if (!damping || !period || !psa) return place(file, i) + "a field is not a number";
        auto [at, fresh] = table.psa.try_emplace({*damping, *period});
        if (fresh != (row == 0)) return place(file, i) + "the rows of a period are not together";
        at->second[row] = *psa;
        if (row != 0) continue;
        if (table.dampings.empty() || table.dampings.back() != *damping) {
            table.dampings.push_back(*damping);
        }
        if (table.dampings.size() == 1) table.periods.push_back(*period);
    }
    // Every damping has the first damping's periods.
    if (table.psa.size() != table.dampings.size() * table.periods.size()) {
        return file.generic_string() + ": the dampings do not share one set of periods";
    }
    return std::nullopt;
}

// Each component's corners, by the reader plot uses to redraw processing.txt's pictures.
std::optional<std::string> read_processing(RunTable& table) {
    fs::path file = table.directory / "processing.txt";
    std::string text;
    if (auto why = read_whole_file(file.string(), text)) return file.generic_string() + ": " + *why;
    try {
        plot::ProcessingSummary summary = plot::read_processing_summary(text);
        for (std::size_t c = 0; c < 3; ++c) {
            const std::array<double, 2>& corners = summary.corners[c];
            table.highpass[c] = std::isnan(corners[0]) ? "" : shortest_text(corners[0]);
            table.lowpass[c] = std::isnan(corners[1]) ? "" : shortest_text(corners[1]);
        }
    } catch (const plot::ReadError& error) {
        return (error.line() > 0 ? place(file, error.line() - 1) : file.generic_string() + ": ") +
               error.what();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> read_run_table(RunTable& table) {
    if (run_wrote(table.run, "processing.txt")) {
        if (auto why = read_processing(table)) return why;
    }
    if (run_wrote(table.run, "measures.csv")) {
        if (auto why = read_measures(table)) return why;
    }
    if (run_wrote(table.run, "response.csv")) {
        if (auto why = read_response(table)) return why;
    }
    return std::nullopt;
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace wavespec::cli
