// RENADIC (Chile) files: three channels in turn, each with its text, integer and real headers,
// then pairs of time and acceleration in g/10.
#include <charconv>
#include <cmath>

#include "formats/agency_text.hpp"
#include "formats/calendar.hpp"
#include "formats/fixed_fields.hpp"
#include "formats/national_readers.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

constexpr std::size_t kRenadicTextLines = 13, kRenadicIntegerLines = 7, kRenadicRealLines = 7;
constexpr std::size_t kRenadicStartLine = 4, kRenadicStationLine = 6, kChannelLine = 7,
                      kRenadicMarkerLine = 8, kRenadicCountLine = 11;
constexpr std::string_view kRenadicMarker = "UNIVERSIDAD DE CHILE - RENADIC";

// "2/27/2010 2:45:46.000" (GMT): the first word of the line shaped m/d/yyyy and the time after.
std::optional<std::int64_t> renadic_start_of(std::string_view line) {
    std::vector<std::string_view> words = split_words(line);
    for (std::size_t w = 0; w + 1 < words.size(); ++w) {
        std::string_view d = words[w];
        int month = 0, day = 0, year = 0, hour = 0, minute = 0;
        std::size_t s1 = d.find('/'), s2 = d.rfind('/');
        if (s1 == std::string_view::npos || s1 == s2) continue;
        auto whole = [](std::string_view text, int& into) {
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), into);
            return !text.empty() && error == std::errc() && end == text.data() + text.size();
        };
        if (!whole(d.substr(0, s1), month) || !whole(d.substr(s1 + 1, s2 - s1 - 1), day) ||
            !whole(d.substr(s2 + 1), year)) {
            continue;
        }
        std::string_view t = words[w + 1];
        std::size_t c1 = t.find(':'), c2 = t.rfind(':');
        if (c1 == std::string_view::npos || c1 == c2 || !whole(t.substr(0, c1), hour) ||
            !whole(t.substr(c1 + 1, c2 - c1 - 1), minute)) {
            continue;
        }
        auto second = parse_real_token(t.substr(c2 + 1));
        if (!second || *second < 0.0 || *second >= 61.0) continue;
        const int whole_second = static_cast<int>(*second);
        auto us = utc_microseconds({year, month, day, hour, minute, whole_second,
                                    std::llround((*second - whole_second) * 1e6)});
        if (us) return us;
    }
    return std::nullopt;
}

FileTrace renadic_read_channel(std::string_view file, TextLines& lines) {
    const std::int64_t first = lines.number() + 1;
    std::vector<std::string_view> text;
    while (text.size() < kRenadicTextLines) {
        auto line = lines.next();
        if (!line)
            fail_at_line(file, lines.number(), "the file ends inside a channel's text header");
        text.push_back(*line);
    }
    if (!contains_ignoring_case(text[kRenadicMarkerLine - 1], kRenadicMarker)) {
        fail_at_line(file, first + kRenadicMarkerLine - 1,
                     "a channel's header lacks " + quoted(kRenadicMarker));
    }
    for (std::size_t l = 0; l < kRenadicIntegerLines + kRenadicRealLines; ++l) {
        if (!lines.next())
            fail_at_line(file, lines.number(), "the file ends inside a channel's numeric headers");
    }
    FileTrace trace;
    trace.format = "renadic";
    trace.network = std::string(1, 'C');  // Chile's network code
    std::vector<std::string_view> station_words = split_words(text[kRenadicStationLine - 1]);
    if (station_words.empty())
        fail_at_line(file, first + kRenadicStationLine - 1, "no station on the line");
    trace.station = windows1254_to_utf8(station_words.back());
    std::string_view channel_line = text[kChannelLine - 1];
    std::string_view code = channel_line.size() > 9 ? trim(channel_line.substr(9, 2)) : "";
    const std::string upper = ascii_upper(code);
    trace.code = std::string(code);
    trace.component = plain_word(code, "RENADIC");
    if (upper == "Z" || upper == "V") {
        trace.azimuth = 0.0;
        trace.dip = -90.0;
    } else if (upper == "NS" || upper == "EW") {
        trace.azimuth = upper == "NS" ? 0.0 : 90.0;
        trace.dip = 0.0;
    } else if (upper != "L" && upper != "T" && upper != "NZ") {
        fail_at_line(
            file, first + kChannelLine - 1,
            "channel " + quoted(code) + " (columns 10 and 11) is none of NS, EW, Z, V, L, T");
    }
    trace.start_us = renadic_start_of(text[kRenadicStartLine - 1]);
    const std::int64_t count_line = first + kRenadicCountLine - 1;
    auto [count, dt] = count_and_interval(file, count_line, text[kRenadicCountLine - 1]);
    trace.dt = dt;
    const std::int64_t data_line = lines.number() + 1;
    std::vector<double> pairs = read_fixed_values(file, lines, {10, 7, 0, false}, 2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        // The times step by the interval the header's count and duration give.
        if (!(std::fabs(pairs[2 * i] - pairs[0] - static_cast<double>(i) * dt) <= 0.5 * dt)) {
            fail_at_line(file, data_line + static_cast<std::int64_t>(2 * i / 10),
                         "the time " + shortest_text(pairs[2 * i]) + " s of sample " +
                             std::to_string(i + 1) + " does not step by " + shortest_text(dt) +
                             " s");
        }
        trace.samples.push_back(pairs[2 * i + 1] * kGalPerTenthOfG);
    }
    if (!lines.next())
        fail_at_line(file, lines.number(), "the file ends before the channel's end line");
    trace.quantity = Quantity::acceleration;
    trace.units = "cm/s/s";
    return trace;
}

}  // namespace

bool looks_like_renadic(std::string_view bytes) {
    TextLines lines(bytes);
    for (std::size_t i = 1; i <= kRenadicMarkerLine; ++i) {
        auto line = lines.next();
        if (!line) return false;
        if (i == kRenadicMarkerLine) return contains_ignoring_case(*line, kRenadicMarker);
    }
    return false;
}

std::array<FileTrace, 3> read_renadic(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::array<FileTrace, 3> traces;
    for (FileTrace& trace : traces) trace = renadic_read_channel(file, lines);
    expect_only_blank_lines(file, lines, "the three channels");
    return traces;
}

}  // namespace wavespec::formats
