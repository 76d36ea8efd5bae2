// The H/V pictures of ambient-noise windows as SVG text. hv.svg: every kept window's curve
// thin and grey, the rejected ones thin in another colour, the lognormal mean thick, mean
// e^(+-sigma) dashed, f0 with its spread as a shaded band, and the settings in the title.
// hv-azimuth.svg: the mean H/V at each azimuth against log frequency as colour, each azimuth's
// f0 marked.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wavespec::plot {

struct HvPeak {
    double f0 = 0.0;  // Hz
    double a0 = 0.0;
};

struct HvPicture {
    std::string record;                             // for the title
    std::string smoothing;                          // the settings, e.g. "30 windows of 60 s, ..."
    std::span<const double> frequency;              // Hz
    std::span<const double> mean;                   // the mean curve A(f)
    std::span<const double> lower;                  // A / sigma_A
    std::span<const double> upper;                  // A sigma_A
    std::vector<std::span<const double>> windows;   // kept
    std::vector<std::span<const double>> rejected;  // rejected by the window rejection
    std::optional<HvPeak> f0;                       // the mean curve's peak
    double f0_spread = 0.0;                         // sigma_f, Hz: the band f0 -+ sigma_f
};

std::string hv_svg(const HvPicture& picture);

struct HvAzimuthPicture {
    std::string record;
    std::span<const double> frequency;          // Hz
    std::vector<double> azimuth;                // degrees, rising
    std::vector<std::span<const double>> mean;  // one curve per azimuth
    std::vector<double> f0;                     // per azimuth, Hz; NaN: none
};

std::string hv_azimuth_svg(const HvAzimuthPicture& picture);

}  // namespace wavespec::plot
