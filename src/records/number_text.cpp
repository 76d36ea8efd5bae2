#include "records/number_text.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "records/decimal_digits.hpp"
#include "records/decimal_rounding.hpp"
#include "records/field_layout.hpp"
#include "records/number_text_by_conversion.hpp"

namespace wavespec {
namespace {

using namespace field_layout;

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

namespace {

std::size_t general_nine_digits(double magnitude, char* out) {
    std::uint64_t value;
    int exponent;
    if (magnitude == 0.0 || round_significant(magnitude, 9, value, exponent) != Rounding::done) {
        return general_nine_digits_by_conversion(magnitude, out);
    }
    return general_layout(value, exponent, out);
}

std::size_t fixed_magnitude(double magnitude, int decimals, char* out) {
    std::uint64_t value;
    if (round_fixed(magnitude, decimals, value) != Rounding::done) {
        return fixed_magnitude_by_conversion(magnitude, decimals, out);
    }
    return fixed_layout(value, decimals, out);
}

void exponent_digits(double magnitude, int digits, char* mantissa, int& exponent) {
    std::uint64_t value;
    if (round_significant(magnitude, digits, value, exponent) != Rounding::done) {
        exponent_digits_by_conversion(magnitude, digits, mantissa, exponent);
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

}  // namespace wavespec
