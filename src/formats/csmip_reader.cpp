#include "formats/csmip_reader.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "formats/agency_text.hpp"
#include "formats/calendar.hpp"
#include "formats/channel_codes.hpp"
#include "formats/fixed_fields.hpp"
#include "formats/physical_units.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

constexpr std::string_view kV1Marker = "UNCORRECTED ACCELEROGRAM DATA";
constexpr std::string_view kV2Marker = "CORRECTED ACCELEROGRAM";
constexpr std::string_view kV3Marker = "RESPONSE AND FOURIER AMPLITUDE SPECTRA";

struct Volume {
    int level = 0;  // 1 or 2
    std::size_t text_lines = 0, real_lines = 0;
    FixedLayout default_data;
};
constexpr Volume kV1{1, 13, 7, {8, 9, 0, false}};
constexpr Volume kV2{2, 25, 13, {8, 10, 0, false}};
// Places in the real header of V2 (counted from 0): the filter's corners in Hz.
constexpr std::size_t kHighpassReal = 61, kLowpassReal = 72;

// Reads `count` lines of fixed fields, any of them blank (nothing), failing on a field that
// is no number.
std::vector<std::optional<double>> read_header_fields(std::string_view file, TextLines& lines,
                                                      std::size_t count, std::size_t per_line,
                                                      std::size_t width, std::string_view what) {
    std::vector<std::optional<double>> values;
    for (std::size_t l = 0; l < count; ++l) {
        auto line = lines.next();
        if (!line)
            fail_at_line(file, lines.number(), "the file ends inside the " + std::string(what));
        for (std::size_t f = 0; f < per_line; ++f) {
            std::size_t at = f * width;
            std::string_view field = at < line->size() ? trim(line->substr(at, width)) : "";
            if (field.empty()) {
                values.push_back(std::nullopt);
                continue;
            }
            auto value = parse_real_token(field);
            if (!value) {
                fail_at_line(file, lines.number(),
                             quoted(field) + " in the " + std::string(what) + " is not a number");
            }
            values.push_back(value);
        }
    }
    return values;
}

// The units of a block's line ("in cm/sec2.", "in g/10."), as factors to cm/s^2, cm/s, cm.
std::optional<PhysicalUnits> units_of_words(std::string_view text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ',')) text.remove_suffix(1);
    std::string lower = ascii_upper(trim(text));
    if (lower == "G/10") return PhysicalUnits{Quantity::acceleration, kGalPerTenthOfG};
    return physical_units_named(lower);
}

struct CsmipBlock {
    Quantity quantity = Quantity::acceleration;
    std::size_t count = 0;
    double dt = 0.0;
    PhysicalUnits units;
    FixedLayout layout;
};

// "  8000 points of accel data equally spaced at  .010 sec, in cm/sec2.  (Format: (8F10.3))"
CsmipBlock block_of(std::string_view file, std::int64_t number, std::string_view line,
                    const FixedLayout& default_layout) {
    CsmipBlock block;
    std::vector<std::string_view> words = split_words(line);
    auto refuse = [&](std::string_view what) {
        fail_at_line(file, number,
                     "a data block's line " + std::string(what) +
                         " (like '8000 points of accel data equally spaced at "
                         ".010 sec, in cm/sec2.')");
    };
    if (words.size() < 10 || ascii_upper(words[1]) != "POINTS" || ascii_upper(words[2]) != "OF") {
        refuse("is not");
    }
    std::int64_t count = 0;
    auto [end, error] = std::from_chars(words[0].data(), words[0].data() + words[0].size(), count);
    if (error != std::errc() || end != words[0].data() + words[0].size() || count < 1 ||
        count > 100'000'000) {
        refuse("has no positive count");
    }
    block.count = static_cast<std::size_t>(count);
    const std::string kind = ascii_upper(words[3]);
    if (kind.starts_with("ACC")) {
        block.quantity = Quantity::acceleration;
    } else if (kind.starts_with("VEL")) {
        block.quantity = Quantity::velocity;
    } else if (kind.starts_with("DIS")) {
        block.quantity = Quantity::displacement;
    } else {
        refuse("names no accel, veloc or displ");
    }
    auto dt = parse_real_token(words[8]);
    if (!dt || !(*dt > 0.0)) refuse("has no positive interval");
    block.dt = *dt;
    std::optional<PhysicalUnits> units;
    for (std::size_t w = 9; w + 1 < words.size() && !units; ++w) {
        if (ascii_upper(words[w]) == "IN") units = units_of_words(words[w + 1]);
    }
    if (!units || units->quantity != block.quantity) refuse("has no units of its quantity");
    block.units = *units;
    block.layout = default_layout;
    // The layout, where given, is the last parenthesis of the line: "(8F10.3)".
    std::size_t open = line.rfind('(');
    std::size_t close = line.find(')', open == std::string_view::npos ? 0 : open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
        auto layout = fixed_layout_named(line.substr(open, close - open + 1));
        if (!layout || layout->integer) refuse("gives a layout that is not a real one");
        block.layout = *layout;
    }
    return block;
}

constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

struct Clock {
    int hour = 0, minute = 0, second = 0;
    std::int64_t microsecond = 0;
};

// "10:33:48.0" (the fraction optional).
std::optional<Clock> clock_of(std::string_view text) {
    while (!text.empty() && (text.back() == ')' || text.back() == ',')) text.remove_suffix(1);
    Clock clock;
    auto take = [&](int& into, std::size_t digits) {
        if (text.size() < digits) return false;
        into = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            into = into * 10 + (text[i] - '0');
        }
        text.remove_prefix(digits);
        return true;
    };
    std::size_t colon = text.find(':');
    if (colon == 0 || colon == std::string_view::npos || colon > 2) return std::nullopt;
    if (!take(clock.hour, colon) || text.empty() || text.front() != ':') return std::nullopt;
    text.remove_prefix(1);
    if (!take(clock.minute, 2) || text.empty() || text.front() != ':') return std::nullopt;
    text.remove_prefix(1);
    if (!take(clock.second, 2)) return std::nullopt;
    if (!text.empty()) {
        if (text.front() != '.') return std::nullopt;
        text.remove_prefix(1);
        std::int64_t scale = 100000;
        for (char c : text) {
            if (c < '0' || c > '9' || scale == 0) return std::nullopt;
            clock.microsecond += (c - '0') * scale;
            scale /= 10;
        }
    }
    return clock;
}

// Hours a named zone is ahead of UTC (behind: negative); nothing for an unknown name.
std::optional<int> zone_offset_hours(std::string_view zone) {
    static constexpr std::array<std::pair<std::string_view, int>, 12> kZones = {{{"UTC", 0},
                                                                                 {"GMT", 0},
                                                                                 {"UT", 0},
                                                                                 {"PST", -8},
                                                                                 {"PDT", -7},
                                                                                 {"MST", -7},
                                                                                 {"MDT", -6},
                                                                                 {"CST", -6},
                                                                                 {"CDT", -5},
                                                                                 {"EST", -5},
                                                                                 {"EDT", -4},
                                                                                 {"HST", -10}}};
    for (const auto& [name, hours] : kZones) {
        if (ascii_upper(zone) == name) return hours;
    }
    return std::nullopt;
}

