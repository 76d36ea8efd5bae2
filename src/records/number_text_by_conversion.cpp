#include "records/number_text_by_conversion.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

#include "records/field_layout.hpp"
#include "records/number_chars.hpp"

namespace wavespec {

using namespace field_layout;

std::size_t general_nine_digits_by_conversion(double magnitude, char* out) {
    if (magnitude == 0.0) {
        out[0] = '0';
        out[1] = '.';
        return 2;
    }
    char* end = general_chars(out, out + 40, magnitude, 9).ptr;
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

std::size_t fixed_magnitude_by_conversion(double magnitude, int decimals, char* out) {
    char* end = fixed_chars(out, out + 400, magnitude, decimals).ptr;
    if (decimals == 0) *end++ = '.';
    return static_cast<std::size_t>(end - out);
}

void exponent_digits_by_conversion(double magnitude, int digits, char* mantissa, int& exponent) {
    char sci[kNumberTextCapacity];
    char* end = scientific_chars(sci, sci + sizeof sci, magnitude, digits - 1).ptr;
    char* e = static_cast<char*>(std::memchr(sci, 'e', static_cast<std::size_t>(end - sci)));
    std::size_t k = 0;
    for (char* p = sci; p != e; ++p) {
        if (*p != '.') mantissa[k++] = *p;
    }
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
}

std::size_t list_real_text_by_conversion(double value, char* out) {
    out[0] = ' ';
    out[1] = value < 0.0 ? '-' : ' ';
    if (!std::isfinite(value)) return 2 + non_finite_magnitude(value, out + 2);
    return 2 + general_nine_digits_by_conversion(std::fabs(value), out + 2);
}

std::size_t fixed_field_by_conversion(double value, int width, int decimals, char* out) {
    return fixed_field_with(value, width, decimals, out, fixed_magnitude_by_conversion);
}

std::size_t exponent_field_by_conversion(double value, int width, int digits, char* out) {
    return exponent_field_with(value, width, digits, out, exponent_digits_by_conversion);
}

}  // namespace wavespec
