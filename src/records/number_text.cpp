#include "records/number_text.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "records/decimal_digits.hpp"
#include "records/decimal_rounding.hpp"

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

bool valid_width(int width) {
    return width > 0 && width <= static_cast<int>(kMaxFieldWidth);
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes exactly `count` decimal digits of value (zero-padded on the left), two at a time.
void write_digits(std::uint64_t value, int count, char* out) {
    int k = count;
    while (k >= 2) {
        std::size_t pair = static_cast<std::size_t>(value % 100) * 2;
        value /= 100;
        out[--k] = kDigitPairs[pair + 1];
        out[--k] = kDigitPairs[pair];
    }
    if (k == 1) out[0] = static_cast<char>('0' + value % 10);
}

int digit_count(std::uint64_t value) {
    int n = 1;
    while (value >= 10) {
        value /= 10;
        ++n;
    }
    return n;
}

// "%.9G" layout, with the decimal point always present, of the nine significant digits
// value (100000000 to 999999999) times 10^(exponent - 8). The text goes out in overlapping
// stores of whole words straight from registers; the length then says how many characters
// count. (Building it in a buffer and copying it on would read back bytes just stored in
// other pieces, which the processor cannot forward.) Writes at most 20 characters.
std::size_t general_layout(std::uint64_t value, int exponent, char* out) {
    auto nine = static_cast<std::uint32_t>(value);  // 32-bit division by a constant is shorter
    auto lead = static_cast<char>('0' + nine / 100000000);
    std::uint64_t rest = eight_digit_values(nine % 100000000);
    int count = 9 - trailing_zero_digits(rest);  // significant digits shown
    std::uint64_t eight = rest + kAsciiZeros;    // the eight digits after the first
    if (exponent < -4 || exponent >= 9) {
        out[0] = lead;
        out[1] = '.';
        store_eight_chars(eight, out + 2);
        auto n = static_cast<std::size_t>(count + 1);
        out[n++] = 'E';
        out[n++] = exponent < 0 ? '-' : '+';
        int e = exponent < 0 ? -exponent : exponent;
        if (e >= 100) {
            out[n++] = static_cast<char>('0' + e / 100);
            e %= 100;
        }
        write_digits(static_cast<std::uint64_t>(e), 2, out + n);
        return n + 2;
    }
    if (exponent < 0) {
        // "0." and the zeros before the first digit, then the digits.
        auto zeros = static_cast<std::size_t>(-exponent - 1);
        std::memcpy(out, "0.000000", 8);
        out[2 + zeros] = lead;
        store_eight_chars(eight, out + 3 + zeros);
        return 2 + zeros + static_cast<std::size_t>(count);
    }
    // exponent + 1 digits before the point (zeros among them when fewer are significant):
    // all nine digits, then the point over the first digit after the integer part, then the
    // digits from there again one place further on.
    auto whole = static_cast<std::size_t>(exponent + 1);
    out[0] = lead;
    store_eight_chars(eight, out + 1);
    out[whole] = '.';
    if (whole < 9) store_eight_chars(eight >> (8 * (whole - 1)), out + whole + 1);
    std::size_t fraction = count > exponent + 1 ? static_cast<std::size_t>(count) - whole : 0;
    return whole + 1 + fraction;
}

// The magnitude with `decimals` places as "%#.*f" writes it, from value = magnitude * 10^d.
std::size_t fixed_layout(std::uint64_t value, int decimals, char* out) {
    std::uint64_t scale = 1;
    for (int d = 0; d < decimals; ++d) scale *= 10;
    std::uint64_t integer = value / scale;
    std::size_t n = 0;
    if (integer == 0) {
        out[n++] = '0';
    } else {
        int count = digit_count(integer);
        write_digits(integer, count, out);
        n += static_cast<std::size_t>(count);
    }
    out[n++] = '.';
    write_digits(value % scale, decimals, out + n);
    return n + static_cast<std::size_t>(decimals);
}

}  // namespace

namespace exact {

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

std::size_t fixed_magnitude(double magnitude, int decimals, char* out) {
    char* end = std::to_chars(out, out + 400, magnitude, std::chars_format::fixed, decimals).ptr;
    if (decimals == 0) *end++ = '.';
    return static_cast<std::size_t>(end - out);
}

void exponent_digits(double magnitude, int digits, char* mantissa, int& exponent) {
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
}

}  // namespace exact

