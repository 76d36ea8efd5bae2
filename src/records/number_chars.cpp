#include "records/number_chars.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#define FMT_HEADER_ONLY
// The whole table of powers of ten: a few nanoseconds faster a number than recomputing entries.
#define FMT_USE_FULL_CACHE_DRAGONBOX 1
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

constexpr auto kPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{1};
    for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = powers[k - 1] * 10;
    return powers;
}();

// The number of decimal digits of n: from its bit length (1233/4096 is just above log10 2),
// corrected by one comparison.
int decimal_digits(std::uint64_t n) {
    const int guess = (static_cast<int>(std::bit_width(n | 1)) * 1233) >> 12;
    return guess + (n >= kPowersOfTen[static_cast<std::size_t>(guess)] ? 1 : 0);
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the eight digits of n below 10^8 (zero-padded) as four pairs.
void write_eight_digits(std::uint32_t n, char* out) {
    const std::uint32_t high = n / 10000;
    const std::uint32_t low = n % 10000;
    std::memcpy(out, kDigitPairs + 2 * (high / 100), 2);
    std::memcpy(out + 2, kDigitPairs + 2 * (high % 100), 2);
    std::memcpy(out + 4, kDigitPairs + 2 * (low / 100), 2);
    std::memcpy(out + 6, kDigitPairs + 2 * (low % 100), 2);
}

// Writes exactly count digits of n (zero-padded): eight at a time from the end, then pairs, in
// 32-bit arithmetic, which is cheaper than dividing the 64-bit value by 100 for every pair.
char* write_digits(std::uint64_t n, int count, char* out) {
    char* p = out + count;
    int left = count;
    for (; left >= 8; left -= 8) {
        p -= 8;
        write_eight_digits(static_cast<std::uint32_t>(n % 100000000), p);
        n /= 100000000;
    }
    auto rest = static_cast<std::uint32_t>(n);  // below 10^left
    for (; left >= 2; left -= 2) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * (rest % 100), 2);
        rest /= 100;
    }
    if (left == 1) *--p = static_cast<char>('0' + rest);
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

// The whole shortest text of value at out, its end returned.
char* shortest_text_at(double value, char* out) {
    if (std::signbit(value)) *out++ = '-';
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (std::isinf(value)) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    if (value == 0.0) {
        *out = '0';
        return out + 1;
    }
    return shortest_layout(std::fabs(value), out);
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
    constexpr std::ptrdiff_t kRoom = 32;  // the longest text takes 24 characters
    if (last - first >= kRoom) return {shortest_text_at(value, first), std::errc()};
    char text[kRoom];
    auto size = static_cast<std::size_t>(shortest_text_at(value, text) - text);
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

std::optional<double> read_finite(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const char* last = text.data() + text.size();
    double value = 0.0;
    auto [ptr, ec] = read_chars(text.data(), last, value);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace wavespec
