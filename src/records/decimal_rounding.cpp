#include "records/decimal_rounding.hpp"

#include <cmath>
#include <cstring>

namespace wavespec {
namespace {

using rounding_detail::clear_of_boundaries;
using rounding_detail::kTens;

__extension__ typedef unsigned __int128 uint128;

constexpr int kMaxFivePower = 55;  // 5^55 < 2^128

constexpr uint128 five_power(int n) {
    uint128 p = 1;
    for (int i = 0; i < n; ++i) p *= 5;
    return p;
}

struct FivePowers {
    uint128 value[kMaxFivePower + 1];
    constexpr FivePowers() : value() {
        for (int i = 0; i <= kMaxFivePower; ++i) value[i] = five_power(i);
    }
};
constexpr FivePowers kFive;

constexpr int kMaxFivePower64 = 27;  // 5^27 < 2^64
constexpr std::uint64_t kFive64[kMaxFivePower64 + 1] = {1ull,
                                                        5ull,
                                                        25ull,
                                                        125ull,
                                                        625ull,
                                                        3125ull,
                                                        15625ull,
                                                        78125ull,
                                                        390625ull,
                                                        1953125ull,
                                                        9765625ull,
                                                        48828125ull,
                                                        244140625ull,
                                                        1220703125ull,
                                                        6103515625ull,
                                                        30517578125ull,
                                                        152587890625ull,
                                                        762939453125ull,
                                                        3814697265625ull,
                                                        19073486328125ull,
                                                        95367431640625ull,
                                                        476837158203125ull,
                                                        2384185791015625ull,
                                                        11920928955078125ull,
                                                        59604644775390625ull,
                                                        298023223876953125ull,
                                                        1490116119384765625ull,
                                                        7450580596923828125ull};

int bit_length(uint128 x) {
    int n = 0;
    auto high = static_cast<std::uint64_t>(x >> 64);
    if (high != 0) return 128 - __builtin_clzll(high);
    auto low = static_cast<std::uint64_t>(x);
    if (low != 0) n = 64 - __builtin_clzll(low);
    return n;
}

enum class Remainder { below_half, half, above_half };

// magnitude * 10^scale = quotient + fraction, exactly; false if the integers would overflow.
// The double is m * 2^q; 10^scale is 5^scale * 2^scale, so the five-powers go into the
// numerator or the denominator and every power of two into a shift.
bool scaled_floor(double magnitude, int scale, uint128& quotient, Remainder& remainder) {
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    auto biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mantissa = bits & ((1ull << 52) - 1);
    int q;
    if (biased == 0) {
        q = -1074;
    } else {
        mantissa |= 1ull << 52;
        q = biased - 1075;
    }
    int shift = q + scale;
    if (scale >= 0 && scale <= kMaxFivePower64 && shift < 0 && shift > -128) {
        // The usual case (a magnitude below 10^digits scaled up): one 64 x 64-bit product,
        // then the binary point falls inside it.
        uint128 num = static_cast<uint128>(mantissa) * kFive64[scale];
        int p = -shift;
        uint128 one = static_cast<uint128>(1) << p;
        uint128 fraction = num & (one - 1);
        uint128 half = one >> 1;
        quotient = num >> p;
        remainder = fraction < half    ? Remainder::below_half
                    : fraction == half ? Remainder::half
                                       : Remainder::above_half;
        return true;
    }
    if (scale > kMaxFivePower || -scale > kMaxFivePower) return false;
    uint128 num = mantissa;
    uint128 den = 1;
    if (scale >= 0) {
        if (bit_length(num) + bit_length(kFive.value[scale]) > 127) return false;
        num *= kFive.value[scale];
    } else {
        den = kFive.value[-scale];
    }
    if (shift >= 0) {
        if (bit_length(num) + shift > 127) return false;
        num <<= shift;
    } else if (den == 1) {
        int p = -shift;
        if (p >= 128) {  // num < 2^127: the whole value is below one half
            quotient = 0;
            remainder = Remainder::below_half;
            return true;
        }
        uint128 one = static_cast<uint128>(1) << p;
        quotient = num >> p;
        uint128 fraction = num & (one - 1);
        uint128 half = one >> 1;
        remainder = fraction < half    ? Remainder::below_half
                    : fraction == half ? Remainder::half
                                       : Remainder::above_half;
        return true;
    } else {
        if (bit_length(den) - shift > 126) return false;
        den <<= -shift;
    }
    quotient = num / den;
    uint128 fraction = num % den;
    uint128 rest = den - fraction;  // compare fraction with den/2 without overflow
    remainder = fraction < rest    ? Remainder::below_half
                : fraction == rest ? Remainder::half
                                   : Remainder::above_half;
    return true;
}

// The same split decided by one double multiplication or division, where that is certain.
// 10^|scale| up to 10^22 is exact, so the result s carries a single rounding of at most half
// an ulp, below 2^-22 for s under 2^31. A fraction of s farther than 2^-20 from 0, 1/2 and 1
// therefore lies on the same side as the exact product's. False where it is too close to
// call, or out of this range; the exact split then decides.
bool quick_scaled_floor(double magnitude, int scale, uint128& quotient, Remainder& remainder) {
    if (scale > 22 || scale < -22) return false;
    double s =
        scale >= 0 ? magnitude * kExactPowersOfTen[scale] : magnitude / kExactPowersOfTen[-scale];
    if (!(s < 2147483648.0)) return false;
    auto whole = static_cast<std::uint64_t>(s);        // s >= 0: truncation is floor
    double fraction = s - static_cast<double>(whole);  // exact: s and whole are close
    if (!clear_of_boundaries(fraction)) return false;
    quotient = whole;
    remainder = fraction < 0.5 ? Remainder::below_half : Remainder::above_half;
    return true;
}

bool split_scaled(double magnitude, int scale, uint128& quotient, Remainder& remainder) {
    return quick_scaled_floor(magnitude, scale, quotient, remainder) ||
           scaled_floor(magnitude, scale, quotient, remainder);
}

}  // namespace

namespace rounding_detail {

// The exact road of round_significant, from a decimal exponent that is right or one off.
Rounding round_significant_exactly(double magnitude, int digits, int e10, std::uint64_t& value,
                                   int& exponent) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        uint128 quotient;
        Remainder remainder;
        if (!split_scaled(magnitude, digits - 1 - e10, quotient, remainder)) {
            return Rounding::out_of_range;
        }
        if (quotient >= kTens[digits]) {
            ++e10;
            continue;
        }
        if (quotient < kTens[digits - 1]) {
            --e10;
            continue;
        }
        if (remainder == Remainder::half) return Rounding::tie;
        auto v = static_cast<std::uint64_t>(quotient);
        if (remainder == Remainder::above_half) ++v;
        return rounding_detail::settle_carry(v, e10, digits, value, exponent);
    }
    return Rounding::out_of_range;
}

Rounding round_fixed_exactly(double magnitude, int decimals, std::uint64_t& value) {
    uint128 quotient;
    Remainder remainder;
    if (!split_scaled(magnitude, decimals, quotient, remainder)) return Rounding::out_of_range;
    if (quotient >= (static_cast<uint128>(1) << 63)) return Rounding::out_of_range;
    if (remainder == Remainder::half) return Rounding::tie;
    value = static_cast<std::uint64_t>(quotient) + (remainder == Remainder::above_half ? 1 : 0);
    return Rounding::done;
}

}  // namespace rounding_detail

}  // namespace wavespec
