// Readers of the smoothing files a run leaves behind, for drawing them afterwards:
// smoothed.csv and hv.csv. They read text already in memory and throw ReadError naming the
// line of the first fault.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::plot {

// smoothed.csv: "frequency(Hz),NAME,NAME,NAME,H/V" then five numbers a row.
struct SmoothedTable {
    std::array<std::string, 3> names;
    std::vector<double> frequency;
    std::array<std::vector<double>, 3> smoothed;
};
SmoothedTable read_smoothed_spectra(std::string_view text);

// hv.csv: frequency, mean, sigma_ln, mean*sigma_A, mean/sigma_A, then one column a window,
// headed windowK, or windowK(rejected) for a window the rejection left out.
struct HvTable {
    std::vector<double> frequency, mean, upper, lower;
    std::vector<std::vector<double>> windows;
    std::vector<bool> rejected;  // per window
};
HvTable read_hv_curves(std::string_view text);

// From hv-summary.txt: the settings line, f0 and A0 ("f0 = X Hz, A0 = Y") and sigma_f (the
// standard deviation of the window peaks, 0 when the summary gives none). Nothing when the
// text holds no f0 line.
struct HvSummary {
    std::string settings;
    double f0 = 0.0, a0 = 0.0, f0_spread = 0.0;
};
std::optional<HvSummary> read_hv_summary(std::string_view text);

}  // namespace wavespec::plot
