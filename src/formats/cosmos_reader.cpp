#include "formats/cosmos_reader.hpp"

#include <charconv>
#include <cmath>

#include "formats/at2_reader.hpp"
#include "formats/calendar.hpp"
#include "formats/fixed_fields.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

constexpr std::size_t kDefaultTextLines = 13;

// Places in the integer and real headers (counted from 0).
constexpr std::size_t kLevel = 0, kCosmosYear = 39, kCosmosYearDay = 40, kCosmosMonth = 41,
                      kCosmosDay = 42, kCosmosHour = 43, kCosmosMinute = 44, kOrientation = 53,
                      kSite = 55;
constexpr std::size_t kCosmosSecond = 29, kLsb = 21, kSensitivity = 41, kGain = 46, kLowCut = 53,
                      kHighCut = 56, kIntervalMs = 61, kLength = 62, kPeak = 63, kPeakTime = 64;

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return result;
}

std::optional<std::int64_t> leading_integer(std::string_view text) {
    text = trim(text);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

// The values of a header, with what stands for unknown.
struct CosmosHeader {
    std::vector<double> values;
    double unknown = -999.0;
    std::int64_t line = 0;  // the line that introduced it
    std::optional<double> at(std::size_t i) const {
        if (i >= values.size() || values[i] == unknown) return std::nullopt;
        return values[i];
    }
};

std::string_view cosmos_field_of(std::string_view line, std::size_t from, std::size_t to) {
    if (from >= line.size()) return {};
    return trim(line.substr(from, to - from));
}

// "100 Integer-header values follow on 10 lines, Format= (10I8)": the count and layout.
std::pair<std::size_t, FixedLayout> block_declaration(std::string_view file, std::int64_t number,
                                                      std::string_view line,
                                                      std::string_view what) {
    auto count = leading_integer(line);
    std::size_t format = lower(line).find("format");
    std::size_t open = format == std::string::npos ? format : line.find('(', format);
    std::size_t close = open == std::string::npos ? open : line.find(')', open);
    std::optional<FixedLayout> layout;
    if (close != std::string::npos)
        layout = fixed_layout_named(line.substr(open, close - open + 1));
    if (!count || *count < 1 || *count > 100000000 || !layout) {
        fail_at_line(file, number,
                     quoted(trim(line)) + " does not give the " + std::string(what) +
                         "'s count and Format=(...)");
    }
    return {static_cast<std::size_t>(*count), *layout};
}

CosmosHeader cosmos_read_header(std::string_view file, TextLines& lines, std::string_view what,
                                double unknown) {
    auto line = lines.next();
    if (!line) fail_at_line(file, lines.number(), "the file ends before the " + std::string(what));
    CosmosHeader header;
    header.unknown = unknown;
    header.line = lines.number();
    auto [count, layout] = block_declaration(file, lines.number(), *line, what);
    header.values = read_fixed_values(file, lines, layout, count);
    return header;
}

struct CosmosOrientation {
    std::string code;
    std::optional<double> azimuth, dip;
    int position = -1;
    bool turned = false;  // recorded pointing down: the sign is turned to up
};

CosmosOrientation orientation_of(std::string_view file, const CosmosHeader& integers) {
    auto code = integers.at(kOrientation);
    if (!code) {
        fail_at_line(file, integers.line, "the integer header gives no orientation (value 54)");
    }
    const int value = small_int(*code).value_or(-1);
    if (value >= 0 && value <= 360) {
        double azimuth = value == 360 ? 0.0 : value;
        int position = azimuth == 0.0 ? 0 : azimuth == 90.0 ? 1 : -1;
        return {std::to_string(value), azimuth, 0.0, position, false};
    }
    switch (value) {
        case 400:
            return {"UP", 0.0, -90.0, 2, false};
        case 401:
            return {"DOWN", 0.0, -90.0, 2, true};
        case 402:
            return {"VERT", 0.0, std::nullopt, 2, false};
        case 500:
            return {"RADL", std::nullopt, 0.0, -1, false};
        case 501:
            return {"TRAN", std::nullopt, 0.0, -1, false};
        case 600:
            return {"LONG", std::nullopt, 0.0, -1, false};
        case 601:
            return {"TANG", std::nullopt, 0.0, -1, false};
        case 700:
            return {"H1", std::nullopt, 0.0, -1, false};
        case 701:
            return {"H2", std::nullopt, 0.0, -1, false};
        default:
            fail_at_line(file, integers.line,
                         "orientation code " + std::to_string(value) +
                             " (value 54) is neither an azimuth nor a direction");
    }
}

struct Units {
    Quantity quantity;
    double factor;  // 0 for counts
};

std::optional<Units> units_of_code(int code) {
    switch (code) {
        case 2:
            return Units{Quantity::acceleration, kStandardGravityGal};
        case 4:
        case 10:
            return Units{Quantity::acceleration, 1.0};
        case 5:
            return Units{Quantity::velocity, 1.0};
        case 6:
            return Units{Quantity::displacement, 1.0};
        case 7:
            return Units{Quantity::acceleration, 2.54};
        case 8:
            return Units{Quantity::velocity, 2.54};
        case 9:
            return Units{Quantity::displacement, 2.54};
        case 11:
            return Units{Quantity::acceleration, kStandardGravityGal / 1000.0};
        case 50:
            return Units{Quantity::acceleration, 0.0};
        default:
            return std::nullopt;
    }
}

// V0 counts to cm/s^2: counts x LSB (uV/count) / 1e6 / (sensitivity (V/g) x gain) x g.
double counts_factor(std::string_view file, const CosmosHeader& reals) {
    auto lsb = reals.at(kLsb);
    auto sensitivity = reals.at(kSensitivity);
    double gain = reals.at(kGain).value_or(1.0);
    if (!lsb || !sensitivity || !(*lsb > 0.0) || !(*sensitivity > 0.0) || !(gain > 0.0)) {
        fail_at_line(file, reals.line,
                     "the samples are counts, and the real header gives no positive recorder LSB "
                     "(value 22), sensor sensitivity (value 42) and gain (value 47) to turn them "
                     "into acceleration");
    }
    return *lsb * 1e-6 / (*sensitivity * gain) * kStandardGravityGal;
}

struct CosmosBlock {
    Quantity quantity = Quantity::acceleration;
    int units_code = 0;
    std::vector<double> values;
    std::int64_t line = 0;
};

// "8000 acceleration pts, approx 40 secs, units=cm/sec2 (04), Format=(8F10.5)", the values,
// then the "End-of-data" line.
CosmosBlock read_block(std::string_view file, TextLines& lines, std::string_view line) {
    CosmosBlock block;
    block.line = lines.number();
    std::string text = lower(line);
    std::size_t points = text.find("pts");
    std::string_view what = std::string_view(text).substr(0, points);
    if (what.find("accel") != std::string_view::npos) {
        block.quantity = Quantity::acceleration;
    } else if (what.find("veloc") != std::string_view::npos) {
        block.quantity = Quantity::velocity;
    } else if (what.find("displ") != std::string_view::npos) {
        block.quantity = Quantity::displacement;
    } else {
        fail_at_line(file, block.line,
                     quoted(trim(line)) + " names no acceleration, velocity or displacement");
    }
    std::size_t units = text.find("units");
    std::size_t open = units == std::string::npos ? units : text.find('(', units);
    std::optional<std::int64_t> code;
    if (open != std::string::npos) code = leading_integer(std::string_view(text).substr(open + 1));
    if (!code) fail_at_line(file, block.line, "the data block gives no units code, like (04)");
    block.units_code = static_cast<int>(*code);
    auto [count, layout] = block_declaration(file, block.line, line, "data block");
    block.values = read_fixed_values(file, lines, layout, count);
    auto end = lines.next();
    if (!end || !lower(trim(*end)).starts_with("end-of-data")) {
        fail_at_line(file, lines.number(),
                     "an End-of-data line should follow the " + std::to_string(count) + " values");
    }
    return block;
}

std::optional<int> small_int_at(const CosmosHeader& header, std::size_t i) {
    auto value = header.at(i);
    return value ? small_int(*value) : std::nullopt;
}

std::optional<std::int64_t> cosmos_start_of(const CosmosHeader& integers,
                                            const CosmosHeader& reals) {
    auto year = small_int_at(integers, kCosmosYear), month = small_int_at(integers, kCosmosMonth);
    auto day = small_int_at(integers, kCosmosDay),
         year_day = small_int_at(integers, kCosmosYearDay);
    auto hour = small_int_at(integers, kCosmosHour), minute = small_int_at(integers, kCosmosMinute);
    auto second = reals.at(kCosmosSecond);
    if (!year || !hour || !minute || !second || !(*second >= 0.0) || !(*second < 61.0)) {
        return std::nullopt;
    }
    const auto whole = static_cast<int>(*second);
    const std::int64_t micro = std::llround((*second - whole) * 1e6);
    const std::int64_t fraction = std::min<std::int64_t>(micro, 999999);
    if (month && day) {
        return utc_microseconds({*year, *month, *day, *hour, *minute, whole, fraction});
    }
    if (!year_day) return std::nullopt;
    return utc_microseconds_of_year_day(*year, *year_day, *hour, *minute, whole, fraction);
}

// "Values used when parameter or data value is unknown/unspecified: -999, -999.0".
std::pair<double, double> unknown_values(std::string_view line) {
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {-999.0, -999.0};
    std::string rest(line.substr(colon + 1));
    for (char& c : rest) c = c == ',' ? ' ' : c;
    auto words = split_words(rest);
    const double first = words.size() > 0 ? parse_real_token(words[0]).value_or(-999.0) : -999.0;
    const double second = words.size() > 1 ? parse_real_token(words[1]).value_or(first) : first;
    return {first, second};
}

std::size_t text_line_count(std::string_view first) {
    std::string text = lower(first);
    std::size_t with = text.find("with", text.find("(format v"));
    if (with == std::string::npos) return kDefaultTextLines;
    auto count = leading_integer(std::string_view(text).substr(with + 4));
    return count && *count >= 1 && *count <= 1000 ? static_cast<std::size_t>(*count)
                                                  : kDefaultTextLines;
}

// The SEED codes a V0 file from the networks' acquisition systems carries in a comment line
// "|<SCNL>STA.CHA.NET.LOC": station, channel, network and location ("--" or nothing for the
// empty location). Nothing when no comment holds one.
std::optional<ChannelIdentity> seed_codes_of(const std::vector<std::string_view>& comments) {
    constexpr std::string_view kTag = "<SCNL>";
    for (std::string_view line : comments) {
        std::size_t at = line.find(kTag);
        if (at == std::string_view::npos) continue;
        std::vector<std::string_view> words = split_words(line.substr(at + kTag.size()));
        if (words.empty()) continue;
        std::vector<std::string_view> parts;
        std::string_view codes = words.front();
        for (std::size_t dot; (dot = codes.find('.')) != std::string_view::npos;) {
            parts.push_back(codes.substr(0, dot));
            codes.remove_prefix(dot + 1);
        }
        parts.push_back(codes);
        if (parts.size() < 3 || parts.size() > 4 || parts[0].empty() || parts[1].empty() ||
            parts[2].empty()) {
            continue;
        }
        ChannelIdentity id;
        id.station = std::string(parts[0]);
        id.channel = std::string(parts[1]);
        id.network = std::string(parts[2]);
        if (parts.size() == 4 && parts[3] != "--") id.location = std::string(parts[3]);
        return id;
    }
    return std::nullopt;
}

CosmosChannel cosmos_read_channel(std::string_view file, TextLines& lines, std::string_view first,
                                  Quantity wanted, bool keep_counts) {
    const std::int64_t first_line = lines.number();
    std::vector<std::string_view> text = {first};
    const std::size_t count = text_line_count(first);
    while (text.size() < count) {
        auto line = lines.next();
        if (!line) fail_at_line(file, lines.number(), "the file ends inside the text header");
        text.push_back(*line);
    }
    auto [unknown_int, unknown_real] =
        unknown_values(text.size() >= 13 ? text[12] : std::string_view());
    CosmosHeader integers = cosmos_read_header(file, lines, "integer header", unknown_int);
    CosmosHeader reals = cosmos_read_header(file, lines, "real header", unknown_real);
    auto level = integers.at(kLevel);
    if (level && *level == 3) {
        fail_at_line(file, first_line, "a COSMOS V3 file holds response spectra, not a record");
    }
    if (!level || (*level != 0 && *level != 1 && *level != 2)) {
        fail_at_line(file, integers.line,
                     "the integer header's data level (value 1) is not 0, 1 or 2");
    }
    auto comments = lines.next();
    auto comment_count = comments ? leading_integer(*comments) : std::nullopt;
    if (!comments || !comment_count || *comment_count < 0 ||
        lower(*comments).find("comment") == std::string::npos) {
        fail_at_line(file, lines.number(), "the comment lines' count line is missing");
    }
    std::vector<std::string_view> comment_lines;
    for (std::int64_t i = 0; i < *comment_count; ++i) {
        auto line = lines.next();
        if (!line) fail_at_line(file, lines.number(), "the file ends inside the comments");
        comment_lines.push_back(*line);
    }
    std::vector<CosmosBlock> blocks;
    for (;;) {
        TextLines ahead = lines;
        auto line = ahead.next();
        while (line && trim(*line).empty()) line = ahead.next();
        if (!line || lower(*line).find("(format v") != std::string::npos) break;
        lines = ahead;
        blocks.push_back(read_block(file, lines, *line));
    }
    if (blocks.empty()) fail_at_line(file, lines.number(), "no data block after the headers");
    const CosmosBlock* block = nullptr;
    for (const CosmosBlock& candidate : blocks) {
        if (candidate.quantity == wanted && block == nullptr) block = &candidate;
    }
    if (block == nullptr) {
        fail(file, "the file holds no " + std::string(quantity_name(wanted)) + " (--quantity)");
    }
    auto units = units_of_code(block->units_code);
    if (!units || units->quantity != block->quantity) {
        fail_at_line(file, block->line,
                     "units code " + std::to_string(block->units_code) + " is not a unit of " +
                         std::string(quantity_name(block->quantity)));
    }
    // Counts kept are for station metadata to convert: as recorded, neither scaled nor turned.
    const bool counts = units->factor == 0.0;
    const bool as_recorded = counts && keep_counts;
    const double factor = as_recorded ? 1.0 : counts ? counts_factor(file, reals) : units->factor;

    CosmosChannel channel;
    FileTrace& trace = channel.trace;
    static constexpr std::string_view kLevels[] = {"cosmos-v0", "cosmos-v1", "cosmos-v2"};
    trace.format = std::string(kLevels[static_cast<int>(*level)]);
    const std::string_view identity = text.size() >= 5 ? text[4] : std::string_view();
    trace.network = std::string(cosmos_field_of(identity, 25, 27));
    trace.station = std::string(cosmos_field_of(identity, 28, 34));
    std::optional<ChannelIdentity> seed = *level == 0 ? seed_codes_of(comment_lines) : std::nullopt;
    if (seed && trace.network.empty()) trace.network = seed->network;
    if (seed && trace.station.empty()) trace.station = seed->station;
    CosmosOrientation orientation = orientation_of(file, integers);
    trace.code = orientation.code;
    trace.component = plain_word(orientation.code, "COSMOS");
    trace.azimuth = orientation.azimuth;
    trace.dip = orientation.dip;
    channel.position = orientation.position;
    auto site = integers.at(kSite);
    channel.set_key = trace.network + "." + trace.station;
    if (site) channel.set_key.append(".").append(std::to_string(static_cast<long long>(*site)));
    auto interval = reals.at(kIntervalMs);
    if (!interval || !(*interval > 0.0)) {
        fail_at_line(file, reals.line, "the real header gives no sampling interval (value 62)");
    }
    trace.dt = *interval / 1000.0;
    check_count_and_duration(file, block->line, static_cast<std::int64_t>(block->values.size()),
                             trace.dt, reals.at(kLength), "the record length (value 63)");
    trace.start_us = cosmos_start_of(integers, reals);
    if (as_recorded) {
        trace.units = "counts";
        if (seed) {
            trace.identity = std::move(seed);
            trace.identity->start_us = trace.start_us;
        }
    } else {
        trace.quantity = block->quantity;
        trace.units = std::string(quantity_units(block->quantity));
    }
    const bool turned = orientation.turned && !as_recorded;
    const double sign = turned ? -1.0 : 1.0;
    trace.samples.reserve(block->values.size());
    for (double value : block->values) {
        trace.samples.push_back(sign * value * factor);
        if (!std::isfinite(trace.samples.back())) {
            fail_at_line(file, block->line, "a value converted is not finite");
        }
    }
    if (turned) {
        trace.notes.push_back(std::string(file) +
                              ": the vertical was recorded pointing down (orientation 401); its "
                              "sign is turned to up");
    }
    // The real header's peak is of the acceleration, in its block's units.
    if (auto peak = reals.at(kPeak);
        peak && !as_recorded && block->quantity == Quantity::acceleration) {
        trace.stated.push_back({trace.component, "acceleration", sign * *peak * factor,
                                reals.at(kPeakTime), trace.units});
    }
    if (*level == 2) {
        auto highpass = reals.at(kLowCut), lowpass = reals.at(kHighCut);
        if (highpass || lowpass) trace.filter = FilterCorners{highpass, lowpass};
    }
    return channel;
}

}  // namespace

bool looks_like_cosmos(std::string_view bytes) {
    TextLines lines(bytes);
    auto first = lines.next();
    return first && lower(*first).find("(format v") != std::string::npos &&
           lower(*first).find("lines") != std::string::npos;
}

std::vector<CosmosChannel> read_cosmos(std::string_view file, std::string_view bytes,
                                       Quantity quantity, bool keep_counts) {
    TextLines lines(bytes);
    std::vector<CosmosChannel> channels;
    while (auto line = lines.next()) {
        if (trim(*line).empty()) continue;
        if (lower(*line).find("(format v") == std::string::npos) {
            fail_at_line(file, lines.number(),
                         "a channel's first line names its format, like (Format v01.20 with 13 "
                         "text lines)");
        }
        channels.push_back(cosmos_read_channel(file, lines, *line, quantity, keep_counts));
    }
    if (channels.empty()) fail(file, "no COSMOS channel");
    return channels;
}

}  // namespace wavespec::formats