// The record's start from "Rcrd of Thu Jul  4, 2019 10:33:48.0 PDT (UTC: 17:33:48.0)" or
// "Rcrd start time: 7/4/19, 17:33:48.0 GMT": the UTC clock where the line gives one, else the
// clock less its zone's offset.
std::optional<std::int64_t> csmip_start_of(std::string_view file, std::int64_t number,
                                           std::string_view line) {
    std::vector<std::string_view> words = split_words(line);
    std::int64_t year = 0;
    int month = 0, day = 0;
    std::size_t after_date = 0;
    for (std::size_t w = 0; w < words.size() && month == 0; ++w) {
        std::string word = ascii_upper(words[w]);
        for (std::size_t m = 0; m < kMonths.size(); ++m) {
            if (word == kMonths[m] && w + 2 < words.size()) {
                std::string_view d = words[w + 1];
                if (d.ends_with(',')) d.remove_suffix(1);
                auto [e1, r1] = std::from_chars(d.data(), d.data() + d.size(), day);
                auto [e2, r2] = std::from_chars(words[w + 2].data(),
                                                words[w + 2].data() + words[w + 2].size(), year);
                if (r1 == std::errc() && e1 == d.data() + d.size() && r2 == std::errc() &&
                    e2 == words[w + 2].data() + words[w + 2].size()) {
                    month = static_cast<int>(m) + 1;
                    after_date = w + 3;
                }
            }
        }
        // "7/4/19," or "07/04/2019"
        if (month == 0 && std::count(word.begin(), word.end(), '/') == 2) {
            if (word.ends_with(',')) word.pop_back();
            int parts[3] = {0, 0, 0};
            std::string_view rest = word;
            bool ok = true;
            for (int& part : parts) {
                std::size_t slash = rest.find('/');
                std::string_view digits = rest.substr(0, slash);
                auto [e, r] = std::from_chars(digits.data(), digits.data() + digits.size(), part);
                ok =
                    ok && r == std::errc() && e == digits.data() + digits.size() && !digits.empty();
                rest =
                    slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
            }
            if (ok) {
                month = parts[0];
                day = parts[1];
                year =
                    parts[2] < 100 ? (parts[2] < 50 ? 2000 + parts[2] : 1900 + parts[2]) : parts[2];
                after_date = w + 1;
            }
        }
    }
    if (month == 0) return std::nullopt;
    auto refuse = [&](std::string_view what) -> std::optional<std::int64_t> {
        fail_at_line(file, number, "the record's start " + std::string(what));
    };
    if (after_date >= words.size()) return refuse("has no time of day");
    auto clock = clock_of(words[after_date]);
    if (!clock) return refuse("has no time of day like 10:33:48.0");
    std::optional<Clock> utc_clock;
    std::optional<int> offset;
    for (std::size_t w = after_date + 1; w < words.size(); ++w) {
        std::string_view word = words[w];
        if (word.starts_with('(')) word.remove_prefix(1);
        if (word.ends_with(':')) word.remove_suffix(1);
        if (!offset && zone_offset_hours(word)) offset = zone_offset_hours(word);
        if ((ascii_upper(word) == "UTC" || ascii_upper(word) == "GMT") && w + 1 < words.size() &&
            words[w].ends_with(':')) {
            utc_clock = clock_of(words[w + 1]);
        }
    }
    if (!offset && !utc_clock) return refuse("names no time zone (UTC, GMT, PST, PDT, ...)");
    auto local = utc_microseconds(
        {year, month, day, clock->hour, clock->minute, clock->second, clock->microsecond});
    if (!local) return refuse("is not a date and time");
    if (!utc_clock) return *local - static_cast<std::int64_t>(*offset) * 3'600'000'000LL;
    // The UTC clock on the local date, moved a day where the zone's offset crosses midnight.
    auto utc = utc_microseconds({year, month, day, utc_clock->hour, utc_clock->minute,
                                 utc_clock->second, utc_clock->microsecond});
    if (!utc) return refuse("gives no UTC time of day");
    constexpr std::int64_t kHalfDay = 43'200'000'000LL, kDay = 2 * kHalfDay;
    if (*utc - *local > kHalfDay) *utc -= kDay;
    if (*local - *utc > kHalfDay) *utc += kDay;
    return utc;
}

// "Chan  1:  90 Deg", "Chan  3:  Up": the direction word after the channel's colon.
struct Direction {
    std::string code;
    std::optional<double> azimuth, dip;
    int position = -1;
    bool down = false;
};

