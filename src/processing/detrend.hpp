// The mean, or the least-squares straight line, taken from a series.
#pragma once

#include <span>

namespace wavespec::processing {

enum class Detrend { none, demean, linear };

// Removes the arithmetic mean.
void remove_mean(std::span<double> series);

// Removes the line a + b i through the samples i = 0 .. n-1 that leaves the least sum of
// squares; with fewer than two samples, the mean.
void remove_linear_trend(std::span<double> series);

void apply_detrend(Detrend kind, std::span<double> series);

}  // namespace wavespec::processing