namespace {

std::size_t general_nine_digits(double magnitude, char* out) {
    std::uint64_t value;
    int exponent;
    if (magnitude == 0.0 || round_significant(magnitude, 9, value, exponent) != Rounding::done) {
        return exact::general_nine_digits(magnitude, out);
    }
    return general_layout(value, exponent, out);
}

std::size_t fixed_magnitude(double magnitude, int decimals, char* out) {
    std::uint64_t value;
    if (round_fixed(magnitude, decimals, value) != Rounding::done) {
        return exact::fixed_magnitude(magnitude, decimals, out);
    }
    return fixed_layout(value, decimals, out);
}

void exponent_digits(double magnitude, int digits, char* mantissa, int& exponent) {
    std::uint64_t value;
    if (round_significant(magnitude, digits, value, exponent) != Rounding::done) {
        exact::exponent_digits(magnitude, digits, mantissa, exponent);
        return;
    }
    write_digits(value, digits, mantissa);
}

}  // namespace

std::size_t list_real_part_text(double value, char* out) {
    // The sign of a spectrum's parts is as good as random: a store and an add, not a branch.
    out[0] = '-';
    std::size_t n = value < 0.0 ? 1 : 0;
    if (!std::isfinite(value)) return n + non_finite_magnitude(value, out + n);
    return n + general_nine_digits(std::fabs(value), out + n);
}

std::size_t list_real_text(double value, char* out) {
    out[0] = ' ';
    out[1] = value < 0.0 ? '-' : ' ';
    if (!std::isfinite(value)) return 2 + non_finite_magnitude(value, out + 2);
    return 2 + general_nine_digits(std::fabs(value), out + 2);
}

std::size_t integer_text(std::int32_t value, char* out) {
    // Record numbers: below 10^8, the digits of one eight-digit word with its leading zeros
    // shifted out, stored in one piece.
    if (value >= 0 && value < 100000000) {
        auto v = static_cast<std::uint32_t>(value);
        std::uint64_t digits = eight_digit_values(v);
        int count = v == 0 ? 1 : 8 - std::countr_zero(digits) / 8;
        store_eight_digits(digits >> (8 * (8 - count)), out);
        return static_cast<std::size_t>(count);
    }
    return static_cast<std::size_t>(std::to_chars(out, out + 16, value).ptr - out);
}

