// The texts of smoothed.csv, hv.csv and hv-azimuth.csv from the smoothing's results: numbers
// in their shortest form, LF line ends. Writing them is the caller's.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "smoothing/noise_hv.hpp"

namespace wavespec::smoothing {

// frequency(Hz), the three components under their names, and H/V, a row a centre.
std::string smoothed_table_text(std::span<const double> frequency,
                                const std::array<std::vector<double>, 3>& smoothed,
                                std::span<const double> hv,
                                const std::array<std::string, 3>& names);

// The mean curve, sigma_ln, the mean times and over sigma_A, then each window's curve (headed
// windowK, or windowK(rejected)).
std::string hv_table_text(const NoiseHv& noise);

// azimuth(deg), frequency(Hz), mean and sigma_ln of each azimuth's curve.
std::string hv_azimuth_table_text(const NoiseHv& noise);

}  // namespace wavespec::smoothing
