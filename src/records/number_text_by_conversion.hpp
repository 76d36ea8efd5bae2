// The texts of numbers in records made digit by digit by the general conversions with a
// precision (number_chars.hpp). They are slow and plainly right: the fast
// texts of number_text.hpp, which round by exact arithmetic on the double, fall back to them
// wherever that rounding gives up (exact ties, magnitudes out of its range), and tests and
// benchmarks compare the two.
#pragma once

#include <cstddef>

namespace wavespec {

// The digits of the magnitude (positive and finite): the nine-digit general form with its
// point ("0.01", "1.E-05"); Fw.d's digits with the given decimals; and the first `digits`
// significant digits with the decimal exponent of the first.
std::size_t general_nine_digits_by_conversion(double magnitude, char* out);
std::size_t fixed_magnitude_by_conversion(double magnitude, int decimals, char* out);
void exponent_digits_by_conversion(double magnitude, int digits, char* mantissa, int& exponent);

// Whole texts, as list_real_text, fixed_field and exponent_field give them.
std::size_t list_real_text_by_conversion(double value, char* out);
std::size_t fixed_field_by_conversion(double value, int width, int decimals, char* out);
std::size_t exponent_field_by_conversion(double value, int width, int digits, char* out);

}  // namespace wavespec
