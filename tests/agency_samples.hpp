// Sample files of the agencies' text formats, written by the tests from the formats' public
// descriptions: each header field where the description puts it, values chosen so that each
// converted sample is known exactly.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace wavespec::samples {

// An ESM ASCII file of one stream: the header lines in the database's order, `changes`
// replacing a key's value (or, with the value "<none>", leaving its line out), then the values'
// lines as given.
inline std::string esm_text(const std::string& stream, const std::vector<std::string>& value_lines,
                            const std::vector<std::pair<std::string, std::string>>& changes = {}) {
    std::vector<std::pair<std::string, std::string>> header = {
        {"EVENT_NAME", "CENTRAL ITALY"},
        {"EVENT_ID", "IT-2016-0001"},
        {"EVENT_DATE_YYYYMMDD", "20161030"},
        {"EVENT_TIME_HHMMSS", "064017"},
        {"EVENT_LATITUDE_DEGREE", "42.8322"},
        {"EVENT_LONGITUDE_DEGREE", "13.1107"},
        {"EVENT_DEPTH_KM", "9.2"},
        {"MAGNITUDE_W", "6.5"},
        {"NETWORK", "IT"},
        {"STATION_CODE", "ACC"},
        {"STATION_NAME", "ACCUMOLI"},
        {"LOCATION", ""},
        {"EPICENTRAL_DISTANCE_KM", "24.6"},
        {"DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS", "20161030_064004.250"},
        {"DATE_TIME_FIRST_SAMPLE_PRECISION", "milliseconds"},
        {"SAMPLING_INTERVAL_S", "0.005000"},
        {"NDATA", std::to_string(value_lines.size())},
        {"DURATION_S", std::to_string(value_lines.size() * 5 / 1000) + "." +
                           std::to_string(value_lines.size() * 5 % 1000 + 1000).substr(1)},
        {"STREAM", stream},
        {"UNITS", "cm/s^2"},
        {"INSTRUMENT", "HN"},
        {"PGA_CM/S^2", "-4.500000"},
        {"TIME_PGA_S", "0.010000"},
        {"BASELINE_CORRECTION", "BASELINE REMOVED"},
        {"FILTER_TYPE", "BUTTERWORTH"},
        {"FILTER_ORDER", "2"},
        {"LOW_CUT_FREQUENCY_HZ", "0.050"},
        {"HIGH_CUT_FREQUENCY_HZ", "30.000"},
        {"DATA_TYPE", "ACCELERATION"},
        {"PROCESSING", "manual"},
        {"USER1", ""},
    };
    for (const auto& [key, value] : changes) {
        bool found = false;
        for (auto& field : header) {
            if (field.first == key) {
                field.second = value;
                found = true;
            }
        }
        if (!found) header.emplace_back(key, value);
    }
    std::string text;
    for (const auto& [key, value] : header) {
        if (value != "<none>") text += key + ": " + value + "\n";
    }
    for (const std::string& line : value_lines) text += line + "\n";
    return text;
}

// The values of the ESM samples: small multiples of 1/8, each exact in decimal and binary.
inline std::vector<std::string> esm_value_lines(int c, std::size_t n) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < n; ++i) {
        long eighths = static_cast<long>((i * 7 + static_cast<std::size_t>(c) * 3) % 41) - 20;
        std::string text = std::to_string(eighths / 8.0);  // "%f": six decimals, exact here
        lines.push_back(text);
    }
    return lines;
}

}  // namespace wavespec::samples