std::optional<Direction> direction_of(std::string_view line) {
    std::size_t chan = ascii_upper(line).find("CHAN");
    if (chan == std::string::npos) return std::nullopt;
    std::size_t colon = line.find(':', chan);
    if (colon == std::string_view::npos) return std::nullopt;
    Words words(line.substr(colon + 1));
    auto word = words.next();
    if (!word) return std::nullopt;
    Direction direction;
    direction.code = std::string(*word);
    const std::string upper = ascii_upper(*word);
    if (upper == "UP" || upper == "DOWN") {
        direction.azimuth = 0.0;
        direction.dip = -90.0;
        direction.position = 2;
        direction.down = upper == "DOWN";
        return direction;
    }
    int degrees = -1;
    auto [end, error] = std::from_chars(word->data(), word->data() + word->size(), degrees);
    if (error == std::errc() && end == word->data() + word->size() && degrees >= 0 &&
        degrees <= 360) {
        direction.azimuth = degrees == 360 ? 0.0 : degrees;
        direction.dip = 0.0;
        direction.position = degrees % 360 == 0 ? 0 : degrees == 90 ? 1 : -1;
    }
    return direction;  // another word: a horizontal of unknown azimuth
}

// "Peak acceleration =  -254.321 cm/sec2  at  12.340 sec"
void add_peak(std::string_view line, const std::string& component, FileTrace& trace) {
    std::vector<std::string_view> words = split_words(line);
    if (words.size() < 7 || ascii_upper(words[0]) != "PEAK") return;
    std::size_t equals = 1;
    while (equals < words.size() && words[equals] != "=") ++equals;
    if (equals + 2 >= words.size()) return;
    auto value = parse_real_token(words[equals + 1]);
    auto units = units_of_words(words[equals + 2]);
    if (!value || !units) return;
    std::optional<double> time;
    if (equals + 4 < words.size() && ascii_upper(words[equals + 3]) == "AT") {
        time = parse_real_token(words[equals + 4]);
    }
    trace.stated.push_back({component, std::string(quantity_name(units->quantity)),
                            *value * units->factor, time,
                            std::string(quantity_units(units->quantity))});
}

