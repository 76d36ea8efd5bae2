// The values of process's response-spectra options: the periods (a list, or FROM:TO:COUNT
// spaced evenly in their logarithm) and the dampings, each within its row of the bounds
// table (cli/option_bounds.hpp), none twice; refused with a UsageError naming the option.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "response/response_spectra.hpp"

namespace wavespec::cli {

inline constexpr double kDefaultFirstPeriod = 0.01;  // s
inline constexpr double kDefaultLastPeriod = 10.0;   // s
inline constexpr int kDefaultPeriodCount = 100;
inline constexpr double kDefaultDamping = 0.05;

std::vector<double> parse_periods(std::string_view option, std::string_view text);
std::vector<double> parse_dampings(std::string_view option, std::string_view text);
// Why a record of nt samples dt seconds apart cannot have the response spectra these options ask
// for, if it cannot: a period below dt / 1000 (its step would leave the oscillator's exact
// range), or, straight lines between samples, more oscillator steps than the ceiling.
std::optional<std::string> response_record_problem(std::span<const double> periods,
                                                   std::size_t dampings,
                                                   response::Convention convention, double nt,
                                                   double dt);

// band-limited or piecewise-linear.
response::Convention parse_oscillator(std::string_view option, std::string_view text);

}  // namespace wavespec::cli
