// Text forms of numbers in records: the list-directed forms of integers and reals, and the
// fixed-point (Fw.d) and exponent (Ew.d) fields of formatted records. Pure functions that
// write into a caller's buffer; nothing here touches a stream. They round by exact arithmetic
// on the double (see decimal_rounding.hpp) and fall back to the general conversions of
// number_text_by_conversion.hpp wherever that rounding gives up.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wavespec {

// Fields may be up to kMaxFieldWidth wide. Every function here needs kNumberTextCapacity bytes
// at out: it may write past the text it returns (fixed-size copies are faster than exact ones).
inline constexpr std::size_t kMaxFieldWidth = 64;
inline constexpr std::size_t kNumberTextCapacity = 96;

// List-directed real: two leading characters (blank, then minus or blank), then the nine-digit
// general form with a decimal point always present ("  0.01", " -2.5", "  1.E-05").
// Infinities and NaN are written as "Infinity", "-Infinity" and "NaN" after the leading
// characters. Returns the number of characters written.
std::size_t list_real_text(double value, char* out);

// The same without the two leading characters, with its minus sign: the part of a complex item.
std::size_t list_real_part_text(double value, char* out);

// List-directed integer without its leading blank: a minus sign if negative, then the digits.
std::size_t integer_text(std::int32_t value, char* out);

// Fixed-point field Fw.d, right-justified in w characters; w asterisks when it does not fit.
std::size_t fixed_field(double value, int width, int decimals, char* out);

// Exponent field Ew.d: [-][0].ddddE+xx right-justified in w; w asterisks when it does not fit.
std::size_t exponent_field(double value, int width, int digits, char* out);
}  // namespace wavespec
