// The running integral by the trapezoid rule, from rest: 0 at the first sample.
#pragma once

#include <span>
#include <vector>

namespace wavespec::processing {

std::vector<double> trapezoid_integral(std::span<const double> series, double dt);

}  // namespace wavespec::processing
