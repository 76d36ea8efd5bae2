// hv.svg and hv-azimuth.svg drawn straight from a run's H/V of ambient noise (plot DIR draws
// the same pictures from the files instead).
#pragma once

#include <string>

#include "smoothing/noise_hv.hpp"

namespace wavespec::plot {

// The kept and rejected windows, the mean with its sigma_A band and f0; `settings` is the
// title's description of how the curves were made.
std::string noise_hv_svg(const smoothing::NoiseHv& noise, const std::string& record,
                         const std::string& settings);

// The mean curve of each azimuth and its f0.
std::string noise_hv_azimuth_svg(const smoothing::NoiseHv& noise, const std::string& record);

}  // namespace wavespec::plot
