#include "formats/at2_reader.hpp"

#include <cctype>
#include <charconv>
#include <cmath>

#include "formats/record_sets.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

constexpr std::int64_t kAt2CountLine = 4;

struct CountAndInterval {
    std::int64_t count = 0;
    double dt = 0.0;
};

std::optional<std::int64_t> parse_count(std::string_view text) {
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// The text after "KEY=" up to the next comma or blank.
std::string_view value_after(std::string_view line, std::string_view key) {
    std::size_t at = line.find(key);
    if (at == std::string_view::npos) return {};
    std::string_view rest = trim(line.substr(at + key.size()));
    std::size_t end = rest.find_first_of(", \t");
    return rest.substr(0, end);
}

// "NPTS= 5590, DT= .0050 SEC" or "5590 .0050 NPTS, DT".
CountAndInterval parse_count_line(std::string_view file, std::string_view line) {
    std::optional<std::int64_t> count;
    std::optional<double> dt;
    if (line.find("NPTS=") != std::string_view::npos) {
        count = parse_count(value_after(line, "NPTS="));
        dt = parse_real_token(value_after(line, "DT="));
    } else {
        std::vector<std::string_view> words = split_words(line);
        if (words.size() >= 2) {
            std::string_view first = words[0];
            if (first.ends_with(',')) first.remove_suffix(1);
            count = parse_count(first);
            dt = parse_real_token(words[1]);
        }
    }
    if (!count || !dt) {
        fail_at_line(file, kAt2CountLine,
                     "NPTS and DT unreadable in '" + std::string(trim(line)) + "'");
    }
    if (*count < 1)
        fail_at_line(file, kAt2CountLine, "NPTS " + std::to_string(*count) + " is not positive");
    if (!(*dt > 0.0))
        fail_at_line(file, kAt2CountLine, "DT " + shortest_text(*dt) + " is not positive");
    return {*count, *dt};
}

// The file's quantity by its extension: .VT2 velocity, .DT2 displacement, else acceleration.
Quantity quantity_of_file(std::string_view file) {
    std::string name = base_name(file);
    if (name.size() < 4) return Quantity::acceleration;
    std::string extension = ascii_upper(std::string_view(name).substr(name.size() - 4));
    if (extension == ".VT2") return Quantity::velocity;
    if (extension == ".DT2") return Quantity::displacement;
    return Quantity::acceleration;
}

// A component named by its azimuth ("000", "228") points there; UP and DWN are verticals.
void orient(FileTrace& trace) {
    const std::string& name = trace.component;
    std::string upper = ascii_upper(name);
    if (is_vertical_at2_name(name)) {
        trace.azimuth = 0.0;
        trace.dip = upper.find("DWN") != std::string::npos ? 90.0 : -90.0;
        return;
    }
    int degrees = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), degrees);
    if (error == std::errc() && end == name.data() + name.size() && degrees >= 0 &&
        degrees <= 360) {
        trace.azimuth = degrees;
        trace.dip = 0.0;
    }
}

}  // namespace

bool looks_like_at2(std::string_view bytes) {
    TextLines lines(bytes);
    std::optional<std::string_view> line;
    for (int i = 0; i < kAt2CountLine; ++i) {
        line = lines.next();
        if (!line) return false;
    }
    if (line->find("NPTS") == std::string_view::npos ||
        line->find("DT") == std::string_view::npos) {
        return false;
    }
    // Either "NPTS= 5590, DT= .0050 SEC" or "5590 .0050 NPTS, DT": a text header of another
    // format that merely names NPTS and DT on its fourth line is not taken.
    if (line->find("NPTS=") != std::string_view::npos) {
        return parse_count(value_after(*line, "NPTS=")) &&
               parse_real_token(value_after(*line, "DT="));
    }
    std::vector<std::string_view> words = split_words(*line);
    if (words.size() < 2) return false;
    std::string_view first = words[0];
    if (first.ends_with(',')) first.remove_suffix(1);
    return parse_count(first) && parse_real_token(words[1]);
}

FileTrace read_at2(std::string_view file, std::string_view bytes, std::string_view component) {
    TextLines lines(bytes);
    std::optional<std::string_view> line;
    for (std::int64_t i = 1; i <= kAt2CountLine; ++i) {
        line = lines.next();
        if (!line) fail_at_line(file, i, "the file ends inside the four header lines");
    }
    CountAndInterval header = parse_count_line(file, *line);
    FileTrace trace;
    trace.component = std::string(component);
    trace.dt = header.dt;
    const Quantity quantity = quantity_of_file(file);
    static constexpr std::string_view kFormats[] = {"at2", "vt2", "dt2"};
    trace.format = std::string(kFormats[static_cast<int>(quantity)]);
    trace.quantity = quantity;
    trace.units = std::string(quantity_units(quantity));
    trace.code = trace.component;
    orient(trace);
    const double factor = quantity == Quantity::acceleration ? kStandardGravityGal : 1.0;
    const auto expected = static_cast<std::size_t>(header.count);
    while (auto next = lines.next()) {
        Words words(*next);
        while (auto token = words.next()) {
            std::string_view word = *token;
            auto value = parse_real_token(word);
            if (!value) {
                fail_at_line(file, lines.number(), quoted(word) + " is not a finite number");
            }
            if (trace.samples.size() == expected) {
                fail_at_line(file, lines.number(),
                             "more values than NPTS " + std::to_string(header.count));
            }
            trace.samples.push_back(*value * factor);
            if (!std::isfinite(trace.samples.back())) {
                fail_at_line(file, lines.number(), quoted(word) + " in gal is not a finite number");
            }
        }
    }
    if (trace.samples.size() < expected) {
        fail_at_line(file, lines.number(),
                     "the file ends after " + std::to_string(trace.samples.size()) +
                         " values; NPTS is " + std::to_string(header.count));
    }
    return trace;
}

}  // namespace wavespec::formats
