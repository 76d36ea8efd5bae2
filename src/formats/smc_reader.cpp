#include "formats/smc_reader.hpp"

#include <cmath>

#include "formats/calendar.hpp"
#include "formats/fixed_fields.hpp"

namespace wavespec::formats {
namespace {

constexpr std::size_t kSmcTextLines = 11, kSmcIntegers = 48, kSmcReals = 50;
// Places in the integer and real headers (counted from 0).
constexpr std::size_t kMissingInteger = 0, kSmcYear = 1, kSmcYearDay = 2, kSmcHour = 3,
                      kSmcMinute = 4, kSmcSecond = 5, kMillisecond = 6, kVertical = 12,
                      kHorizontal = 13, kComments = 15, kCount = 16, kFloor = 24,
                      kStationNumber = 29;
constexpr std::size_t kMissingReal = 0, kRate = 1;

struct Values {
    std::vector<double> values;
    double missing = 0.0;
    std::int64_t line = 0;  // the header's first line
    std::optional<double> at(std::size_t i) const {
        if (i >= values.size() || values[i] == missing) return std::nullopt;
        return values[i];
    }
};

Values read_values(std::string_view file, TextLines& lines, const char* layout, std::size_t count,
                   std::size_t missing_at) {
    Values header;
    header.line = lines.number() + 1;
    header.values = read_fixed_values(file, lines, *fixed_layout_named(layout), count);
    header.missing = header.values[missing_at];
    return header;
}

int volume_of(std::string_view first) {
    first = trim(first);
    if (first == "1 UNCORRECTED ACCELEROGRAM") return 1;
    if (first == "2 CORRECTED ACCELEROGRAM") return 2;
    return -1;
}

std::optional<std::int64_t> smc_start_of(const Values& integers) {
    auto field = [&](std::size_t i) {
        auto value = integers.at(i);
        return value ? small_int(*value) : std::nullopt;
    };
    auto year = field(kSmcYear), day = field(kSmcYearDay), hour = field(kSmcHour),
         minute = field(kSmcMinute);
    if (!year || !day || !hour || !minute) return std::nullopt;
    auto second = integers.at(kSmcSecond) ? field(kSmcSecond) : std::optional<int>(0);
    auto millisecond = integers.at(kMillisecond) ? field(kMillisecond) : std::optional<int>(0);
    if (!second || !millisecond) return std::nullopt;
    return utc_microseconds_of_year_day(*year, *day, *hour, *minute, *second,
                                        static_cast<std::int64_t>(*millisecond) * 1000);
}

}  // namespace

bool looks_like_smc(std::string_view bytes) {
    TextLines lines(bytes);
    auto first = lines.next();
    return first && volume_of(*first) > 0;
}

SmcChannel read_smc(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::vector<std::string_view> text;
    while (text.size() < kSmcTextLines) {
        auto line = lines.next();
        if (!line) fail_at_line(file, lines.number(), "the file ends inside the 11 text lines");
        text.push_back(*line);
    }
    const int volume = volume_of(text[0]);
    if (volume < 0) {
        fail_at_line(file, 1,
                     "the first line is neither 1 UNCORRECTED ACCELEROGRAM nor 2 CORRECTED "
                     "ACCELEROGRAM");
    }
    Values integers = read_values(file, lines, "(8I10)", kSmcIntegers, kMissingInteger);
    Values reals = read_values(file, lines, "(5E15.7)", kSmcReals, kMissingReal);
    auto comments = integers.at(kComments).value_or(0.0);
    if (comments < 0.0 || comments > 1e6) {
        fail_at_line(file, integers.line + 1, "the count of comment lines is not a count");
    }
    for (int i = 0; i < static_cast<int>(comments); ++i) {
        if (!lines.next()) fail_at_line(file, lines.number(), "the file ends inside the comments");
    }
    auto count = integers.at(kCount);
    if (!count || !(*count >= 1.0) || *count > 1e9) {
        fail_at_line(file, integers.line + 2, "the count of samples (integer 17) is not positive");
    }
    auto rate = reals.at(kRate);
    if (!rate || !(*rate > 0.0)) {
        fail_at_line(file, reals.line, "the sampling rate (real 2) is not positive");
    }
    SmcChannel channel;
    FileTrace& trace = channel.trace;
    trace.format = volume == 1 ? "smc-v1" : "smc-v2";
    trace.station = std::string(trim(text[2].substr(0, std::min<std::size_t>(4, text[2].size()))));
    if (trace.station.empty()) {
        if (auto number = integers.at(kStationNumber)) {
            trace.station = std::to_string(static_cast<long long>(*number));
        }
    }
    auto floor = integers.at(kFloor);
    channel.set_key = trace.station;
    if (floor) channel.set_key.append(".").append(std::to_string(static_cast<long long>(*floor)));
    // Vertical orientation: degrees from up (0 up, 180 down); horizontal: degrees from north.
    auto vertical = integers.at(kVertical);
    auto horizontal = integers.at(kHorizontal);
    double sign = 1.0;
    if (vertical && (*vertical == 0.0 || *vertical == 180.0)) {
        trace.code = *vertical == 0.0 ? "UP" : "DOWN";
        trace.azimuth = 0.0;
        trace.dip = -90.0;
        channel.position = 2;
        if (*vertical == 180.0) {
            sign = -1.0;
            trace.notes.push_back(std::string(file) +
                                  ": the vertical was recorded pointing down; its sign is turned "
                                  "to up");
        }
    } else if (horizontal && *horizontal >= 0.0 && *horizontal <= 360.0) {
        const double azimuth = *horizontal == 360.0 ? 0.0 : *horizontal;
        trace.code = std::to_string(static_cast<long long>(*horizontal));
        trace.azimuth = azimuth;
        trace.dip = 0.0;
        channel.position = azimuth == 0.0 ? 0 : azimuth == 90.0 ? 1 : -1;
    } else {
        fail_at_line(file, integers.line + 1,
                     "the orientation (integers 13 and 14) is neither up, down nor an azimuth");
    }
    trace.component = plain_word(*trace.code, "SMC");
    trace.dt = 1.0 / *rate;
    trace.start_us = smc_start_of(integers);
    trace.quantity = Quantity::acceleration;
    trace.units = std::string(quantity_units(Quantity::acceleration));
    FixedLayout data{8, 10, 0, false};
    trace.samples = read_fixed_values(file, lines, data, static_cast<std::size_t>(*count));
    for (double& value : trace.samples) value *= sign;
    while (auto line = lines.next()) {
        if (!trim(*line).empty()) {
            fail_at_line(file, lines.number(),
                         "more than the " + std::to_string(static_cast<long long>(*count)) +
                             " samples the integer header counts");
        }
    }
    return channel;
}

}  // namespace wavespec::formats