CsmipChannel csmip_read_channel(std::string_view file, TextLines& lines, std::string_view first,
                                Quantity wanted) {
    const std::int64_t first_line = lines.number();
    const Volume& volume = contains_ignoring_case(first, kV1Marker) ? kV1 : kV2;
    std::vector<std::string_view> text = {first};
    while (text.size() < volume.text_lines) {
        auto line = lines.next();
        if (!line) fail_at_line(file, lines.number(), "the file ends inside a text header");
        text.push_back(*line);
    }
    read_header_fields(file, lines, 7, 16, 5, "integer header");
    std::vector<std::optional<double>> reals =
        read_header_fields(file, lines, volume.real_lines, 8, 10, "real header");
    CsmipChannel channel;
    FileTrace& trace = channel.trace;
    trace.format = volume.level == 1 ? "csmip-v1" : "csmip-v2";
    trace.network = "CE";
    std::optional<Direction> direction;
    for (std::size_t l = 0; l < text.size(); ++l) {
        std::vector<std::string_view> words = split_words(text[l]);
        for (std::size_t w = 0; w + 2 < words.size() && trace.station.empty(); ++w) {
            if (ascii_upper(words[w]) == "STATION" && ascii_upper(words[w + 1]) == "NO.") {
                trace.station = std::string(words[w + 2]);
            }
        }
        if (!direction) direction = direction_of(text[l]);
        if (!trace.start_us && !words.empty() && ascii_upper(words[0]).starts_with("RCRD")) {
            trace.start_us =
                csmip_start_of(file, first_line + static_cast<std::int64_t>(l), text[l]);
        }
    }
    if (trace.station.empty()) {
        fail_at_line(file, first_line, "the text header names no 'Station No.'");
    }
    if (!direction) {
        fail_at_line(file, first_line,
                     "the text header gives no channel's direction ('Chan  1:  90 Deg')");
    }
    trace.code = direction->code;
    trace.component = plain_word(direction->code, "CSMIP");
    trace.azimuth = direction->azimuth;
    trace.dip = direction->dip;
    channel.position = direction->position;
    channel.set_key = trace.network + "." + trace.station;
    for (std::string_view line : text) add_peak(line, trace.component, trace);
    if (volume.level == 2) {
        const auto& highpass = reals[kHighpassReal];
        const auto& lowpass = reals[kLowpassReal];
        FilterCorners corners;
        if (highpass && *highpass > 0.0) corners.highpass = highpass;
        if (lowpass && *lowpass > 0.0) corners.lowpass = lowpass;
        if (corners.highpass || corners.lowpass) trace.filter = corners;
    }
    const double sign = direction->down ? -1.0 : 1.0;
    if (direction->down) {
        trace.notes.push_back(
            std::string(file) + ": " + trace.component +
            ": the vertical was recorded pointing down; its sign is turned to up");
    }
    bool found = false;
    for (;;) {
        auto line = lines.next();
        if (!line)
            fail_at_line(file, lines.number(),
                         "the file ends before the channel's 'End of data' line");
        if (trim(*line).empty()) continue;
        if (contains_ignoring_case(*line, "END OF DATA")) break;
        CsmipBlock block = block_of(file, lines.number(), *line, volume.default_data);
        if (block.quantity == Quantity::acceleration) trace.dt = block.dt;
        std::vector<double> values = read_fixed_values(file, lines, block.layout, block.count);
        if (block.quantity != wanted) continue;
        if (block.dt != trace.dt && trace.dt > 0.0) {
            fail(file, "the " + std::string(quantity_name(wanted)) +
                           " block's interval differs from the acceleration's");
        }
        trace.dt = block.dt;
        for (double& value : values) {
            value *= sign * block.units.factor;
            if (!std::isfinite(value)) fail(file, "a value converted to cm is not finite");
        }
        trace.samples = std::move(values);
        trace.quantity = wanted;
        trace.units = std::string(quantity_units(wanted));
        found = true;
    }
    if (!found) {
        fail(file, trace.component + ": the channel holds no " +
                       std::string(quantity_name(wanted)) + " (--quantity)");
    }
    return channel;
}

}  // namespace

bool looks_like_csmip(std::string_view bytes) {
    TextLines lines(bytes);
    auto first = lines.next();
    auto second = lines.next();
    if (!first || !second) return false;
    if (contains_ignoring_case(*first, kV1Marker)) return true;
    if (contains_ignoring_case(*first, kV2Marker)) {
        return contains_ignoring_case(*second, kV1Marker);
    }
    auto third = lines.next();
    return third && contains_ignoring_case(*first, kV3Marker) &&
           contains_ignoring_case(*second, kV2Marker) && contains_ignoring_case(*third, kV1Marker);
}

std::vector<CsmipChannel> read_csmip(std::string_view file, std::string_view bytes,
                                     Quantity quantity) {
    TextLines lines(bytes);
    std::vector<CsmipChannel> channels;
    while (auto line = lines.next()) {
        if (trim(*line).empty()) continue;
        if (contains_ignoring_case(*line, kV3Marker)) {
            fail_at_line(file, lines.number(),
                         "a CSMIP volume 3 file (response spectra) holds no record to read");
        }
        if (!contains_ignoring_case(*line, kV2Marker)) {
            fail_at_line(file, lines.number(),
                         "a channel's text header does not begin with CORRECTED or UNCORRECTED "
                         "ACCELEROGRAM");
        }
        channels.push_back(csmip_read_channel(file, lines, *line, quantity));
    }
    if (channels.empty()) fail(file, "no CSMIP channel");
    return channels;
}

}  // namespace wavespec::formats
