// The layout of the record fields shared by the fast number texts and the texts made by the
// general conversions: signs, non-finite values, right-justification and asterisks, around
// digits that the caller supplies. Internal to the record layer.
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "records/number_text.hpp"

namespace wavespec::field_layout {

inline constexpr char kInfinity[] = "Infinity";
inline constexpr char kNaN[] = "NaN";

// Writes the magnitude of a non-finite value ("Infinity" or "NaN"); the caller places the sign.
inline std::size_t non_finite_magnitude(double value, char* out) {
    const char* text = std::isnan(value) ? kNaN : kInfinity;
    std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return n;
}

inline std::size_t fill_asterisks(int width, char* out) {
    std::memset(out, '*', static_cast<std::size_t>(width));
    return static_cast<std::size_t>(width);
}

// Right-justifies text[0..len) in width characters, or fills asterisks when it is longer.
inline std::size_t right_justify(const char* text, std::size_t len, int width, char* out) {
    auto w = static_cast<std::size_t>(width);
    if (len > w) return fill_asterisks(width, out);
    std::size_t pad = w - len;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text, len);
    return w;
}

inline bool valid_width(int width) {
    return width > 0 && width <= static_cast<int>(kMaxFieldWidth);
}

template <typename MagnitudeText>
std::size_t fixed_field_with(double value, int width, int decimals, char* out,
                             MagnitudeText magnitude_text) {
    if (!valid_width(width) || decimals < 0 || decimals > 40) return fill_asterisks(1, out);
    char text[kNumberTextCapacity + 400];
    std::size_t n = 0;
    if (!std::isfinite(value)) {
        if (value < 0.0) text[n++] = '-';
        n += non_finite_magnitude(value, text + n);
        return right_justify(text, n, width, out);
    }
    double magnitude = std::fabs(value);
    // From 10^64 on the integer digits alone pass the widest field; skip formatting them.
    if (magnitude >= 1e64) return fill_asterisks(width, out);
    text[0] = '-';
    char* begin = text + 1;
    char* end = begin + magnitude_text(magnitude, decimals, begin);
    bool all_zero = true;
    for (char* p = begin; p != end; ++p) {
        if (*p >= '1' && *p <= '9') {
            all_zero = false;
            break;
        }
    }
    // The minus sign only when the rounded text shows something other than zeros.
    const char* start = (value < 0.0 && !all_zero) ? text : begin;
    std::size_t len = static_cast<std::size_t>(end - start);
    if (len > static_cast<std::size_t>(width) && begin[0] == '0' && begin[1] == '.') {
        // Dropping the zero before the point is the last resort to make the text fit.
        if (start == text) {
            begin[0] = '-';
            start = begin;
        } else {
            start = begin + 1;
        }
        len = static_cast<std::size_t>(end - start);
    }
    return right_justify(start, len, width, out);
}

template <typename ExponentDigits>
std::size_t exponent_field_with(double value, int width, int digits, char* out,
                                ExponentDigits exponent_digits_of) {
    if (!valid_width(width) || digits < 1 || digits > 40) return fill_asterisks(1, out);
    char text[kNumberTextCapacity];
    std::size_t n = 0;
    bool negative = value < 0.0;
    if (!std::isfinite(value)) {
        if (negative) text[n++] = '-';
        n += non_finite_magnitude(value, text + n);
        return right_justify(text, n, width, out);
    }
    // The field shows 0.d1...dd x 10^(x+1) for the digits d1.d2...dd x 10^x of the value.
    char mantissa[kNumberTextCapacity];
    int exponent = 0;
    double magnitude = std::fabs(value);
    if (magnitude == 0.0) {
        std::memset(mantissa, '0', static_cast<std::size_t>(digits));
    } else {
        exponent_digits_of(magnitude, digits, mantissa, exponent);
        exponent += 1;
    }
    std::size_t needed = (negative ? 1u : 0u) + 1u + static_cast<std::size_t>(digits) + 4u;
    auto w = static_cast<std::size_t>(width);
    if (needed > w) return fill_asterisks(width, out);
    if (negative) text[n++] = '-';
    if (needed < w) text[n++] = '0';
    text[n++] = '.';
    std::memcpy(text + n, mantissa, static_cast<std::size_t>(digits));
    n += static_cast<std::size_t>(digits);
    int magnitude_exp = exponent < 0 ? -exponent : exponent;
    if (magnitude_exp < 100) text[n++] = 'E';  // a three-digit exponent takes the E's place
    text[n++] = exponent < 0 ? '-' : '+';
    if (magnitude_exp < 10) text[n++] = '0';
    n += static_cast<std::size_t>(std::to_chars(text + n, text + sizeof text, magnitude_exp).ptr -
                                  (text + n));
    return right_justify(text, n, width, out);
}

}  // namespace wavespec::field_layout
