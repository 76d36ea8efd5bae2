#include "plot/noise_hv_pictures.hpp"

#include <cmath>
#include <vector>

#include "plot/hv_picture.hpp"

namespace wavespec::plot {

std::string noise_hv_svg(const smoothing::NoiseHv& noise, const std::string& record,
                         const std::string& settings) {
    std::size_t n = noise.frequency.size();
    std::vector<double> upper(n), lower(n);
    for (std::size_t k = 0; k < n; ++k) {
        double sigma_a = smoothing::sigma_a(noise.statistics.sigma_ln[k]);
        upper[k] = noise.statistics.mean[k] * sigma_a;
        lower[k] = noise.statistics.mean[k] / sigma_a;
    }
    HvPicture picture{.record = record,
                      .smoothing = settings,
                      .frequency = noise.frequency,
                      .mean = noise.statistics.mean,
                      .lower = lower,
                      .upper = upper,
                      .windows = {},
                      .rejected = {},
                      .f0 = std::nullopt,
                      .f0_spread = noise.peak_spread.deviation};
    for (std::size_t w = 0; w < noise.windows.size(); ++w) {
        (noise.kept[w] ? picture.windows : picture.rejected).push_back(noise.windows[w]);
    }
    if (noise.report) picture.f0 = HvPeak{noise.report->f0, noise.report->a0};
    return hv_svg(picture);
}

std::string noise_hv_azimuth_svg(const smoothing::NoiseHv& noise, const std::string& record) {
    HvAzimuthPicture picture{
        .record = record, .frequency = noise.frequency, .azimuth = {}, .mean = {}, .f0 = {}};
    for (const smoothing::AzimuthHv& a : noise.azimuths) {
        picture.azimuth.push_back(a.azimuth);
        picture.mean.push_back(a.statistics.mean);
        picture.f0.push_back(a.peak ? noise.frequency[*a.peak] : NAN);
    }
    return hv_azimuth_svg(picture);
}

}  // namespace wavespec::plot
