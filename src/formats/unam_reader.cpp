// UNAM ASA 2.0 (Mexico) text files: "KEY: value" header lines, then rows of three channels.
#include <charconv>
#include <cmath>
#include <map>

#include "formats/agency_text.hpp"
#include "formats/calendar.hpp"
#include "formats/national_readers.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

constexpr std::int64_t kMarkerLine = 7;
constexpr std::string_view kMarker = "ARCHIVO ESTANDAR DE ACELERACION";

struct Field {
    std::string_view value;
    std::int64_t line = 0;
};

bool is_number_row(std::string_view line) {
    Words words(line);
    bool any = false;
    while (auto word = words.next()) {
        if (!parse_real_token(*word)) return false;
        any = true;
    }
    return any;
}

// The field whose key begins with `key` (blanks as written); fails where there is none.
const Field& field_of(std::string_view file, const std::map<std::string, Field>& fields,
                      std::string_view key, std::int64_t header_end) {
    for (const auto& [name, field] : fields) {
        if (name.starts_with(key)) return field;
    }
    fail_at_line(file, header_end, "the header has no " + quoted(key) + " line");
}

// "/0.01/0.01/0.01": the first three channels' values, blanks trimmed.
std::array<std::string_view, 3> channels_of(std::string_view file, const Field& field,
                                            std::string_view what) {
    std::vector<std::string_view> parts;
    std::string_view rest = field.value;
    if (rest.starts_with('/')) rest.remove_prefix(1);
    for (;;) {
        std::size_t slash = rest.find('/');
        parts.push_back(trim(rest.substr(0, slash)));
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    if (parts.size() != 3) {
        fail_at_line(file, field.line,
                     std::string(what) + " gives " + std::to_string(parts.size()) +
                         " channels; a record of this file takes 3");
    }
    return {parts[0], parts[1], parts[2]};
}

// "hh:mm:ss" or "hh:mm:ss.s" as microseconds of the day.
std::optional<std::int64_t> clock_us(std::string_view text) {
    int hour = 0, minute = 0;
    auto [e1, r1] = std::from_chars(text.data(), text.data() + text.size(), hour);
    if (r1 != std::errc() || e1 == text.data() + text.size() || *e1 != ':') return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(e1 - text.data()) + 1);
    auto [e2, r2] = std::from_chars(text.data(), text.data() + text.size(), minute);
    if (r2 != std::errc() || e2 == text.data() + text.size() || *e2 != ':') return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(e2 - text.data()) + 1);
    auto second = parse_real_token(text);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || !second || *second < 0.0 ||
        *second >= 61.0) {
        return std::nullopt;
    }
    return (hour * 3600LL + minute * 60LL) * 1'000'000LL + std::llround(*second * 1e6);
}

std::int64_t start_of(std::string_view file, const std::map<std::string, Field>& fields,
                      std::int64_t header_end) {
    const Field& date = field_of(file, fields, "FECHA DEL SISMO", header_end);
    const Field& origin = field_of(file, fields, "HORA EPICENTRO", header_end);
    const Field* first = nullptr;
    std::string first_key;
    for (const auto& [name, field] : fields) {
        if (name.starts_with("HORA DE LA PRIMERA MUESTRA")) {
            first = &field;
            first_key = name;
        }
    }
    if (!first)
        fail_at_line(file, header_end, "the header has no 'HORA DE LA PRIMERA MUESTRA' line");
    if (first_key.find("GMT") == std::string::npos) {
        fail_at_line(file, first->line, "the first sample's time is not said to be GMT");
    }
    int year = 0, month = 0, day = 0;
    std::string_view d = date.value;
    bool ok = d.size() == 10 && d[4] == '/' && d[7] == '/';
    ok = ok && std::from_chars(d.data(), d.data() + 4, year).ec == std::errc() &&
         std::from_chars(d.data() + 5, d.data() + 7, month).ec == std::errc() &&
         std::from_chars(d.data() + 8, d.data() + 10, day).ec == std::errc();
    auto midnight = ok ? utc_microseconds({year, month, day, 0, 0, 0, 0}) : std::nullopt;
    if (!midnight) {
        fail_at_line(file, date.line, "the date " + quoted(d) + " is not like 2017/09/19");
    }
    auto origin_us = clock_us(origin.value);
    auto first_us = clock_us(first->value);
    if (!origin_us)
        fail_at_line(file, origin.line, quoted(origin.value) + " is not a time like 18:14:40.0");
    if (!first_us)
        fail_at_line(file, first->line, quoted(first->value) + " is not a time like 18:14:40.0");
    // The date is the origin's: a record that starts before the origin's clock began after
    // midnight.
    constexpr std::int64_t kDay = 86'400'000'000LL;
    return *midnight + *first_us + (*first_us < *origin_us ? kDay : 0);
}

}  // namespace

