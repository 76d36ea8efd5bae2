// CWA (Taiwan) text files: "#" header lines, then time, U, N, E in four fields of ten columns.
#include <cmath>

#include "formats/agency_text.hpp"
#include "formats/calendar.hpp"
#include "formats/fixed_fields.hpp"
#include "formats/national_readers.hpp"

namespace wavespec::formats {
namespace {

constexpr int kTaiwanMinutesAheadOfUtc = 8 * 60;

struct HeaderLine {
    std::string_view value;
    std::int64_t line = 0;
};

// "2018/02/06-23:50:41.000" on Taiwan's clock, as UTC.
std::int64_t start_of(std::string_view file, const HeaderLine& field) {
    std::string_view t = field.value;
    auto digits = [&](std::size_t at, std::size_t count) -> std::optional<int> {
        if (at + count > t.size()) return std::nullopt;
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (t[i] < '0' || t[i] > '9') return std::nullopt;
            value = value * 10 + (t[i] - '0');
        }
        return value;
    };
    auto year = digits(0, 4), month = digits(5, 2), day = digits(8, 2), hour = digits(11, 2),
         minute = digits(14, 2), second = digits(17, 2);
    std::int64_t microsecond = 0;
    bool ok = t.size() >= 19 && t[4] == '/' && t[7] == '/' && t[10] == '-' && t[13] == ':' &&
              t[16] == ':';
    if (ok && t.size() > 19) {
        ok = t[19] == '.' && t.size() > 20 && t.size() <= 26;
        std::int64_t scale = 100000;
        for (char c : t.substr(std::min<std::size_t>(t.size(), 20))) {
            ok = ok && c >= '0' && c <= '9';
            microsecond += (c - '0') * scale;
            scale /= 10;
        }
    }
    std::optional<std::int64_t> us;
    if (ok && year && month && day && hour && minute && second) {
        us = utc_from_local({*year, *month, *day, *hour, *minute, *second, microsecond},
                            kTaiwanMinutesAheadOfUtc);
    }
    if (!us) {
        fail_at_line(file, field.line,
                     "StartTime " + quoted(t) + " is not a time like 2018/02/06-23:50:41.000");
    }
    return *us;
}

}  // namespace

bool looks_like_cwa(std::string_view bytes) {
    return bytes.starts_with("#Earthquake Information");
}

std::array<FileTrace, 3> read_cwa(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::optional<HeaderLine> station, start, length, rate;
    TextLines data_start = lines;
    while (auto line = lines.next()) {
        if (!line->starts_with('#')) break;
        data_start = lines;
        std::string_view key = trim(line->substr(1, line->find(':') - 1));
        auto value = after_colon(*line);
        if (!value) continue;
        HeaderLine field{*value, lines.number()};
        if (key.starts_with("StationCode")) station = field;
        if (key.starts_with("StartTime")) start = field;
        if (key.starts_with("RecordLength")) length = field;
        if (key.starts_with("SampleRate")) rate = field;
    }
    lines = data_start;
    const std::int64_t header_end = lines.number();
    auto required = [&](const std::optional<HeaderLine>& field, std::string_view key) {
        if (!field || field->value.empty()) {
            fail_at_line(file, header_end, "the header has no #" + std::string(key) + " line");
        }
        return *field;
    };
    const HeaderLine rate_field = required(rate, "SampleRate");
    auto hertz = parse_real_token(rate_field.value);
    if (!hertz || !(*hertz >= 1e-3) || *hertz > 1e6) {
        fail_at_line(
            file, rate_field.line,
            "SampleRate " + quoted(rate_field.value) + " is not a rate of 0.001 to 10^6 Hz");
    }
    const double dt = 1.0 / *hertz;
    // The rows run to the last line that is not blank.
    std::size_t rows = 0, counted = 0;
    for (TextLines scan = lines; auto line = scan.next();) {
        ++counted;
        if (!trim(*line).empty()) rows = counted;
    }
    if (rows < 2) fail_at_line(file, header_end, "fewer than two rows of values");
    std::vector<double> values = read_fixed_values(file, lines, {4, 10, 0, false}, rows * 4);
    // The time column steps by the interval: a row missing or doubled is refused.
    // The first row's time, seconds after StartTime; more than a day is no offset of a record.
    const double t0 = values[0];
    if (!(std::fabs(t0) <= 86400.0)) {
        fail_at_line(
            file, header_end + 1,
            "the first row's time " + shortest_text(t0) + " s is not within a day of StartTime");
    }
    for (std::size_t r = 0; r < rows; ++r) {
        if (!(std::fabs(values[4 * r] - t0 - static_cast<double>(r) * dt) <= 0.5 * dt)) {
            fail_at_line(file, header_end + 1 + static_cast<std::int64_t>(r),
                         "the time " + shortest_text(values[4 * r]) + " s is not row " +
                             std::to_string(r + 1) + "'s at " + shortest_text(*hertz) + " Hz");
        }
    }
    if (length) {
        check_count_and_duration(file, length->line, static_cast<std::int64_t>(rows), dt,
                                 parse_real_token(length->value), "RecordLength");
    }
    const std::int64_t start_us = start_of(file, required(start, "StartTime"));
    const std::string code = std::string(required(station, "StationCode").value);
    // Columns U, N, E after the time; given back N, E, U.
    static constexpr std::array<std::pair<const char*, std::size_t>, 3> kColumns = {
        {{"N", 2}, {"E", 3}, {"U", 1}}};
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        FileTrace& trace = traces[c];
        trace.format = "cwa";
        trace.network = "TW";
        trace.station = plain_word(code, "CWA");
        trace.component = kColumns[c].first;
        trace.code = kColumns[c].first;
        trace.azimuth = c == 1 ? 90.0 : 0.0;
        trace.dip = c == 2 ? -90.0 : 0.0;
        trace.dt = dt;
        trace.quantity = Quantity::acceleration;
        trace.units = "cm/s/s";
        trace.start_us = start_us + std::llround(t0 * 1e6);
        trace.samples.reserve(rows);
        for (std::size_t r = 0; r < rows; ++r) {
            trace.samples.push_back(values[4 * r + kColumns[c].second]);
        }
    }
    return traces;
}

}  // namespace wavespec::formats
