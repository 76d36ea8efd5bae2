// The baseline correction of the strong-motion databases: the acceleration integrated twice
// from rest, the polynomial a2 t^2 + ... + a6 t^6 fitted to that displacement by least
// squares (t from the first sample), and its second derivative taken from the acceleration.
#pragma once

#include <array>
#include <optional>
#include <span>

namespace wavespec::processing {

inline constexpr int kLowestBaselinePower = 2;
inline constexpr int kHighestBaselinePower = 6;
inline constexpr std::size_t kBaselineTerms = kHighestBaselinePower - kLowestBaselinePower + 1;
// The fewest samples that determine the five coefficients (t = 0 tells nothing).
inline constexpr std::size_t kFewestBaselineSamples = kBaselineTerms + 1;

// The coefficients of u^2 .. u^6, u = t / T over [0, 1], T the series' duration: the
// least-squares fit to the displacement of `acceleration` (integrated twice by the trapezoid
// rule from rest), by a QR factorisation built block by block with Householder reflections
// (no normal equations, whose squared condition would cost the digits of a long record).
// nullopt with fewer than kFewestBaselineSamples samples.
std::optional<std::array<double, kBaselineTerms>> fit_baseline(std::span<const double> acceleration,
                                                               double dt);

// Subtracts the fitted polynomial's second derivative in t (dt between samples) from the
// acceleration; false, changing nothing, where the samples are too few.
bool remove_polynomial_baseline(std::span<double> acceleration, double dt);

}  // namespace wavespec::processing
