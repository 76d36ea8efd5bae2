// Twiddle factors of the stages wider than the table of correctly rounded values: the cosine
// and sine of the angle (kTransformPi * (m * ind)) / half, for half a power of two up to
// kLongestTwiddleHalf, worked out in double-double arithmetic from + - * / alone and rounded
// once. The result is within 1 ulp of the true value (almost always the correctly rounded one)
// and the same on every platform, since no library cos or sin takes part.
#pragma once

#include <span>

#include "spectral/twiddle_table.hpp"

namespace wavespec {

// Half-spans up to this many elements: transforms of up to 2^24 points.
inline constexpr int kLongestTwiddleHalf = 1 << 23;

// The factor of the angle (kTransformPi * (m * ind)) / half, 0 <= m < half, ind = -1 or 1,
// half a power of two no larger than kLongestTwiddleHalf.
Twiddle long_twiddle(int half, int m, int ind);

// Lays out a stage of half-span stage.size() from the stage of half that span: factor 2k of
// the wide stage has exactly the angle of factor k of the narrow one (both numerator and
// denominator doubled), so it is copied; the odd factors are worked out.
void lay_out_long_stage(std::span<const Twiddle> narrower, std::span<Twiddle> stage, int ind);

}  // namespace wavespec
