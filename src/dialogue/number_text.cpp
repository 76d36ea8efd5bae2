#include "dialogue/number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace wavespec {
namespace {

constexpr char kInfinity[] = "Infinity";
constexpr char kNaN[] = "NaN";

// Writes the magnitude of a non-finite value ("Infinity" or "NaN"); the caller places the sign.
std::size_t non_finite_magnitude(double value, char* out) {
    const char* text = std::isnan(value) ? kNaN : kInfinity;
    std::size_t n = std::strlen(text);
    std::memcpy(out, text, n);
    return n;
}

// Nine significant digits as printf's "%.9G" gives them, then a decimal point made explicit.
std::size_t general_nine_digits(double magnitude, char* out) {
    if (magnitude == 0.0) {
        out[0] = '0';
        out[1] = '.';
        return 2;
    }
    char* end = std::to_chars(out, out + 40, magnitude, std::chars_format::general, 9).ptr;
    char* e = static_cast<char*>(std::memchr(out, 'e', static_cast<std::size_t>(end - out)));
    if (e != nullptr) {
        *e = 'E';
        if (std::memchr(out, '.', static_cast<std::size_t>(e - out)) == nullptr) {
            std::memmove(e + 1, e, static_cast<std::size_t>(end - e));
            *e = '.';
            ++end;
        }
    } else if (std::memchr(out, '.', static_cast<std::size_t>(end - out)) == nullptr) {
        *end++ = '.';
    }
    return static_cast<std::size_t>(end - out);
}

std::size_t fill_asterisks(int width, char* out) {
    std::memset(out, '*', static_cast<std::size_t>(width));
    return static_cast<std::size_t>(width);
}

// Right-justifies text[0..len) in width characters, or fills asterisks when it is longer.
std::size_t right_justify(const char* text, std::size_t len, int width, char* out) {
    auto w = static_cast<std::size_t>(width);
    if (len > w) return fill_asterisks(width, out);
    std::size_t pad = w - len;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text, len);
    return w;
}

bool valid_width(int width) { return width > 0 && width <= static_cast<int>(kMaxFieldWidth); }

}  // namespace

std::size_t list_real_part_text(double value, char* out) {
    std::size_t n = 0;
    if (std::signbit(value) && !std::isnan(value) && value != 0.0) out[n++] = '-';
    if (!std::isfinite(value)) return n + non_finite_magnitude(value, out + n);
    return n + general_nine_digits(std::fabs(value), out + n);
}

std::size_t list_real_text(double value, char* out) {
    out[0] = ' ';
    bool negative = value < 0.0;
    out[1] = negative ? '-' : ' ';
    if (!std::isfinite(value)) return 2 + non_finite_magnitude(value, out + 2);
    return 2 + general_nine_digits(std::fabs(value), out + 2);
}

std::size_t integer_text(std::int32_t value, char* out) {
    return static_cast<std::size_t>(std::to_chars(out, out + 16, value).ptr - out);
}

std::size_t fixed_field(double value, int width, int decimals, char* out) {
    if (!valid_width(width) || decimals < 0 || decimals > 40) return fill_asterisks(1, out);
    char text[kNumberTextCapacity + 400];
    std::size_t n = 0;
    if (!std::isfinite(value)) {
        if (value < 0.0) text[n++] = '-';
        n += non_finite_magnitude(value, text + n);
        return right_justify(text, n, width, out);
    }
    double magnitude = std::fabs(value);
    // Values this large never fit any field we write; skip formatting their hundreds of digits.
    if (magnitude >= 1e60) return fill_asterisks(width, out);
    text[0] = '-';
    char* begin = text + 1;
    char* end =
        std::to_chars(begin, text + sizeof text - 1, magnitude, std::chars_format::fixed, decimals)
            .ptr;
    if (decimals == 0) *end++ = '.';
    bool all_zero = true;
    for (char* p = begin; p != end; ++p) {
        if (*p >= '1' && *p <= '9') {
            all_zero = false;
            break;
        }
    }
    const char* start = (value < 0.0 && !all_zero) ? text : begin;
    std::size_t len = static_cast<std::size_t>(end - start);
    auto w = static_cast<std::size_t>(width);
    if (len > w && begin[0] == '0' && begin[1] == '.') {
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

std::size_t exponent_field(double value, int width, int digits, char* out) {
    if (!valid_width(width) || digits < 1 || digits > 40) return fill_asterisks(1, out);
    char text[kNumberTextCapacity];
    std::size_t n = 0;
    bool negative = value < 0.0;
    if (!std::isfinite(value)) {
        if (negative) text[n++] = '-';
        n += non_finite_magnitude(value, text + n);
        return right_justify(text, n, width, out);
    }
    // Digits d1..dd of the value written as d1.d2...dd E x; the field shows 0.d1...dd E x+1.
    char mantissa[kNumberTextCapacity];
    int exponent = 0;
    double magnitude = std::fabs(value);
    if (magnitude == 0.0) {
        std::memset(mantissa, '0', static_cast<std::size_t>(digits));
    } else {
        char sci[kNumberTextCapacity];
        char* end =
            std::to_chars(sci, sci + sizeof sci, magnitude, std::chars_format::scientific, digits - 1)
                .ptr;
        char* e = static_cast<char*>(std::memchr(sci, 'e', static_cast<std::size_t>(end - sci)));
        std::size_t k = 0;
        for (char* p = sci; p != e; ++p) {
            if (*p != '.') mantissa[k++] = *p;
        }
        std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
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
    if (magnitude_exp < 100) text[n++] = 'E';
    text[n++] = exponent < 0 ? '-' : '+';
    if (magnitude_exp < 10) text[n++] = '0';
    n += static_cast<std::size_t>(std::to_chars(text + n, text + sizeof text, magnitude_exp).ptr -
                                  (text + n));
    return right_justify(text, n, width, out);
}

}  // namespace wavespec
