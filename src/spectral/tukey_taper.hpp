// The Tukey (tapered cosine) window: flat in the middle, a half cosine at each end. FRACTION is
// the share of the n samples inside the two cosine ends together (0 none, 1 a Hann window).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace wavespec {

// With w = fraction (n - 1) / 2, samples k and n - 1 - k for k = 0 .. floor(w) get
// (1 - cos(pi k / w)) / 2 and every other sample 1; fraction 0 gives all ones. The two end
// samples are 0 for any fraction above 0, even when w < 1. fraction must lie in [0, 1].
std::vector<double> tukey_weights(std::size_t n, double fraction);

// series[i] *= the weight of sample i among series.size().
void apply_tukey_taper(std::span<double> series, double fraction);

}  // namespace wavespec
