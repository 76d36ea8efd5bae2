#include "formats/geonet_reader.hpp"

#include <cmath>

#include "formats/agency_text.hpp"
#include "formats/calendar.hpp"
#include "formats/fixed_fields.hpp"

namespace wavespec::formats {
namespace {

constexpr std::size_t kGeonetTextLines = 16, kGeonetIntegers = 40, kGeonetReals = 60;
// Places in the integer and real headers (counted from 0).
constexpr std::size_t kGeonetYear = 8, kGeonetMonth = 9, kGeonetDay = 18, kGeonetHour = 19,
                      kGeonetMinute = 38, kMilliseconds = 39, kDigitised = 30, kPrepended = 31,
                      kAccelerations = 33, kVelocities = 34, kDisplacements = 35;
constexpr std::size_t kInterval = 25;
constexpr double kMillimetresPerCentimetre = 10.0;

bool is_v1(std::string_view first) {
    return first.find("Uncorrected accelerogram") != std::string_view::npos;
}

std::string_view second_word(std::string_view line) {
    auto words = split_words(line);
    return words.size() >= 2 ? words[1] : std::string_view();
}

std::size_t count_at(std::string_view file, const std::vector<double>& integers, std::size_t i,
                     std::int64_t line) {
    double value = integers[i];
    if (!(value >= 0.0) || value > 1e9) {
        fail_at_line(file, line, "integer " + std::to_string(i + 1) + " is not a count of samples");
    }
    return static_cast<std::size_t>(value);
}

FileTrace read_component(std::string_view file, TextLines& lines, Quantity wanted) {
    const std::int64_t first_line = lines.number() + 1;
    std::vector<std::string_view> text;
    while (text.size() < kGeonetTextLines) {
        auto line = lines.next();
        if (!line) fail_at_line(file, lines.number(), "the file ends inside a text heading");
        text.push_back(*line);
    }
    const bool v1 = is_v1(text[0]);
    const std::int64_t integer_line = lines.number() + 1;
    std::vector<double> integers =
        read_fixed_values(file, lines, *fixed_layout_named("(10I8)"), kGeonetIntegers);
    const std::int64_t real_line = lines.number() + 1;
    std::vector<double> reals =
        read_fixed_values(file, lines, *fixed_layout_named("(10F8.0)"), kGeonetReals);
    FileTrace trace;
    trace.format = v1 ? "geonet-v1a" : "geonet-v2a";
    trace.network = "NZ";
    trace.station = std::string(second_word(text[1]));
    std::string_view component = second_word(text[12]);
    trace.code = std::string(component);
    trace.component = plain_word(component, "GEONET");
    double sign = 1.0;
    if (component == "UP" || component == "DOWN") {
        trace.azimuth = 0.0;
        trace.dip = -90.0;
        if (component == "DOWN") {
            sign = -1.0;
            trace.notes.push_back(std::string(file) + ": the vertical " +
                                  "was recorded pointing down; its sign is turned to up");
        }
    } else if (auto azimuth = compass_azimuth(component)) {
        trace.azimuth = *azimuth;
        trace.dip = 0.0;
    } else {
        fail_at_line(file, first_line + 12,
                     "component " + quoted(component) + " is neither UP, DOWN nor like N28E");
    }
    if (!(reals[kInterval] > 0.0)) {
        fail_at_line(file, real_line + 2, "the sampling interval (real 26) is not positive");
    }
    trace.dt = reals[kInterval];
    // Velocity and displacement follow the acceleration in V2A; V1A holds acceleration alone.
    std::array<std::size_t, 3> counts = {
        count_at(file, integers, v1 ? kDigitised : kAccelerations, integer_line + 3), 0, 0};
    if (!v1) {
        counts[1] = count_at(file, integers, kVelocities, integer_line + 3);
        counts[2] = count_at(file, integers, kDisplacements, integer_line + 3);
    }
    FixedLayout data{10, 8, 0, false};
    for (std::size_t q = 0; q < 3; ++q) {
        if (counts[q] == 0) continue;
        std::vector<double> values = read_fixed_values(file, lines, data, counts[q]);
        if (static_cast<Quantity>(q) == wanted) trace.samples = std::move(values);
    }
    if (trace.samples.empty()) {
        fail(file, "the file holds no " + std::string(quantity_name(wanted)) + " (--quantity)");
    }
    for (double& value : trace.samples) value = sign * value / kMillimetresPerCentimetre;
    trace.quantity = wanted;
    trace.units = std::string(quantity_units(wanted));
    // The buffer's start is its first digitised sample; the zeros prepended come before it.
    const double prepended = v1 ? 0.0 : integers[kPrepended] > 0.0 ? integers[kPrepended] : 0.0;
    const double appended = v1                               ? 0.0
                            : integers[kPrepended + 1] > 0.0 ? integers[kPrepended + 1]
                                                             : 0.0;
    if (prepended > 0.0 || appended > 0.0) {
        trace.notes.push_back(std::string(file) + ": " + trace.component + ": the " +
                              std::to_string(static_cast<long long>(prepended)) + " and " +
                              std::to_string(static_cast<long long>(appended)) +
                              " zeros padded before and after are kept as samples");
    }
    const double milliseconds = integers[kMilliseconds];
    auto year = small_int(integers[kGeonetYear]), month = small_int(integers[kGeonetMonth]);
    auto day = small_int(integers[kGeonetDay]), hour = small_int(integers[kGeonetHour]);
    auto minute = small_int(integers[kGeonetMinute]);
    if (milliseconds >= 0.0 && milliseconds < 61000.0 && year && month && day && hour && minute) {
        const auto whole = static_cast<int>(milliseconds / 1000.0);
        auto start = utc_microseconds(
            {*year, *month, *day, *hour, *minute, whole,
             static_cast<std::int64_t>(std::llround(milliseconds * 1000.0)) - whole * 1000000LL});
        const double before = prepended * trace.dt;  // s; more than a year is no padding
        if (start && before < 3.2e7) trace.start_us = *start - std::llround(before * 1e6);
    }
    return trace;
}

}  // namespace

bool looks_like_geonet(std::string_view bytes) {
    TextLines lines(bytes);
    auto first = lines.next();
    return first && first->find("GNS Science") != std::string_view::npos &&
           (first->find("Corrected accelerogram") != std::string_view::npos ||
            first->find("Uncorrected accelerogram") != std::string_view::npos);
}

std::array<FileTrace, 3> read_geonet(std::string_view file, std::string_view bytes,
                                     Quantity quantity) {
    TextLines lines(bytes);
    std::array<FileTrace, 3> traces;
    for (FileTrace& trace : traces) trace = read_component(file, lines, quantity);
    while (auto line = lines.next()) {
        if (!trim(*line).empty()) {
            fail_at_line(file, lines.number(), "more than the three components' values");
        }
    }
    const auto& first = traces[0];
    if (first.dt != traces[1].dt || first.dt != traces[2].dt) {
        fail(file, "the components' sampling intervals differ");
    }
    return traces;
}

}  // namespace wavespec::formats
