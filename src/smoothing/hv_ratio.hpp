// The horizontal-to-vertical spectral ratio: the horizontals' amplitude spectra combined
// into H bin by bin, before any smoothing, as the field's H/V programs do.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace wavespec::smoothing {

// How the two horizontal amplitudes S1, S2 combine into H.
enum class HorizontalMean {
    geometric,   // sqrt(S1 S2)
    quadratic,   // sqrt((S1^2 + S2^2) / 2)
    arithmetic,  // (S1 + S2) / 2
    total,       // sqrt(S1^2 + S2^2)
};

// The mean's name as --hv takes it: "geometric", "quadratic", "arithmetic" or "total".
constexpr std::string_view horizontal_mean_name(HorizontalMean mean) {
    constexpr std::string_view kNames[] = {"geometric", "quadratic", "arithmetic", "total"};
    return kNames[static_cast<int>(mean)];
}

double horizontal(HorizontalMean mean, double s1, double s2);

// H at every bin from the two horizontals' amplitudes.
std::vector<double> combined_horizontal(HorizontalMean mean, std::span<const double> horizontal1,
                                        std::span<const double> horizontal2);

// numerator[k] / denominator[k] at every point.
std::vector<double> ratio(std::span<const double> numerator, std::span<const double> denominator);

}  // namespace wavespec::smoothing
