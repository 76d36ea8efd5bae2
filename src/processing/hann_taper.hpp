// The Hann taper at both ends of a record: with m = fraction (n - 1), samples k and n-1-k
// for k < m are multiplied by (1 - cos(pi k / m)) / 2. m is not rounded.
#pragma once

#include <span>

namespace wavespec::processing {

inline constexpr double kLargestTaperFraction = 0.5;

// fraction from 0 (no taper) to kLargestTaperFraction.
void apply_hann_taper(std::span<double> series, double fraction);

}  // namespace wavespec::processing
