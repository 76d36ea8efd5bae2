// The text of hv-summary.txt: how the H/V curves of ambient noise were made, the window
// rejection, f0 and A0, and the verdict of each reliability and clarity criterion of the
// mean curve's peak. Pure text from the results; writing it is the caller's.
#pragma once

#include <string>

#include "smoothing/noise_hv.hpp"

namespace wavespec::smoothing {

// The settings a reader needs to repeat the curves: windows, taper, smoothing, mean. Also the
// title of hv.svg.
std::string hv_settings_text(const NoiseHv& noise, const NoiseHvSettings& settings);

// The whole summary; the noise must have its report (an f0 range holding a grid frequency).
std::string hv_report_text(const NoiseHv& noise, const NoiseHvSettings& settings);

}  // namespace wavespec::smoothing
