// The smoothing as every centre summing every bin, timed beside the library's.
#pragma once

#include <span>
#include <vector>

#include "smoothing/spectral_smoothing.hpp"

namespace wavespec::bench {

std::vector<std::vector<double>> direct_smooth_spectra(
    const smoothing::SmoothingWindow& window, std::span<const double> frequencies,
    std::span<const std::span<const double>> spectra, std::span<const double> centres,
    unsigned threads);

}  // namespace wavespec::bench
