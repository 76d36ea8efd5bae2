#include "dialogue/number_scan.hpp"

#include <cstdint>

namespace wavespec {
namespace {

constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr int kMaxDigits = 15;  // every integer of 15 digits is exact in a double

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::size_t scan_plain_real(std::string_view text, double& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    if (p == end) return 0;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;  // significant digits taken, leading zeros not counted
    int scale = 0;   // value = mantissa x 10^scale
    bool any_digit = false;
    for (; p != end && is_digit(*p); ++p) {
        any_digit = true;
        if (digits == 0 && *p == '0') continue;
        if (++digits > kMaxDigits) return 0;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    if (p == end || *p == '*') return 0;
    if (*p == '.') {
        for (++p; p != end && is_digit(*p); ++p) {
            any_digit = true;
            --scale;
            if (digits == 0 && *p == '0') continue;
            if (++digits > kMaxDigits) return 0;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        }
        if (p == end) return 0;
    }
    if (!any_digit) return 0;
    bool letter = *p == 'e' || *p == 'E' || *p == 'd' || *p == 'D';
    if (letter || *p == '+' || *p == '-') {
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
    if (digits > 0) {
        if (scale > kMaxExactPower || scale < -kMaxExactPower) return 0;
        auto m = static_cast<double>(mantissa);
        magnitude = scale >= 0 ? m * kExactPowers[scale] : m / kExactPowers[-scale];
    }
    value = negative ? -magnitude : magnitude;
    return static_cast<std::size_t>(p - text.data());
}

}  // namespace wavespec