namespace {

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

// The sixteen digits of value (below 10^16, zero-padded) at out, with sixteen more zeros
// after them so that fixed-size copies may read past the last digit. Most values of the
// fields have eight digits or fewer: one conversion then does.
void sixteen_digits(std::uint64_t value, char* out) {
    std::memcpy(out, "00000000000000000000000000000000", 32);
    if (value >= 100000000) {
        store_eight_digits(eight_digit_values(static_cast<std::uint32_t>(value / 100000000)), out);
    }
    store_eight_digits(eight_digit_values(static_cast<std::uint32_t>(value % 100000000)), out + 8);
}

// Blanks over a whole field, in one fixed-size store: fields are at most kMaxFieldWidth wide.
void blank_field(char* out) {
    std::memset(out, ' ', kMaxFieldWidth);
}

using rounding_detail::kTens;

// Decimal digits of value (below 10^16; 0 for zero), from its bit length.
int decimal_length(std::uint64_t value) {
    int guess = ((64 - std::countl_zero(value | 1)) * 1233) >> 12;  // bits x log10(2)
    return guess + (value >= kTens[guess] ? 1 : 0);
}

constexpr int kQuickDecimals = 15;

// Fw.d for the usual values: the digits from one exact rounding, placed with fixed-size
// copies. Returns 0 where the general road must decide (non-finite, too many digits, a tie).
std::size_t quick_fixed_field(double value, int width, int decimals, char* out) {
    if (!valid_width(width) || decimals < 0 || decimals > kQuickDecimals || !std::isfinite(value)) {
        return 0;
    }
    std::uint64_t rounded;
    if (round_fixed(std::fabs(value), decimals, rounded) != Rounding::done ||
        rounded >= kTens[16]) {
        return 0;
    }
    // The digits shown: the integer part (at least its zero) and the decimals.
    int shown = std::max(decimal_length(rounded), decimals + 1);
    int sign = (value < 0.0 && rounded != 0) ? 1 : 0;  // "-0.000" has no minus
    int length = sign + shown + 1;
    if (length > width && rounded < kTens[decimals]) {
        --shown;  // the zero before the point is the first thing to go
        --length;
    }
    if (length > width) return fill_asterisks(width, out);
    blank_field(out);
    char* p = out + (width - length);
    *p = '-';
    p += sign;
    int whole = shown - decimals;
    if (shown <= 8) {
        // The usual field: its digits are the last of one eight-digit word, stored from the
        // register, then the point, then the decimals stored again one place on.
        std::uint64_t eight = eight_digit_values(static_cast<std::uint32_t>(rounded)) + kAsciiZeros;
        if (shown > 0) store_eight_chars(eight >> (8 * (8 - shown)), p);  // "." alone has none
        p[whole] = '.';
        if (decimals > 0) store_eight_chars(eight >> (8 * (8 - decimals)), p + whole + 1);
        return static_cast<std::size_t>(width);
    }
    char digits[32];
    sixteen_digits(rounded, digits);
    std::memcpy(p, digits + 16 - shown, 16);
    p += whole;
    *p++ = '.';
    std::memcpy(p, digits + 16 - decimals, 16);
    return static_cast<std::size_t>(width);
}

// Ew.d for the usual values, as quick_fixed_field does for Fw.d.
std::size_t quick_exponent_field(double value, int width, int digits, char* out) {
    if (!valid_width(width) || digits < 1 || digits > 16 || !std::isfinite(value)) return 0;
    double magnitude = std::fabs(value);
    std::uint64_t rounded = 0;
    int exponent = -1;  // zero shows as 0.000E+00
    if (magnitude != 0.0 &&
        round_significant(magnitude, digits, rounded, exponent) != Rounding::done) {
        return 0;
    }
    ++exponent;  // 0.d1d2... x 10^(exponent + 1)
    int sign = value < 0.0 ? 1 : 0;
    int needed = sign + 1 + digits + 4;
    if (needed > width) return fill_asterisks(width, out);
    int lead_zero = needed < width ? 1 : 0;
    int length = needed + lead_zero;
    blank_field(out);
    char* p = out + (width - length);
    *p = '-';
    p += sign;
    *p = '0';
    p += lead_zero;
    *p++ = '.';
    if (digits <= 8) {  // one eight-digit word, stored from the register
        std::uint64_t eight = eight_digit_values(static_cast<std::uint32_t>(rounded)) + kAsciiZeros;
        store_eight_chars(eight >> (8 * (8 - digits)), p);
    } else {
        char mantissa[32];
        sixteen_digits(rounded, mantissa);
        std::memcpy(p, mantissa + 16 - digits, 16);
    }
    p += digits;
    int magnitude_exp = exponent < 0 ? -exponent : exponent;
    if (magnitude_exp < 100) {
        p[0] = 'E';
        p[1] = exponent < 0 ? '-' : '+';
        write_digits(static_cast<std::uint64_t>(magnitude_exp), 2, p + 2);
    } else if (magnitude_exp < 1000) {
        p[0] = exponent < 0 ? '-' : '+';  // a three-digit exponent takes the E's place
        write_digits(static_cast<std::uint64_t>(magnitude_exp), 3, p + 1);
    } else {
        return 0;
    }
    return static_cast<std::size_t>(width);
}

}  // namespace

std::size_t fixed_field(double value, int width, int decimals, char* out) {
    if (std::size_t n = quick_fixed_field(value, width, decimals, out)) return n;
    return fixed_field_with(value, width, decimals, out, fixed_magnitude);
}

std::size_t exponent_field(double value, int width, int digits, char* out) {
    if (std::size_t n = quick_exponent_field(value, width, digits, out)) return n;
    return exponent_field_with(value, width, digits, out, exponent_digits);
}

namespace exact {

std::size_t list_real_text(double value, char* out) {
    out[0] = ' ';
    out[1] = value < 0.0 ? '-' : ' ';
    if (!std::isfinite(value)) return 2 + non_finite_magnitude(value, out + 2);
    return 2 + general_nine_digits(std::fabs(value), out + 2);
}

std::size_t fixed_field(double value, int width, int decimals, char* out) {
    return fixed_field_with(value, width, decimals, out, fixed_magnitude);
}

std::size_t exponent_field(double value, int width, int digits, char* out) {
    return exponent_field_with(value, width, digits, out, exponent_digits);
}

}  // namespace exact

}  // namespace wavespec
