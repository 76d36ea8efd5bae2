#include "records/number_scan.hpp"

#include <bit>
#include <cstdint>
#include <cstring>

#include "records/exact_powers_of_ten.hpp"
#include "support/bit_cast.hpp"

namespace wavespec {
namespace {

constexpr std::uint64_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
constexpr std::uint64_t kMaxExactInteger = std::uint64_t{1} << 53;

constexpr std::uint64_t kZeros = 0x3030303030303030ull;
constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0ull;

// Eight bytes of text as an integer, the first byte in the lowest place.
std::uint64_t load_eight(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, sizeof x);
    if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
    return x;
}

// The number of digits at the start of eight bytes: a byte is a digit when its high nibble is
// 3 and stays 3 after adding 6. A carry out of a byte only disturbs the bytes after it, which
// lie past the first non-digit.
int leading_digits(std::uint64_t x) {
    std::uint64_t not_digit =
        ((x & kHighNibbles) ^ kZeros) | (((x + 0x0606060606060606ull) & kHighNibbles) ^ kZeros);
    return not_digit == 0 ? 8 : std::countr_zero(not_digit) / 8;
}

// The value of the first k (1 to 8) digit bytes of x: moved to the top so that zeros lead,
// then combined in pairs, fours and eights by multiplications.
std::uint64_t digits_value(std::uint64_t x, int k) {
    std::uint64_t v = (x - kZeros) << (8 * (8 - k));
    v = v * 10 + (v >> 8);
    constexpr std::uint64_t kMask = 0x000000FF000000FFull;
    constexpr std::uint64_t kHundredsAndMillions = 100 + (1000000ull << 32);
    constexpr std::uint64_t kOnesAndTenThousands = 1 + (10000ull << 32);
    return (((v & kMask) * kHundredsAndMillions) + (((v >> 16) & kMask) * kOnesAndTenThousands)) >>
           32;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Adds the run of digits at p to mantissa, eight at a time (one by one near the end of the
// text), and counts them. False when the run reaches the end of the text or would take the
// mantissa past what the quick road settles.
[[gnu::always_inline]] inline bool take_digits(const char*& p, const char* end,
                                               std::uint64_t& mantissa, int& count) {
    constexpr std::uint64_t kRoomForEight = 100000000000ull;  // below: 8 more digits fit
    constexpr int kMaxCount = 1000;                           // keeps the scale small
    while (end - p >= 8) {
        std::uint64_t x = load_eight(p);
        int k = leading_digits(x);
        if (k == 0) return true;
        if (mantissa >= kRoomForEight || count > kMaxCount) return false;
        mantissa = mantissa * kTens[k] + digits_value(x, k);
        count += k;
        p += k;
        if (k < 8) return true;
    }
    constexpr std::uint64_t kRoomForOne = 1000000000000000000ull;  // below: 1 more digit fits
    for (; p != end && is_digit(*p); ++p) {
        if (mantissa >= kRoomForOne || count > kMaxCount) return false;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        ++count;
    }
    return p != end;
}

// What a character after the digits of a number says about an exponent.
enum class ExponentMark : unsigned char { none, letter, sign };

struct ExponentMarks {
    ExponentMark mark[256] = {};
    constexpr ExponentMarks() {
        for (char c : {'e', 'E', 'd', 'D'})
            mark[static_cast<unsigned char>(c)] = ExponentMark::letter;
        for (char c : {'+', '-'}) mark[static_cast<unsigned char>(c)] = ExponentMark::sign;
    }
    constexpr ExponentMark operator[](unsigned char c) const { return mark[c]; }
};
constexpr ExponentMarks kExponentMarks;

}  // namespace

std::size_t scan_plain_real(std::string_view text, double& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    if (p == end) return 0;
    bool negative = *p == '-';
    p += (*p == '+' || *p == '-') ? 1 : 0;
    std::uint64_t mantissa = 0;  // value = mantissa x 10^scale
    int whole_digits = 0;
    if (!take_digits(p, end, mantissa, whole_digits) || *p == '*') return 0;
    int fraction_digits = 0;
    if (*p == '.') {
        ++p;
        if (!take_digits(p, end, mantissa, fraction_digits)) return 0;
    }
    if (whole_digits + fraction_digits == 0) return 0;
    int scale = -fraction_digits;
    // One look-up instead of a chain of comparisons: the character after a value is a comma
    // or a line end, alternating with no pattern a comparison chain would predict.
    ExponentMark mark = kExponentMarks[static_cast<unsigned char>(*p)];
    if (mark != ExponentMark::none) {
        bool letter = mark == ExponentMark::letter;
        if (letter && ++p == end) return 0;
        bool exponent_negative = false;
        if (*p == '+' || *p == '-') {
            exponent_negative = *p == '-';
            ++p;
        }
        int exponent = 0;
        int exponent_digits = 0;
        for (; p != end && is_digit(*p); ++p) {
            if (++exponent_digits > 4) return 0;
            exponent = exponent * 10 + (*p - '0');
        }
        if (p == end || exponent_digits == 0) return 0;
        scale += exponent_negative ? -exponent : exponent;
    }
    double magnitude = 0.0;
    if (mantissa != 0) {
        // An integer below 2^53 and a power of ten up to 10^22 are exact: one operation then
        // rounds once, correctly.
        if (mantissa > kMaxExactInteger || scale > kMaxExactPowerOfTen ||
            scale < -kMaxExactPowerOfTen) {
            return 0;
        }
        auto m = static_cast<double>(mantissa);
        magnitude = scale >= 0 ? m * kExactPowersOfTen[scale] : m / kExactPowersOfTen[-scale];
    }
    // The sign goes on as a bit: negative values are as common as positive ones.
    value = bit_cast<double>(bit_cast<std::uint64_t>(magnitude) |
                             (static_cast<std::uint64_t>(negative) << 63));
    return static_cast<std::size_t>(p - text.data());
}

}  // namespace wavespec
