#include "cli/response_options.hpp"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "cli/option_parser.hpp"
#include "response/response_spectra.hpp"

namespace wavespec::cli {
namespace {

[[noreturn]] void refuse(std::string_view option, std::string_view text, std::string_view why) {
    throw UsageError("invalid value '" + std::string(text) + "' for --" + std::string(option) +
                     ": " + std::string(why));
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

bool read_number(std::string_view text, double& value) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    return !text.empty() && ec == std::errc() && ptr == end;
}

double period_of(std::string_view option, std::string_view whole, std::string_view part) {
    double value = 0.0;
    if (!read_number(part, value) || !std::isfinite(value) || !(value > 0.0)) {
        refuse(option, whole, "a period must be a positive finite number of seconds");
    }
    return value;
}

}  // namespace

std::vector<double> parse_periods(std::string_view option, std::string_view text) {
    if (text.find(':') != std::string_view::npos) {
        std::vector<std::string_view> parts = split(text, ':');
        if (parts.size() != 3) refuse(option, text, "expected FROM:TO:COUNT or a list");
        double first = period_of(option, text, parts[0]);
        double last = period_of(option, text, parts[1]);
        int count = 0;
        const char* end = parts[2].data() + parts[2].size();
        auto [ptr, ec] = std::from_chars(parts[2].data(), end, count);
        if (parts[2].empty() || ec != std::errc() || ptr != end || count < 2 ||
            count > kMostPeriods) {
            refuse(option, text,
                   "COUNT must be a whole number from 2 to " + std::to_string(kMostPeriods));
        }
        return response::log_spaced(first, last, count);
    }
    std::vector<double> periods;
    for (std::string_view part : split(text, ',')) periods.push_back(period_of(option, text, part));
    if (periods.size() > static_cast<std::size_t>(kMostPeriods)) {
        refuse(option, text, "at most " + std::to_string(kMostPeriods) + " periods");
    }
    return periods;
}

std::vector<double> parse_dampings(std::string_view option, std::string_view text) {
    std::vector<double> dampings;
    for (std::string_view part : split(text, ',')) {
        double value = 0.0;
        if (!read_number(part, value) || !(value > 0.0 && value < 1.0)) {
            refuse(option, text, "a damping must lie between 0 and 1 (fractions of critical)");
        }
        dampings.push_back(value);
    }
    if (dampings.size() > 100) refuse(option, text, "at most 100 dampings");
    return dampings;
}

}  // namespace wavespec::cli
