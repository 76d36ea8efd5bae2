// response.svg drawn straight from a run's response spectra (plot DIR draws the same picture
// from response.csv instead).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "response/response_spectra.hpp"

namespace wavespec::plot {

// PSA = omega^2 Sd of the three components and RotD50, at each damping and period.
std::string response_spectra_svg(const response::ResponseSpectra& spectra,
                                 const std::vector<double>& periods,
                                 const std::vector<double>& dampings,
                                 const std::array<std::string, 3>& names,
                                 const std::string& record);

}  // namespace wavespec::plot
