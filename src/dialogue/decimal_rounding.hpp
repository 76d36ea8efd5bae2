// Correct decimal rounding of a double by exact integer arithmetic: the double is an integer
// times a power of two, so multiplying by a power of ten and comparing the remainder with one
// half decides the rounding without any conversion to text. Covers the magnitudes that records
// hold; the callers fall back to the general conversion where it gives up.
#pragma once

#include <cstdint>

namespace wavespec {

enum class Rounding { done, tie, out_of_range };

// Rounds magnitude (positive, finite) to `digits` significant digits (1 to 17), half away from
// zero. On done: magnitude ~ value x 10^(exponent - digits + 1), with value having exactly
// `digits` digits (a carry into a new digit raises the exponent instead).
Rounding round_significant(double magnitude, int digits, std::uint64_t& value, int& exponent);

// Rounds magnitude (non-negative, finite) to `decimals` places: value = round(magnitude * 10^d).
Rounding round_fixed(double magnitude, int decimals, std::uint64_t& value);

}  // namespace wavespec
