// Decimal digits of small integers, eight at a time: the digit values land in the bytes of one
// 64-bit word (the first digit in the lowest byte), so a text of up to nine digits is one or
// two stores, and its trailing zeros are a count of leading zero bits.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace wavespec {

// The eight decimal digits of value (below 10^8, zero-padded) as byte values 0 to 9, first
// digit in the lowest byte. Splits into two halves of four digits in 32-bit lanes, then into
// pairs in 16-bit lanes, then into digits in bytes, by multiplications that divide exactly for
// the ranges of each lane (x * 10486 >> 20 is x / 100 below 10^4; x * 103 >> 10 is x / 10
// below 100).
constexpr std::uint64_t eight_digit_values(std::uint32_t value) {
    std::uint64_t high = value / 10000;
    std::uint64_t low = value % 10000;
    std::uint64_t halves = high | (low << 32);
    std::uint64_t hundreds = ((halves * 10486) >> 20) & ((0x7Full << 32) | 0x7Full);
    std::uint64_t pairs = ((halves - 100 * hundreds) << 16) + hundreds;
    std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Full;
    return ((pairs - 10 * tens) << 8) + tens;
}

inline constexpr std::uint64_t kAsciiZeros = 0x3030303030303030ull;

// Number of trailing zero digits among the eight of eight_digit_values (8 for zero).
constexpr int trailing_zero_digits(std::uint64_t digit_values) {
    return digit_values == 0 ? 8 : std::countl_zero(digit_values) / 8;
}

// Stores eight characters held in a word, the first in the lowest byte.
inline void store_eight_chars(std::uint64_t chars, char* out) {
    if constexpr (std::endian::native == std::endian::big) chars = __builtin_bswap64(chars);
    std::memcpy(out, &chars, sizeof chars);
}

// Stores the eight digits of eight_digit_values as characters at out.
inline void store_eight_digits(std::uint64_t digit_values, char* out) {
    store_eight_chars(digit_values + kAsciiZeros, out);
}

}  // namespace wavespec
