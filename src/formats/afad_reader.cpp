// AFAD / NSMN (Turkey) text files: 18 header lines in Windows-1254, then N-S, E-W, U-D in gal.
#include <charconv>

#include "formats/agency_text.hpp"
#include "formats/calendar.hpp"
#include "formats/national_readers.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

constexpr std::size_t kHeaderLines = 18;
constexpr std::size_t kAfadStationLine = 7, kAfadStartLine = 12, kAfadCountLine = 13,
                      kIntervalLine = 14;

// The day of the month of a year's last Sunday in `month` (March or October).
int last_sunday(std::int64_t year, unsigned month) {
    const unsigned last = days_in_month(year, month);
    const std::int64_t days = days_from_civil(year, month, last);
    // 1970-01-01 was a Thursday: weekday 0 is Sunday.
    const auto weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    return static_cast<int>(last) - weekday;
}

// Minutes Turkey's clock is ahead of UTC at a local time: UTC+3 since 7 September 2016;
// before, UTC+2 with the European summer time (UTC+3) from the last Sunday of March to the
// last Sunday of October, changing at 01:00 UTC.
int turkey_offset_minutes(const CivilTime& local) {
    const std::int64_t local_us = *utc_microseconds(local);
    const auto since = utc_microseconds({2016, 9, 7, 0, 0, 0, 0});
    if (local_us >= *since) return 180;
    const std::int64_t utc_guess = local_us - 2 * 3'600'000'000LL;
    const auto summer_begins =
        utc_microseconds({local.year, 3, last_sunday(local.year, 3), 1, 0, 0, 0});
    const auto summer_ends =
        utc_microseconds({local.year, 10, last_sunday(local.year, 10), 1, 0, 0, 0});
    return utc_guess >= *summer_begins && utc_guess < *summer_ends ? 180 : 120;
}

// "20/07/2017 22:30:58.000000 (GMT)": UTC where the line says GMT or UTC, else Turkey's clock.
std::int64_t afad_start_of(std::string_view file, std::string_view line) {
    std::string_view text =
        trim(line.substr(line.find(':') == std::string_view::npos ? 0 : line.find(':') + 1));
    auto digits = [&](std::size_t at, std::size_t count) -> std::optional<int> {
        if (at + count > text.size()) return std::nullopt;
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    auto day = digits(0, 2), month = digits(3, 2), year = digits(6, 4), hour = digits(11, 2),
         minute = digits(14, 2), second = digits(17, 2);
    std::int64_t microsecond = 0;
    std::size_t at = 19;
    if (at < text.size() && text[at] == '.') {
        std::int64_t scale = 100000;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            if (scale > 0) microsecond += (text[at] - '0') * scale;
            scale /= 10;
        }
    }
    const bool shape = text.size() >= 19 && text[2] == '/' && text[5] == '/' && text[10] == ' ' &&
                       text[13] == ':' && text[16] == ':';
    if (!shape || !day || !month || !year || !hour || !minute || !second ||
        !utc_microseconds({*year, *month, *day, *hour, *minute, *second, microsecond})) {
        fail_at_line(file, kAfadStartLine,
                     "the first sample's time " + quoted(text) +
                         " is not like 20/07/2017 22:30:58.000000 (GMT)");
    }
    const CivilTime clock{*year, *month, *day, *hour, *minute, *second, microsecond};
    const std::string zone = ascii_upper(text.substr(at));
    const bool utc = zone.find("GMT") != std::string::npos || zone.find("UTC") != std::string::npos;
    return *utc_from_local(clock, utc ? 0 : turkey_offset_minutes(clock));
}

std::string_view value_of(std::string_view file, std::string_view line, std::size_t number,
                          std::string_view what) {
    auto value = after_colon(line);
    if (!value || value->empty()) {
        fail_at_line(file, static_cast<std::int64_t>(number),
                     "the header line gives no " + std::string(what) + " after a colon");
    }
    return *value;
}

}  // namespace

bool looks_like_afad(std::string_view bytes) {
    TextLines lines(bytes);
    auto first = lines.next();
    // TURKIYE may be written with a dotted capital I or a U with diaeresis in the code page.
    return first && contains_ignoring_case(*first, "STRONG GROUND MOTION RECORDS OF T");
}

std::array<FileTrace, 3> read_afad(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::vector<std::string_view> header;
    while (header.size() < kHeaderLines) {
        auto line = lines.next();
        if (!line) fail_at_line(file, lines.number(), "the file ends inside the 18 header lines");
        header.push_back(*line);
    }
    const std::string station = windows1254_to_utf8(
        value_of(file, header[kAfadStationLine - 1], kAfadStationLine, "station code"));
    std::string_view count_text =
        value_of(file, header[kAfadCountLine - 1], kAfadCountLine, "count of samples");
    std::int64_t count = 0;
    auto [end, error] =
        std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
    if (error != std::errc() || end != count_text.data() + count_text.size() || count < 2 ||
        count > 100'000'000) {
        fail_at_line(file, kAfadCountLine,
                     "the count " + quoted(count_text) + " is not a count of samples");
    }
    std::string_view interval_text =
        value_of(file, header[kIntervalLine - 1], kIntervalLine, "sampling interval");
    auto dt = parse_real_token(interval_text);
    if (!dt || !(*dt > 0.0)) {
        fail_at_line(file, kIntervalLine,
                     "the sampling interval " + quoted(interval_text) + " is not positive");
    }
    const std::int64_t start_us = afad_start_of(file, header[kAfadStartLine - 1]);
    std::vector<std::vector<double>> columns =
        read_number_columns(file, lines, 3, static_cast<std::size_t>(count));
    expect_only_blank_lines(file, lines, "the header's count of rows");
    static constexpr std::array<const char*, 3> kCodes = {"N-S", "E-W", "U-D"};
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        FileTrace& trace = traces[c];
        trace.format = "afad";
        trace.network = "TK";
        trace.station = station;
        trace.code = kCodes[c];
        trace.component = kCodes[c];
        trace.azimuth = c == 1 ? 90.0 : 0.0;
        trace.dip = c == 2 ? -90.0 : 0.0;
        trace.dt = *dt;
        trace.quantity = Quantity::acceleration;
        trace.units = "cm/s/s";
        trace.start_us = start_us;
        trace.samples = std::move(columns[c]);
    }
    return traces;
}

}  // namespace wavespec::formats
