#include "formats/knet_reader.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <span>

#include "formats/stationxml_time.hpp"

namespace wavespec::formats {
namespace {

constexpr std::array<std::string_view, 17> kLabels = {"Origin Time",
                                                      "Lat.",
                                                      "Long.",
                                                      "Depth. (km)",
                                                      "Mag.",
                                                      "Station Code",
                                                      "Station Lat.",
                                                      "Station Long.",
                                                      "Station Height(m)",
                                                      "Record Time",
                                                      "Sampling Freq(Hz)",
                                                      "Duration Time(s)",
                                                      "Dir.",
                                                      "Scale Factor",
                                                      "Max. Acc. (gal)",
                                                      "Last Correction",
                                                      "Memo."};
constexpr int kStationLine = 6, kPeakLine = 15, kRecordTimeLine = 10, kFrequencyLine = 11,
              kDurationLine = 12, kDirectionLine = 13, kScaleLine = 14;
constexpr std::size_t kCountsPerLine = 8;

struct Scale {
    double numerator = 0.0;
    double denominator = 0.0;
};

// "3920(gal)/6182761": gal = count * 3920 / 6182761.
Scale parse_scale(std::string_view file, std::string_view text) {
    std::size_t unit = text.find("(gal)/");
    if (unit == std::string_view::npos) {
        fail_at_line(
            file, kScaleLine,
            "Scale Factor '" + std::string(text) + "' is not written like 3920(gal)/6182761");
    }
    auto numerator = parse_real_token(trim(text.substr(0, unit)));
    auto denominator = parse_real_token(trim(text.substr(unit + 6)));
    if (!numerator || !denominator) {
        fail_at_line(file, kScaleLine, "Scale Factor '" + std::string(text) + "' is unreadable");
    }
    if (*numerator == 0.0 || *denominator == 0.0) {
        fail_at_line(file, kScaleLine, "Scale Factor '" + std::string(text) + "' is zero");
    }
    return {*numerator, *denominator};
}

double parse_frequency(std::string_view file, std::string_view text) {
    std::string_view number = text;
    if (number.ends_with("Hz")) number.remove_suffix(2);
    auto value = parse_real_token(trim(number));
    if (!value || *value <= 0.0) {
        fail_at_line(file, kFrequencyLine,
                     "Sampling Freq(Hz) '" + std::string(text) + "' is not a frequency like 100Hz");
    }
    return *value;
}

void parse_direction(std::string_view file, std::string_view text, KnetTrace& result) {
    static constexpr std::array<std::string_view, 3> kDirectionNames = {"N-S", "E-W", "U-D"};
    static constexpr std::array<std::string_view, 6> kChannelNames = {"NS1", "EW1", "UD1",
                                                                      "NS2", "EW2", "UD2"};
    for (int i = 0; i < 3; ++i) {
        if (text == kDirectionNames[i]) {
            result.position = i;
            result.site = 0;
            result.trace.component = std::string(kDirectionNames[i]);
            return;
        }
    }
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '6') {
        int channel = text[0] - '0';
        result.position = (channel - 1) % 3;
        result.site = channel <= 3 ? 1 : 2;
        result.trace.component = std::string(kChannelNames[channel - 1]);
        return;
    }
    fail_at_line(file, kDirectionLine,
                 "Dir. '" + std::string(text) + "' is not N-S, E-W, U-D or a channel 1 to 6");
}

// The components' orientation by the position in the set, the station and the stated peak.
void describe_trace(std::string_view station, std::string_view peak, KnetTrace& result) {
    FileTrace& trace = result.trace;
    trace.format = "knet";
    trace.station = std::string(station);
    trace.quantity = Quantity::acceleration;
    trace.units = std::string(quantity_units(Quantity::acceleration));
    trace.code = trace.component;
    trace.azimuth = result.position == 1 ? 90.0 : 0.0;
    trace.dip = result.position == 2 ? -90.0 : 0.0;
    if (auto value = parse_real_token(peak)) {
        trace.stated.push_back(
            {trace.component, "acceleration", *value, std::nullopt, trace.units});
    }
}

// Record Time is Japan Standard Time (UTC+9), and the loggers write the time of their trigger,
// 15 s after the first sample of the pre-event memory.
constexpr std::int64_t kPretriggerUs = 15'000'000;

std::optional<std::int64_t> first_sample_time(std::string_view text) {
    if (text.size() != 19 || text[4] != '/' || text[7] != '/' || text[10] != ' ') {
        return std::nullopt;
    }
    std::string iso(text);
    iso[4] = iso[7] = '-';
    iso[10] = 'T';
    auto record_time = parse_iso_time(iso + "+09:00");
    if (!record_time) return std::nullopt;
    return *record_time - kPretriggerUs;
}

}  // namespace

