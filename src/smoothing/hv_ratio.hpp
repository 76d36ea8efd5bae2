// The horizontal-to-vertical spectral ratio from smoothed component spectra.
#pragma once

#include <span>
#include <vector>

namespace wavespec::smoothing {

// How the two horizontal spectra S1, S2 combine into H.
enum class HorizontalMean {
    geometric,   // sqrt(S1 S2)
    quadratic,   // sqrt((S1^2 + S2^2) / 2)
    arithmetic,  // (S1 + S2) / 2
    total,       // sqrt(S1^2 + S2^2)
};

double horizontal(HorizontalMean mean, double s1, double s2);

// H/V at every point: H from the two horizontals, V the vertical.
std::vector<double> hv_ratio(HorizontalMean mean, std::span<const double> horizontal1,
                             std::span<const double> horizontal2, std::span<const double> vertical);

}  // namespace wavespec::smoothing
