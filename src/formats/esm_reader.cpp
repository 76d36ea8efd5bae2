#include "formats/esm_reader.hpp"

#include <charconv>
#include <cmath>
#include <map>

#include "formats/calendar.hpp"
#include "formats/channel_codes.hpp"
#include "formats/physical_units.hpp"

namespace wavespec::formats {
namespace {

struct HeaderField {
    std::string_view value;
    std::int64_t line = 0;
};

struct Header {
    std::map<std::string_view, HeaderField> fields;
    std::int64_t last_line = 0;  // the header's last line
};

bool is_number_line(std::string_view line) {
    auto words = split_words(line);
    return !words.empty() && parse_real_token(words.front()).has_value();
}

// The "KEY: value" lines up to the first line of values.
Header read_header(std::string_view file, TextLines& lines, std::string_view& first_data) {
    Header header;
    while (auto line = lines.next()) {
        if (is_number_line(*line)) {
            first_data = *line;
            return header;
        }
        header.last_line = lines.number();
        if (trim(*line).empty()) continue;
        std::size_t colon = line->find(':');
        if (colon == std::string_view::npos) {
            fail_at_line(file, lines.number(),
                         "neither a KEY: value line of the header nor a value");
        }
        header.fields[trim(line->substr(0, colon))] = {trim(line->substr(colon + 1)),
                                                       lines.number()};
    }
    first_data = {};
    return header;
}

const HeaderField& required(std::string_view file, const Header& header, std::string_view key) {
    auto it = header.fields.find(key);
    if (it == header.fields.end()) {
        fail_at_line(file, header.last_line, "the header has no " + std::string(key) + " line");
    }
    return it->second;
}

std::string_view optional_text(const Header& header, std::string_view key) {
    auto it = header.fields.find(key);
    return it == header.fields.end() ? std::string_view() : it->second.value;
}

// A number of the header; nothing where the line is absent or blank; fails when unreadable.
std::optional<double> optional_number(std::string_view file, const Header& header,
                                      std::string_view key) {
    auto it = header.fields.find(key);
    if (it == header.fields.end() || it->second.value.empty()) return std::nullopt;
    auto value = parse_real_token(it->second.value);
    if (!value) {
        fail_at_line(file, it->second.line,
                     std::string(key) + " " + quoted(it->second.value) + " is not a number");
    }
    return value;
}

// "20161030_064004.000" (fraction optional): the first sample's time in UTC.
std::optional<std::int64_t> start_time(std::string_view file, const HeaderField& field) {
    std::string_view text = field.value;
    if (text.empty()) return std::nullopt;
    auto digits = [&](std::size_t at, std::size_t count) -> std::optional<int> {
        int value = 0;
        if (at + count > text.size()) return std::nullopt;
        for (std::size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    auto year = digits(0, 4), month = digits(4, 2), day = digits(6, 2);
    auto hour = digits(9, 2), minute = digits(11, 2), second = digits(13, 2);
    std::int64_t microsecond = 0;
    bool fraction_ok = text.size() == 15;
    if (text.size() > 16 && text[15] == '.') {
        std::int64_t scale = 100000;
        fraction_ok = true;
        for (char c : text.substr(16)) {
            if (c < '0' || c > '9') fraction_ok = false;
            microsecond += (c - '0') * scale;
            scale /= 10;
        }
    }
    std::optional<std::int64_t> us;
    if (year && month && day && hour && minute && second && text[8] == '_' && fraction_ok) {
        us = utc_microseconds({*year, *month, *day, *hour, *minute, *second, microsecond});
    }
    if (!us) {
        fail_at_line(file, field.line,
                     "DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS " + quoted(text) +
                         " is not a time like 20161030_064004.000");
    }
    return us;
}

void add_stated(std::string_view file, const Header& header, FileTrace& trace,
                std::string_view value_key, std::string_view time_key, Quantity quantity) {
    auto value = optional_number(file, header, value_key);
    if (!value) return;
    trace.stated.push_back({trace.component, std::string(quantity_name(quantity)), *value,
                            optional_number(file, header, time_key),
                            std::string(quantity_units(quantity))});
}

}  // namespace

std::string EsmIdentity::set_key() const {
    return network + "." + station + "." + location + "." + stream.substr(0, 2);
}

bool looks_like_esm(std::string_view bytes) {
    return bytes.starts_with("EVENT_NAME:") &&
           bytes.find("\nSAMPLING_INTERVAL_S:") != std::string_view::npos;
}

EsmIdentity read_esm_identity(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::string_view first_data;
    Header header = read_header(file, lines, first_data);
    return {std::string(required(file, header, "NETWORK").value),
            std::string(required(file, header, "STATION_CODE").value),
            std::string(optional_text(header, "LOCATION")),
            std::string(required(file, header, "STREAM").value)};
}

FileTrace read_esm(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::string_view first_data;
    Header header = read_header(file, lines, first_data);
    FileTrace trace;
    trace.format = "esm";
    trace.network = std::string(required(file, header, "NETWORK").value);
    trace.station = std::string(required(file, header, "STATION_CODE").value);
    trace.location = std::string(optional_text(header, "LOCATION"));
    const HeaderField& stream = required(file, header, "STREAM");
    trace.code = std::string(stream.value);
    trace.component = plain_word(stream.value, "ESM");
    if (auto orientation = seed_orientation(stream.value)) {
        trace.azimuth = orientation->azimuth;
        trace.dip = orientation->dip;
    }
    const HeaderField& interval = required(file, header, "SAMPLING_INTERVAL_S");
    auto dt = parse_real_token(interval.value);
    if (!dt || !(*dt > 0.0)) {
        fail_at_line(file, interval.line,
                     "SAMPLING_INTERVAL_S " + quoted(interval.value) + " is not a positive number");
    }
    trace.dt = *dt;
    const HeaderField& units_field = required(file, header, "UNITS");
    auto units = physical_units_named(units_field.value);
    if (!units) {
        fail_at_line(file, units_field.line,
                     "UNITS " + quoted(units_field.value) +
                         " is not a unit of acceleration, "
                         "velocity or displacement (cm/s^2, m/s^2, g, cm/s, m/s, cm, m, ...)");
    }
    trace.quantity = units->quantity;
    trace.units = std::string(quantity_units(units->quantity));
    const HeaderField& count_field = required(file, header, "NDATA");
    std::int64_t count = 0;
    auto [end, error] = std::from_chars(count_field.value.data(),
                                        count_field.value.data() + count_field.value.size(), count);
    if (error != std::errc() || end != count_field.value.data() + count_field.value.size() ||
        count < 1) {
        fail_at_line(file, count_field.line,
                     "NDATA " + quoted(count_field.value) + " is not a positive count");
    }
    check_count_and_duration(file, count_field.line, count, trace.dt,
                             optional_number(file, header, "DURATION_S"), "DURATION_S");
    trace.start_us =
        start_time(file, required(file, header, "DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS"));
    add_stated(file, header, trace, "PGA_CM/S^2", "TIME_PGA_S", Quantity::acceleration);
    add_stated(file, header, trace, "PGV_CM/S", "TIME_PGV_S", Quantity::velocity);
    add_stated(file, header, trace, "PGD_CM", "TIME_PGD_S", Quantity::displacement);
    auto highpass = optional_number(file, header, "LOW_CUT_FREQUENCY_HZ");
    auto lowpass = optional_number(file, header, "HIGH_CUT_FREQUENCY_HZ");
    if (highpass || lowpass) trace.filter = FilterCorners{highpass, lowpass};

    const auto expected = static_cast<std::size_t>(count);
    trace.samples.reserve(std::min<std::size_t>(expected, bytes.size() / 2 + 1));
    std::int64_t line_number = header.last_line + 1;
    std::string_view line = first_data;
    for (bool more = !first_data.empty(); more;) {
        Words words(line);
        while (auto word = words.next()) {
            auto value = parse_real_token(*word);
            if (!value) fail_at_line(file, line_number, quoted(*word) + " is not a number");
            if (trace.samples.size() == expected) {
                fail_at_line(file, line_number, "more values than NDATA " + std::to_string(count));
            }
            trace.samples.push_back(*value * units->factor);
            if (!std::isfinite(trace.samples.back())) {
                fail_at_line(file, line_number, quoted(*word) + " converted is not finite");
            }
        }
        auto next = lines.next();
        more = next.has_value();
        if (more) {
            line = *next;
            line_number = lines.number();
        }
    }
    if (trace.samples.size() < expected) {
        fail_at_line(file, line_number,
                     "the file ends after " + std::to_string(trace.samples.size()) +
                         " values; NDATA is " + std::to_string(count));
    }
    return trace;
}

}  // namespace wavespec::formats