bool looks_like_knet(std::string_view bytes) {
    return bytes.starts_with(kLabels[0]);
}

KnetTrace read_knet(std::string_view file, std::string_view bytes, bool keep_offset) {
    KnetTrace result;
    TextLines lines(bytes);
    std::array<std::string_view, kLabels.size()> values;
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        auto line = lines.next();
        std::int64_t number = static_cast<std::int64_t>(i) + 1;
        if (!line) {
            fail_at_line(
                file, number,
                "the file ends inside the header (" + std::string(kLabels[i]) + " expected)");
        }
        if (!line->starts_with(kLabels[i])) {
            fail_at_line(file, number, "header field " + std::string(kLabels[i]) + " missing");
        }
        values[i] = trim(line->substr(kLabels[i].size()));
    }
    double frequency = parse_frequency(file, values[kFrequencyLine - 1]);
    auto duration = parse_real_token(values[kDurationLine - 1]);
    if (!duration || *duration < 0.0) {
        fail_at_line(
            file, kDurationLine,
            "Duration Time(s) '" + std::string(values[kDurationLine - 1]) + "' is unreadable");
    }
    parse_direction(file, values[kDirectionLine - 1], result);
    Scale scale = parse_scale(file, values[kScaleLine - 1]);
    result.start_us = first_sample_time(values[kRecordTimeLine - 1]);
    result.trace.dt = 1.0 / frequency;
    describe_trace(values[kStationLine - 1], values[kPeakLine - 1], result);

    std::vector<double>& samples = result.trace.samples;
    std::int64_t short_line = 0;  // a line with fewer than 8 counts: only the last may have one
    while (auto line = lines.next()) {
        // One more slot than a line may fill, to see a line that holds too many.
        std::array<std::string_view, kCountsPerLine + 1> slots;
        std::size_t filled = 0;
        Words cursor(*line);
        while (filled < slots.size()) {
            auto word = cursor.next();
            if (!word) break;
            slots[filled++] = *word;
        }
        std::span<const std::string_view> words(slots.data(), filled);
        if (words.empty()) {
            if (short_line == 0) short_line = lines.number();
            continue;
        }
        if (short_line != 0) {
            fail_at_line(file, short_line, "a line of fewer than 8 counts before the last line");
        }
        if (words.size() > kCountsPerLine) {
            fail_at_line(file, lines.number(), "more than 8 counts on a line");
        }
        if (words.size() < kCountsPerLine) short_line = lines.number();
        for (std::string_view word : words) {
            std::string_view digits = word.starts_with('+') ? word.substr(1) : word;
            std::int64_t count = 0;
            auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), count);
            if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
                digits.front() == '+') {
                fail_at_line(file, lines.number(), quoted(word) + " is not an integer count");
            }
            samples.push_back(static_cast<double>(count) * scale.numerator / scale.denominator);
            if (!std::isfinite(samples.back())) {
                fail_at_line(file, lines.number(), quoted(word) + " scaled is not a finite number");
            }
        }
    }
    if (samples.empty()) fail(file, "no counts after the header");
    // The header's duration must match the counts to within a second: more or fewer means a
    // cut or padded file.
    double expected = *duration * frequency;
    double count = static_cast<double>(samples.size());
    if (std::fabs(count - expected) > frequency) {
        fail_at_line(file, lines.number(),
                     std::to_string(samples.size()) + " counts, but Duration Time(s) " +
                         std::string(values[kDurationLine - 1]) + " at " +
                         shortest_text(frequency) + " Hz means " + shortest_text(expected));
    }
    if (!keep_offset) {
        double sum = 0.0;
        for (double v : samples) sum += v;
        double mean = sum / count;
        if (!std::isfinite(mean))
            fail(file, "the mean of the scaled counts is not a finite number");
        for (double& v : samples) v -= mean;
    }
    return result;
}

}  // namespace wavespec::formats
