#include "records/number_chars.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

#define FMT_HEADER_ONLY
#include <fast_float/fast_float.h>
#include <fmt/format.h>

namespace wavespec {
namespace {

constexpr std::to_chars_result too_large(char* last) {
    return {last, std::errc::value_too_large};
}

template <class... Args>
std::to_chars_result formatted(char* first, char* last, fmt::format_string<Args...> form,
                               Args&&... args) {
    auto size = static_cast<std::size_t>(last - first);
    auto result = fmt::format_to_n(first, size, form, std::forward<Args>(args)...);
    if (result.size > size) return too_large(last);
    return {result.out, std::errc()};
}

int decimal_digits(std::uint64_t n) {
    int count = 1;
    while (n >= 10) {
        n /= 10;
        ++count;
    }
    return count;
}

char* write_digits(std::uint64_t n, int count, char* out) {
    for (int k = count - 1; k >= 0; --k) {
        out[k] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    return out + count;
}

// The shortest digits (no trailing zeros) of a positive finite double and the power of ten
// of the last one, written at out in the shorter of the two layouts.
char* shortest_layout(double magnitude, char* out) {
    auto decimal = fmt::detail::dragonbox::to_decimal(magnitude);
    const std::uint64_t digits = decimal.significand;
    const int count = decimal_digits(digits);
    const int exponent = decimal.exponent;     // value = digits * 10^exponent
    const int leading = exponent + count - 1;  // the exponent of the exponent form
    const int exponent_digits = std::abs(leading) >= 100 ? 3 : 2;
    const int exponent_length = count + (count > 1 ? 1 : 0) + 2 + exponent_digits;
    int fixed_length = 0;
    if (exponent >= 0) {
        fixed_length = count + exponent;
    } else if (leading >= 0) {
        fixed_length = count + 1;
    } else {
        fixed_length = count + 1 - leading;
    }
    if (fixed_length <= exponent_length) {
        if (exponent >= 0) {
            // A whole number: the digits and zeros are the double itself below 2^53; above,
            // the whole digits of the exact value (the same count) are the closer text.
            if (magnitude < 9007199254740992.0) {
                out = write_digits(digits, count, out);
                std::memset(out, '0', static_cast<std::size_t>(exponent));
                return out + exponent;
            }
            return fmt::format_to(out, "{:.0f}", magnitude);
        }
        if (leading >= 0) {
            const int whole = leading + 1;
            write_digits(digits, count, out + 1);
            std::memmove(out, out + 1, static_cast<std::size_t>(whole));
            out[whole] = '.';
            return out + count + 1;
        }
        out[0] = '0';
        out[1] = '.';
        std::memset(out + 2, '0', static_cast<std::size_t>(-leading - 1));
        return write_digits(digits, count, out + 1 - leading);
    }
    char* p = write_digits(digits, count, out + 1);
    out[0] = out[1];
    if (count > 1) {
        out[1] = '.';
    } else {
        p = out + 1;
    }
    *p++ = 'e';
    *p++ = leading < 0 ? '-' : '+';
    return write_digits(static_cast<std::uint64_t>(std::abs(leading)), exponent_digits, p);
}

// Whether a text of digits read as zero has a nonzero digit before its exponent.
bool names_nonzero(const char* first, const char* last) {
    for (const char* p = first; p != last && *p != 'e' && *p != 'E'; ++p) {
        if (*p >= '1' && *p <= '9') return true;
    }
    return false;
}

}  // namespace

std::to_chars_result shortest_chars(char* first, char* last, double value) {
    char text[32];
    char* p = text;
    if (std::signbit(value)) *p++ = '-';
    const double magnitude = std::fabs(value);
    if (std::isnan(value)) {
        std::memcpy(p, "nan", 3);
        p += 3;
    } else if (std::isinf(value)) {
        std::memcpy(p, "inf", 3);
        p += 3;
    } else if (magnitude == 0.0) {
        *p++ = '0';
    } else {
        p = shortest_layout(magnitude, p);
    }
    auto size = static_cast<std::size_t>(p - text);
    if (size > static_cast<std::size_t>(last - first)) return too_large(last);
    std::memcpy(first, text, size);
    return {first + size, std::errc()};
}

std::to_chars_result fixed_chars(char* first, char* last, double value, int decimals) {
    return formatted(first, last, "{:.{}f}", value, decimals);
}

std::to_chars_result scientific_chars(char* first, char* last, double value, int decimals) {
    return formatted(first, last, "{:.{}e}", value, decimals);
}

std::to_chars_result general_chars(char* first, char* last, double value, int precision) {
    return formatted(first, last, "{:.{}g}", value, precision);
}

std::from_chars_result read_chars(const char* first, const char* last, double& value) {
    double read = 0.0;
    auto [ptr, ec] = fast_float::from_chars(first, last, read);
    if (ec != std::errc()) return {ptr, ec};
    const char* digits = first + (*first == '-' ? 1 : 0);
    const bool written_infinite = *digits == 'i' || *digits == 'I';
    if ((std::isinf(read) && !written_infinite) || (read == 0.0 && names_nonzero(digits, ptr))) {
        return {ptr, std::errc::result_out_of_range};
    }
    value = read;
    return {ptr, std::errc()};
}

}  // namespace wavespec
