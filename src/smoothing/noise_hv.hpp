// H/V of ambient noise as the field computes it: for each window, the horizontals' raw
// amplitude spectra combined into H bin by bin, H and |V| smoothed alike, their ratio; then
// the windows' peaks, their rejection, the lognormal statistics over the kept windows, the
// criteria of the mean curve's peak, and optionally the same over rotated horizontals.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "smoothing/hv_ratio.hpp"
#include "smoothing/hv_statistics.hpp"
#include "smoothing/spectral_smoothing.hpp"

namespace wavespec::smoothing {

struct NoiseHvSettings {
    SmoothingWindow window;
    HorizontalMean mean = HorizontalMean::geometric;
    CentreChoice centres;
    std::size_t window_samples = 0;      // at least 2
    double taper_fraction = 0.1;         // of each window
    double low = 0.0, high = 1e300;      // the f0 search range, Hz
    std::optional<double> reject;        // standard deviations of the window rejection
    std::optional<double> azimuth_step;  // degrees, dividing 180
    unsigned threads = 1;
};

struct AzimuthHv {
    double azimuth = 0.0;  // degrees from component 1 toward component 2
    HvStatistics statistics;
    std::optional<std::size_t> peak;  // of the mean curve within the f0 range
};

// A window whose smoothed H or V is zero or not finite at a grid frequency: its H/V, and the
// logarithm the statistics take of it, have no value there.
struct SilentWindow {
    std::size_t window = 0;  // counted from 0
    bool horizontal = false;
    double frequency = 0.0;
    double value = 0.0;
    std::optional<double> azimuth;  // degrees, for a rotated H
};

struct NoiseHv {
    double window_seconds = 0.0;
    std::size_t window_samples = 0;
    std::vector<double> frequency;             // the grid of the curves
    std::vector<std::vector<double>> windows;  // each window's H/V on the grid
    std::vector<bool> kept;                    // the windows the rejection kept
    std::size_t rejection_rounds = 0;
    // Each window's peak frequency within [max(low, 10/l_w), high]; empty when that range
    // holds no grid frequency.
    std::vector<double> window_peaks;
    Spread peak_spread;  // of the kept windows' peak frequencies
    HvStatistics statistics;
    std::optional<SesameReport> report;  // nothing when the f0 range holds no grid frequency
    std::vector<AzimuthHv> azimuths;
    // The first silent window met, looking at V of every window, then H, then each rotated H;
    // when there is one, nothing after it is computed.
    std::optional<SilentWindow> silent;
    std::size_t kept_count() const;
};

// The windows of the three series (1, 2 horizontal; 3 vertical), sampled every dt. No
// windows at all when the series hold fewer than window_samples.
NoiseHv noise_hv(std::array<std::span<const double>, 3> series, double dt,
                 const NoiseHvSettings& settings);

}  // namespace wavespec::smoothing
