// The values of process's response-spectra options: the periods (a list, or FROM:TO:COUNT
// spaced evenly in their logarithm) and the dampings. Refused with a UsageError naming the
// option: a period that is not positive and finite, a damping outside (0, 1).
#pragma once

#include <string_view>
#include <vector>

namespace wavespec::cli {

inline constexpr double kDefaultFirstPeriod = 0.01;  // s
inline constexpr double kDefaultLastPeriod = 10.0;   // s
inline constexpr int kDefaultPeriodCount = 100;
inline constexpr double kDefaultDamping = 0.05;
inline constexpr int kMostPeriods = 10000;

std::vector<double> parse_periods(std::string_view option, std::string_view text);
std::vector<double> parse_dampings(std::string_view option, std::string_view text);

}  // namespace wavespec::cli
