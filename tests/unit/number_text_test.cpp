// The text forms of numbers (list-directed integers and reals, F and E fields): a table of
// examples for each form, the widest values that fit a field, and the forms of infinities and NaN.
#include "records/number_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>

namespace wavespec {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

std::string list_real(double value) {
    char buffer[kNumberTextCapacity];
    return {buffer, list_real_text(value, buffer)};
}
std::string real_part(double value) {
    char buffer[kNumberTextCapacity];
    return {buffer, list_real_part_text(value, buffer)};
}
std::string integer(std::int32_t value) {
    char buffer[kNumberTextCapacity];
    return {buffer, integer_text(value, buffer)};
}
std::string f_field(double value, int width, int decimals) {
    char buffer[kNumberTextCapacity];
    return {buffer, fixed_field(value, width, decimals, buffer)};
}
std::string e_field(double value, int width, int digits) {
    char buffer[kNumberTextCapacity];
    return {buffer, exponent_field(value, width, digits, buffer)};
}

struct RealCase {
    double value;
    const char* text;
};

// Blank, sign or blank, "%.9G" with a decimal point always present.
TEST(ListRealText, NineSignificantDigitsWithAPoint) {
    const RealCase cases[] = {
        {0.01, "  0.01"},
        {1.0, "  1."},
        {100.0, "  100."},
        {-2.5, " -2.5"},
        {1.0 / 3.0, "  0.333333333"},
        {0.0, "  0."},
        {1.0e-5, "  1.E-05"},
        {2.0e10, "  2.E+10"},
        {123456789.7, "  123456790."},
    };
    for (const RealCase& c : cases) EXPECT_EQ(list_real(c.value), c.text) << c.value;
}

TEST(ListRealText, ExponentFormOnlyBelowMinus4AndFrom9) {
    const RealCase cases[] = {
        {1.0e-4, "  0.0001"},           // decimal exponent -4: still fixed
        {1.5e-7, "  1.5E-07"},          // below -4: exponent form, point already present
        {999999999.0, "  999999999."},  // exponent 8 after rounding: fixed, point appended
        {999999999.5, "  1.E+09"},      // rounds to ten digits: exponent 9
        {1.0e9, "  1.E+09"},
        {-1.0e9, " -1.E+09"},
        {1.0e100, "  1.E+100"},  // at least two exponent digits, three when needed
        {-6.02214076e23, " -6.02214076E+23"},
        {0.5, "  0.5"},
        {1.0e-300, "  1.E-300"},
    };
    for (const RealCase& c : cases) EXPECT_EQ(list_real(c.value), c.text) << c.value;
}

// The parts of a complex item, without the leading blanks, a minus sign kept.
TEST(ListRealText, PartsOfAComplexItem) {
    EXPECT_EQ(real_part(1.5), "1.5");
    EXPECT_EQ(real_part(-2.0), "-2.");
    EXPECT_EQ(real_part(0.5), "0.5");
    EXPECT_EQ(real_part(0.0), "0.");
    EXPECT_EQ(real_part(1.0e-5), "1.E-05");
    EXPECT_EQ(real_part(-123456789.7), "-123456790.");
}

TEST(ListRealText, InfinitiesAndNaN) {
    EXPECT_EQ(list_real(kInf), "  Infinity");
    EXPECT_EQ(list_real(-kInf), " -Infinity");
    EXPECT_EQ(list_real(kNaN), "  NaN");
    EXPECT_EQ(real_part(kInf), "Infinity");
    EXPECT_EQ(real_part(-kInf), "-Infinity");
    EXPECT_EQ(real_part(kNaN), "NaN");
}

// A minus sign if negative, the digits without leading zeros (the blank is the
// writer's).
TEST(IntegerText, DigitsWithoutWidth) {
    EXPECT_EQ(integer(30), "30");
    EXPECT_EQ(integer(-5), "-5");
    EXPECT_EQ(integer(0), "0");
    EXPECT_EQ(integer(2048), "2048");
    EXPECT_EQ(integer(std::numeric_limits<std::int32_t>::max()), "2147483647");
    EXPECT_EQ(integer(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

// Record numbers take a quick road below 10^8; every length, and both sides of the switch.
TEST(IntegerText, AgreesWithTheStandardConversion) {
    auto check = [](std::int32_t v) { ASSERT_EQ(integer(v), std::to_string(v)) << v; };
    for (std::int32_t v = -1000; v < 200000; ++v) check(v);
    for (std::int64_t p = 1; p <= 1000000000; p *= 10) {
        for (std::int64_t v : {p - 1, p, p + 1, 2 * p, -p}) check(static_cast<std::int32_t>(v));
    }
    for (std::int32_t v = 99999990; v < 100000010; ++v) check(v);
    for (std::int64_t v = 0; v < std::numeric_limits<std::int32_t>::max(); v += 7777777) {
        check(static_cast<std::int32_t>(v));
    }
}

struct FieldCase {
    int width;
    int decimals;
    double value;
    const char* text;
};

// Each case's value in the field of its width and decimals, F or E, against its text.
void expect_fields(char descriptor, std::span<const FieldCase> cases) {
    for (const FieldCase& c : cases) {
        std::string text = descriptor == 'F' ? f_field(c.value, c.width, c.decimals)
                                             : e_field(c.value, c.width, c.decimals);
        EXPECT_EQ(text, c.text) << descriptor << c.width << "." << c.decimals << " of " << c.value;
    }
}

// Fw.d: rounding, signs, the zero before the point, asterisks.
TEST(FixedField, TableOfExamples) {
    const FieldCase cases[] = {
        {6, 3, 0.0, " 0.000"},
        {6, 3, 0.005, " 0.005"},
        {6, 3, 12.3456, "12.346"},
        {6, 3, -0.5, "-0.500"},
        {6, 3, 99.9994, "99.999"},
        {6, 3, 99.9996, "******"},
        {6, 3, 100.0, "******"},
        {8, 4, 0.1, "  0.1000"},
        {8, 4, 1234.5678, "********"},
        {12, 4, 1.23456, "      1.2346"},
        {12, 4, -123.45678, "   -123.4568"},
        {12, 4, -0.00004, "      0.0000"},
        {12, 4, 10000000.0, "************"},
    };
    expect_fields('F', cases);
}

TEST(FixedField, LargestValuesThatFit) {
    const FieldCase cases[] = {
        {6, 3, 99.999, "99.999"},
        {6, 3, -9.999, "-9.999"},
        {6, 3, -10.0, "******"},
        {6, 3, -9.9996, "******"},  // rounds to -10.000
        {8, 4, 999.9999, "999.9999"},
        {8, 4, 1000.0, "********"},
        {8, 4, -99.9999, "-99.9999"},
        {8, 4, -100.0, "********"},
        {12, 4, 9999999.9999, "9999999.9999"},
        {12, 4, 9999999.99996, "************"},
        {12, 4, -999999.9999, "-999999.9999"},
        {12, 4, -1000000.0, "************"},
        {6, 3, 1.0e300, "******"},
        {6, 3, -1.0e300, "******"},
    };
    expect_fields('F', cases);
}

// A minus sign only when the rounded text is not all zeros.
TEST(FixedField, NegativesRoundingToZeroHaveNoMinus) {
    const FieldCase cases[] = {
        {6, 3, -0.0004, " 0.000"},
        {6, 3, -0.0, " 0.000"},
        {12, 4, -0.00004999, "      0.0000"},
        {12, 4, -0.00005001, "     -0.0001"},
        {8, 4, -1.0e-300, "  0.0000"},
        {6, 3, -0.0006, "-0.001"},
    };
    expect_fields('F', cases);
}

// The 0 before the point is dropped only when that alone makes the text fit.
TEST(FixedField, LeadingZeroDroppedOnlyToFit) {
    const FieldCase cases[] = {
        {5, 3, 0.5, "0.500"},  {4, 3, 0.5, ".500"}, {6, 3, -0.5, "-0.500"},
        {5, 3, -0.5, "-.500"}, {3, 3, 0.5, "***"},  {4, 3, -0.5, "****"},
        {2, 0, 0.4, "0."},     {1, 0, 0.4, "."},    {1, 0, 1.4, "*"},
    };
    expect_fields('F', cases);
}

TEST(FixedField, InfinitiesAndNaNRightJustifiedOrAsterisks) {
    EXPECT_EQ(f_field(kInf, 12, 4), "    Infinity");
    EXPECT_EQ(f_field(-kInf, 12, 4), "   -Infinity");
    EXPECT_EQ(f_field(kNaN, 12, 4), "         NaN");
    EXPECT_EQ(f_field(kInf, 8, 4), "Infinity");
    EXPECT_EQ(f_field(-kInf, 8, 4), "********");
    EXPECT_EQ(f_field(kInf, 6, 3), "******");
    EXPECT_EQ(f_field(kNaN, 6, 3), "   NaN");
    EXPECT_EQ(f_field(kNaN, 2, 0), "**");
}

// Ew.d: the digits, the exponent forms, the leading zero, asterisks.
TEST(ExponentField, TableOfExamples) {
    const FieldCase cases[] = {
        {12, 4, 123.456, "  0.1235E+03"},    {12, 4, -0.001234, " -0.1234E-02"},
        {12, 4, 0.0, "  0.0000E+00"},        {12, 4, 9.99996, "  0.1000E+02"},
        {15, 7, 123.456, "  0.1234560E+03"}, {15, 7, -0.001234, " -0.1234000E-02"},
    };
    expect_fields('E', cases);
}

TEST(ExponentField, ExponentIsPrintfsPlusOneWrittenAfresh) {
    const FieldCase cases[] = {
        {12, 4, 0.5, "  0.5000E+00"},  // %E exponent -1, field exponent +00
        {12, 4, 1.0, "  0.1000E+01"},
        {12, 4, 0.099999, "  0.1000E+00"},  // rounding carries into the exponent
        {12, 4, 1.0e9, "  0.1000E+10"},
        {12, 4, 1.0e-10, "  0.1000E-09"},
        {15, 7, 1.0e98, "  0.1000000E+99"},
        {12, 4, 1.0e-100, "  0.1000E-99"},
    };
    expect_fields('E', cases);
}

// Three exponent digits: sign and digits, the E left out, the width unchanged.
TEST(ExponentField, ThreeDigitExponentsWithoutTheE) {
    const FieldCase cases[] = {
        {12, 4, 1.0e99, "  0.1000+100"},     {12, 4, -2.5e150, " -0.2500+151"},
        {12, 4, 1.0e-101, "  0.1000-100"},   {12, 4, 5.0e-101, "  0.5000-100"},
        {15, 7, 1.0e300, "  0.1000000+301"}, {15, 7, -1.0e-300, " -0.1000000-299"},
    };
    expect_fields('E', cases);
}

// Sign, point, digits and four exponent characters must fit; the 0 only with a place left.
TEST(ExponentField, RoomForTheFieldAndItsZero) {
    const FieldCase cases[] = {
        {11, 4, 1.0, " 0.1000E+01"}, {10, 4, 1.0, "0.1000E+01"},    {9, 4, 1.0, ".1000E+01"},
        {8, 4, 1.0, "********"},     {11, 4, -1.0, "-0.1000E+01"},  {10, 4, -1.0, "-.1000E+01"},
        {9, 4, -1.0, "*********"},   {9, 4, 1.0e-200, ".1000-199"},
    };
    expect_fields('E', cases);
}

TEST(ExponentField, InfinitiesAndNaNRightJustifiedOrAsterisks) {
    EXPECT_EQ(e_field(kInf, 12, 4), "    Infinity");
    EXPECT_EQ(e_field(-kInf, 12, 4), "   -Infinity");
    EXPECT_EQ(e_field(kNaN, 12, 4), "         NaN");
    EXPECT_EQ(e_field(-kInf, 15, 7), "      -Infinity");
    EXPECT_EQ(e_field(-kInf, 8, 4), "********");
    EXPECT_EQ(e_field(kNaN, 2, 1), "**");
}

}  // namespace
}  // namespace wavespec
