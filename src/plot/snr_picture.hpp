// The picture of the signal-to-noise ratio that chose the filter corners (snr.svg) as SVG
// text; a pure function.
#pragma once

#include <array>
#include <span>
#include <string>

namespace wavespec::plot {

struct SnrPicture {
    std::string record;
    std::array<std::string, 3> names;
    std::span<const double> frequency;  // Hz, the smoothing grid
    std::array<std::span<const double>, 3> signal, noise, snr;
    double threshold = 0.0;
    std::array<std::array<double, 2>, 3> corners{};  // each component's high-pass, low-pass, Hz
};

std::string snr_svg(const SnrPicture& picture);

}  // namespace wavespec::plot