bool looks_like_unam(std::string_view bytes) {
    TextLines lines(bytes);
    for (std::int64_t i = 0; i < kMarkerLine; ++i) {
        auto line = lines.next();
        if (!line) return false;
        if (i + 1 == kMarkerLine) return contains_ignoring_case(*line, kMarker);
    }
    return false;
}

std::array<FileTrace, 3> read_unam(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::map<std::string, Field> fields;
    std::string last_key;
    TextLines data = lines;
    for (;;) {
        TextLines before = lines;
        auto line = lines.next();
        if (!line) fail_at_line(file, lines.number(), "the file ends before the rows of values");
        if (lines.number() > kMarkerLine && is_number_row(*line)) {
            data = before;
            break;
        }
        std::size_t colon = line->find(':');
        if (colon == std::string_view::npos) continue;
        std::string key(trim(line->substr(0, colon)));
        // A line that continues the key above it ("COORDENADAS DE LA ESTACION" twice).
        if (key.empty()) key = last_key + "$";
        last_key = key;
        fields.emplace(key, Field{trim(line->substr(colon + 1)), lines.number()});
    }
    const std::int64_t header_end = data.number();
    const std::string station(field_of(file, fields, "CLAVE DE LA ESTACION", header_end).value);
    const Field& intervals = field_of(file, fields, "INTERVALO DE MUESTREO", header_end);
    const Field& counts = field_of(file, fields, "NUM. TOTAL DE MUESTRAS", header_end);
    const Field& orientations = field_of(file, fields, "ORIENTACION", header_end);
    auto dts = channels_of(file, intervals, "the sampling interval");
    auto ns = channels_of(file, counts, "the count of samples");
    auto directions = channels_of(file, orientations, "the orientation");
    std::optional<std::array<std::string_view, 3>> durations;
    for (const auto& [name, field] : fields) {
        if (name.starts_with("DURACION DEL REGISTRO")) {
            durations = channels_of(file, field, "the duration");
        }
    }
    std::optional<double> dt;
    std::int64_t count = -1;
    for (std::size_t c = 0; c < 3; ++c) {
        auto value = parse_real_token(dts[c]);
        if (!value || !(*value > 0.0)) {
            fail_at_line(file, intervals.line, "interval " + quoted(dts[c]) + " is not positive");
        }
        if (dt && *value != *dt)
            fail_at_line(file, intervals.line, "the channels' intervals differ");
        dt = value;
        std::int64_t n = 0;
        auto [end, error] = std::from_chars(ns[c].data(), ns[c].data() + ns[c].size(), n);
        if (error != std::errc() || end != ns[c].data() + ns[c].size() || n < 2 ||
            n > 100'000'000) {
            fail_at_line(file, counts.line,
                         "count " + quoted(ns[c]) + " is not a count of samples");
        }
        if (count >= 0 && n != count)
            fail_at_line(file, counts.line, "the channels' counts differ");
        count = n;
        if (durations) {
            check_count_and_duration(file, counts.line, n, *dt, parse_real_token((*durations)[c]),
                                     "DURACION DEL REGISTRO");
        }
    }
    const std::int64_t start_us = start_of(file, fields, header_end);
    lines = data;
    std::vector<std::vector<double>> columns =
        read_number_columns(file, lines, 3, static_cast<std::size_t>(count));
    expect_only_blank_lines(file, lines, "the header's count of rows");
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        FileTrace& trace = traces[c];
        trace.format = "unam";
        trace.network = "MG";
        trace.station = station;
        // "N00E;+" or "V;+": the direction before the sense.
        std::string_view direction = trim(directions[c].substr(0, directions[c].find(';')));
        trace.code = std::string(direction);
        trace.component = plain_word(direction, "UNAM");
        if (ascii_upper(direction).starts_with("V")) {
            trace.azimuth = 0.0;
            trace.dip = -90.0;
        } else if (auto azimuth = compass_azimuth(ascii_upper(direction))) {
            trace.azimuth = *azimuth;
            trace.dip = 0.0;
        }
        trace.dt = *dt;
        trace.quantity = Quantity::acceleration;
        trace.units = "cm/s/s";
        trace.start_us = start_us;
        trace.samples = std::move(columns[c]);
    }
    return traces;
}

}  // namespace wavespec::formats
