// Correct decimal rounding of a double by exact integer arithmetic: the double is an integer
// times a power of two, so multiplying by a power of ten and comparing the remainder with one
// half decides the rounding without any conversion to text. Covers the magnitudes that records
// hold; the callers fall back to the general conversion where it gives up.
//
// Most values are settled by one product with an exact power of ten, inline here; the exact
// integer road decides the rest.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "records/exact_powers_of_ten.hpp"
#include "support/bit_cast.hpp"

namespace wavespec {

enum class Rounding { done, tie, out_of_range };

namespace rounding_detail {

inline constexpr std::uint64_t kTens[] = {1ull,
                                          10ull,
                                          100ull,
                                          1000ull,
                                          10000ull,
                                          100000ull,
                                          1000000ull,
                                          10000000ull,
                                          100000000ull,
                                          1000000000ull,
                                          10000000000ull,
                                          100000000000ull,
                                          1000000000000ull,
                                          10000000000000ull,
                                          100000000000000ull,
                                          1000000000000000ull,
                                          10000000000000000ull,
                                          100000000000000000ull};

// A scaled value s below 2^31, computed by one product with an exact power of ten, carries a
// single rounding error below 2^-22. The nearest whole number to s is then the correctly
// rounded exact product, as long as s is not within 2^-20 of a half: the exact product lies on
// the same side of that half. (Near a whole number the exact product may fall on its other
// side, but it rounds to the same one.) Adding and taking away 2^52 rounds s to its nearest
// whole number in three additions, and the whole number is then the low bits of the sum:
// shorter than converting to an integer and back. False where s is too close to a half.
static_assert(FLT_EVAL_METHOD == 0, "the rounding shortcuts need plain double arithmetic");

inline bool round_clear_of_half(double s, std::uint64_t& rounded) {
    constexpr double kMargin = 0x1p-20;
    constexpr double kTwo52 = 0x1p52;
    double shifted = s + kTwo52;
    double offset = s - (shifted - kTwo52);  // exact: from -1/2 to 1/2
    rounded = bit_cast<std::uint64_t>(shifted) & ((std::uint64_t{1} << 52) - 1);
    return std::fabs(offset) <= 0.5 - kMargin;
}

// The same, where the floor itself must be right too: the fraction also clear of 0 and 1.
inline bool clear_of_boundaries(double fraction) {
    constexpr double kMargin = 0x1p-20;
    // Off by at most 2^-54 for small fractions, far inside the margin.
    double from_half = std::fabs(fraction - 0.5);
    return static_cast<bool>(static_cast<int>(from_half >= kMargin) &
                             static_cast<int>(from_half <= 0.5 - kMargin));
}

// Stores the rounded digits v at decimal exponent e; a carry into a new digit (v = 10^digits)
// becomes 10^(digits-1) one exponent up.
inline Rounding settle_carry(std::uint64_t v, int e, int digits, std::uint64_t& value,
                             int& exponent) {
    if (v == kTens[digits]) {
        v = kTens[digits - 1];
        ++e;
    }
    value = v;
    exponent = e;
    return Rounding::done;
}

// The exact roads, from a decimal exponent that is right or one off.
Rounding round_significant_exactly(double magnitude, int digits, int e10, std::uint64_t& value,
                                   int& exponent);
Rounding round_fixed_exactly(double magnitude, int decimals, std::uint64_t& value);

}  // namespace rounding_detail

// Rounds magnitude (positive, finite) to `digits` significant digits (1 to 17), half away from
// zero. On done: magnitude ~ value x 10^(exponent - digits + 1), with value having exactly
// `digits` digits (a carry into a new digit raises the exponent instead).
inline Rounding round_significant(double magnitude, int digits, std::uint64_t& value,
                                  int& exponent) {
    using namespace rounding_detail;
    if (digits < 1 || digits > 17 || !(magnitude > 0.0)) return Rounding::out_of_range;
    // Decimal exponent from the binary one: floor(e2 * log10 2) is exact or one too small.
    auto biased = static_cast<int>((bit_cast<std::uint64_t>(magnitude) >> 52) & 0x7ff);
    if (biased == 0) return Rounding::out_of_range;  // subnormals: the general path
    int e10 = ((biased - 1023) * 78913) >> 18;
    // The common case in one pass: scaled by an exact power of ten, the magnitude has `digits`
    // digits before the point at this exponent or at the next one up. Up to nine digits the
    // scaled value stays below 2^31, where the product's error is small enough for
    // round_clear_of_half.
    int scale = digits - 1 - e10;
    if (digits <= 9 && scale >= 1 && scale <= kMaxExactPowerOfTen) {
        // Both products at once, then one picked by a mask rather than a branch: which of the
        // two exponents applies is close to random from value to value.
        double here = magnitude * kExactPowersOfTen[scale];
        double up = magnitude * kExactPowersOfTen[scale - 1];
        bool next_up = here >= kExactPowersOfTen[digits];
        std::uint64_t pick_up = std::uint64_t{0} - static_cast<std::uint64_t>(next_up);
        double s = bit_cast<double>((bit_cast<std::uint64_t>(up) & pick_up) |
                                    (bit_cast<std::uint64_t>(here) & ~pick_up));
        std::uint64_t v;
        if (s < kExactPowersOfTen[digits] && s >= kExactPowersOfTen[digits - 1]) {
            if (round_clear_of_half(s, v)) {
                return settle_carry(v, e10 + (next_up ? 1 : 0), digits, value, exponent);
            }
        }
    }
    // The exact road fills its own variables: the caller's then never have their address
    // taken and stay in registers on the quick road.
    std::uint64_t exact_value = 0;
    int exact_exponent = 0;
    Rounding result =
        round_significant_exactly(magnitude, digits, e10, exact_value, exact_exponent);
    value = exact_value;
    exponent = exact_exponent;
    return result;
}

// Rounds magnitude (non-negative, finite) to `decimals` places: value = round(magnitude * 10^d).
inline Rounding round_fixed(double magnitude, int decimals, std::uint64_t& value) {
    using namespace rounding_detail;
    if (decimals < 0 || decimals > 17 || !(magnitude >= 0.0)) return Rounding::out_of_range;
    // One exact-power product settles it when the result is small and clear of one half
    // (see round_clear_of_half).
    double s = magnitude * kExactPowersOfTen[decimals];
    if (s < 2147483648.0 && round_clear_of_half(s, value)) return Rounding::done;
    std::uint64_t exact_value = 0;  // as in round_significant
    Rounding result = round_fixed_exactly(magnitude, decimals, exact_value);
    value = exact_value;
    return result;
}

}  // namespace wavespec
