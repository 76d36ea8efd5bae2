// wvfast: the in-place radix-2 decimation-in-time Fourier transform of the tool. It does not
// normalise; the direction sign enters every twiddle angle, and pi is the 3.141592654 that
// the stored spectra and waveforms were always computed with.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "spectral/complex_value.hpp"

namespace wavespec {

inline constexpr double kTransformPi = 3.141592654;

// The longest transform. Up to 32768 points the twiddle factors come from a table of correctly
// rounded values (spectral/twiddle_table.hpp); the wider stages of longer transforms take
// factors within 1 ulp worked out without the library's cos and sin (spectral/long_twiddles.hpp).
inline constexpr int kMaxWvfastLength = 1 << 24;

// The order in which the transform's first step leaves an array of n elements: element i is
// the position (from 0) whose value stands at position i after the permutation. That step
// only exchanges elements, so values keep their bits.
std::vector<std::uint32_t> bit_reversal_order(int n);

// Whether wvfast may do two butterflies at once in four-double registers where the processor
// has them (AVX); allowed by default. The results are the same to the bit either way: tests
// turn it off to check the one-at-a-time butterflies on any processor.
void allow_wide_butterflies(bool allowed);

// Gives back this thread's factor tables and permutation, kept for the longest transform so
// far (16 bytes a point in each direction): a caller done with a very long transform frees
// them before its next large allocation. The next transform lays them out again.
void release_transform_tables();

// Gives back this thread's forward factors once its forward transforms are done, their memory
// kept as the inverse factors (the same values with the sines negated, so the inverse
// transforms are bit for bit those with factors laid out anew, without the work of the long
// stages' cosines and sines). The permutation goes, as with release_transform_tables.
void turn_transform_tables_around();

// Transforms a[0..n) in place: a_out(m) = sum_p a_in(p) exp(I * ind * 2 pi p m / n).
// n must be a power of two no larger than mom (the declared extent), a.size() or
// kMaxWvfastLength; ind is -1 (forward) or +1 (inverse). Every twiddle factor is the cosine and
// sine of its angle (pai * ((k-1) * ind)) / kmax, correctly rounded up to 32768 points and
// within 1 ulp beyond, computed the same way on every platform, so the results are the same
// everywhere. Throws std::invalid_argument for an n that is not a power of two or exceeds the
// extent.
void wvfast(int n, std::span<Complex> a, int mom, int ind);

}  // namespace wavespec
