// The H/V picture of ambient-noise windows as SVG text: the lognormal mean curve, its band
// of one sigma, the windows' own curves in a light colour and the peak f0 marked.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace wavespec::plot {

struct HvPicture {
    std::string record;                 // for the title
    std::string smoothing;              // e.g. "Konno-Ohmachi B=40", for the title
    std::span<const double> frequency;  // Hz
    std::span<const double> mean;       // the mean curve A(f)
    std::span<const double> lower;      // A / sigma_A
    std::span<const double> upper;      // A sigma_A
    std::vector<std::span<const double>> windows;
};

std::string hv_svg(const HvPicture& picture);

}  // namespace wavespec::plot
