// The options of "wavespec process" that ask for smoothed spectra and the H/V ratio:
// --smooth, --smooth-points, --frequencies, --hv, --hv-windows, --hv-taper, --hv-range,
// --hv-reject and --hv-azimuths.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_parser.hpp"
#include "smoothing/hv_ratio.hpp"
#include "smoothing/spectral_smoothing.hpp"

namespace wavespec::cli {

inline constexpr KnownOption kSmoothingOptions[] = {
    {"smooth", 0, true},     {"smooth-points", 0, true}, {"hv", 0, true},
    {"hv-windows", 0, true}, {"frequencies", 0, true},   {"hv-taper", 0, true},
    {"hv-range", 0, true},   {"hv-reject", 0, true},     {"hv-azimuths", 0, true},
};

// Two option tables as one.
template <std::size_t A, std::size_t B>
constexpr std::array<KnownOption, A + B> joined_options(const KnownOption (&a)[A],
                                                        const KnownOption (&b)[B]) {
    std::array<KnownOption, A + B> all{};
    for (std::size_t i = 0; i < A; ++i) all[i] = a[i];
    for (std::size_t i = 0; i < B; ++i) all[A + i] = b[i];
    return all;
}

struct SmoothingOptions {
    std::optional<smoothing::SmoothingWindow> window;  // --smooth; smoothed.csv when given
    int points_per_decade = 100;                       // of the log-spaced grid
    bool points_given = false;                         // --smooth-points
    bool at_bins = false;                              // --smooth-points=bins
    std::vector<double> frequencies;                   // --frequencies: the grid, when given
    smoothing::HorizontalMean mean = smoothing::HorizontalMean::geometric;
    bool mean_given = false;                  // --hv
    std::optional<double> hv_window_seconds;  // --hv-windows; hv.csv and hv-summary.txt
    double hv_taper = 0.1;                    // --hv-taper
    bool hv_taper_given = false;
    std::optional<std::array<double, 2>> hv_range;  // --hv-range: where f0 is searched, Hz
    std::optional<double> hv_reject;                // --hv-reject: standard deviations
    std::optional<double> hv_azimuth_step;          // --hv-azimuths: degrees
    // The noise windows' own smoothing, asked without smoothed.csv (Python's hv()); the
    // command line has none and smooths them with --smooth's window.
    std::optional<smoothing::SmoothingWindow> hv_window;

    // Where smoothed values are given: --frequencies, or --smooth-points over the bins.
    smoothing::CentreChoice centres() const {
        return {.fixed = frequencies, .at_bins = at_bins, .points_per_decade = points_per_decade};
    }

    // The window the noise windows are smoothed with: their own, --smooth's, or
    // Konno-Ohmachi B = 40.
    smoothing::SmoothingWindow window_or_default() const {
        return hv_window.value_or(window.value_or(smoothing::SmoothingWindow{}));
    }
};

// Takes one of these options into options; false for any other name. Throws
// UsageError for a value it refuses.
bool take_smoothing_option(std::string_view name, const std::string& value,
                           SmoothingOptions& options);

// "FROM:TO:COUNT": COUNT log-spaced frequencies from FROM to TO (the rows of `name` in the
// table of bounds), refused with a UsageError naming the option.
std::vector<double> parse_frequencies(std::string_view name, const std::string& value);

// Refuses (UsageError) options that mean nothing without --smooth or --hv-windows.
void check_smoothing_options(const SmoothingOptions& options);

}  // namespace wavespec::cli
