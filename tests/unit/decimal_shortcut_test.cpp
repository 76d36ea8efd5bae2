// The fast number texts (digits derived from the shortest round-trip form) against the exact
// conversions, over random values of every magnitude and over constructed ties.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "records/number_text.hpp"
#include "records/number_text_by_conversion.hpp"

namespace wavespec {
namespace {

std::string list_fast(double v) {
    char b[kNumberTextCapacity];
    return {b, list_real_text(v, b)};
}
std::string list_exact(double v) {
    char b[kNumberTextCapacity];
    return {b, list_real_text_by_conversion(v, b)};
}
std::string f_fast(double v, int w, int d) {
    char b[kNumberTextCapacity];
    return {b, fixed_field(v, w, d, b)};
}
std::string f_exact(double v, int w, int d) {
    char b[kNumberTextCapacity];
    return {b, fixed_field_by_conversion(v, w, d, b)};
}
std::string e_fast(double v, int w, int d) {
    char b[kNumberTextCapacity];
    return {b, exponent_field(v, w, d, b)};
}
std::string e_exact(double v, int w, int d) {
    char b[kNumberTextCapacity];
    return {b, exponent_field_by_conversion(v, w, d, b)};
}

void expect_same_everywhere(double v) {
    ASSERT_EQ(list_fast(v), list_exact(v)) << std::hexfloat << v;
    ASSERT_EQ(f_fast(v, 6, 3), f_exact(v, 6, 3)) << std::hexfloat << v;
    ASSERT_EQ(f_fast(v, 8, 4), f_exact(v, 8, 4)) << std::hexfloat << v;
    ASSERT_EQ(f_fast(v, 12, 4), f_exact(v, 12, 4)) << std::hexfloat << v;
    ASSERT_EQ(f_fast(v, 30, 9), f_exact(v, 30, 9)) << std::hexfloat << v;
    ASSERT_EQ(e_fast(v, 12, 4), e_exact(v, 12, 4)) << std::hexfloat << v;
    ASSERT_EQ(e_fast(v, 15, 7), e_exact(v, 15, 7)) << std::hexfloat << v;
    // Tight fields: the zero before the point dropped, asterisks, no room for the leading zero.
    ASSERT_EQ(f_fast(v, 6, 4), f_exact(v, 6, 4)) << std::hexfloat << v;
    ASSERT_EQ(f_fast(v, 5, 4), f_exact(v, 5, 4)) << std::hexfloat << v;
    ASSERT_EQ(f_fast(v, 24, 15), f_exact(v, 24, 15)) << std::hexfloat << v;
    ASSERT_EQ(f_fast(v, 5, 0), f_exact(v, 5, 0)) << std::hexfloat << v;
    ASSERT_EQ(e_fast(v, 10, 4), e_exact(v, 10, 4)) << std::hexfloat << v;
    ASSERT_EQ(e_fast(v, 9, 4), e_exact(v, 9, 4)) << std::hexfloat << v;
    ASSERT_EQ(e_fast(v, 24, 16), e_exact(v, 24, 16)) << std::hexfloat << v;
    ASSERT_EQ(e_fast(v, 7, 1), e_exact(v, 7, 1)) << std::hexfloat << v;
}

TEST(DecimalShortcut, AgreesWithExactConversionOnRandomValuesOfEveryMagnitude) {
    std::mt19937_64 engine(12345);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 300);
    for (int i = 0; i < 60000; ++i) {
        double v = mantissa(engine) * std::pow(10.0, exponent(engine));
        if (i % 2) v = -v;
        expect_same_everywhere(v);
    }
}

TEST(DecimalShortcut, AgreesOnRandomBitPatterns) {
    std::mt19937_64 engine(777);
    for (int i = 0; i < 60000; ++i) {
        std::uint64_t bits = engine();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        expect_same_everywhere(v);
    }
}

TEST(DecimalShortcut, AgreesOnValuesNearRoundingBoundaries) {
    // Decimal midpoints of every field, and the doubles next to them on both sides.
    std::mt19937_64 engine(99);
    std::uniform_int_distribution<long long> digits(0, 99999999);
    for (int i = 0; i < 15000; ++i) {
        long long n = digits(engine);
        for (double scale : {1e-4, 1e-5, 1e-3, 1e-9, 1e-8, 1.0, 1e3}) {
            double mid = (static_cast<double>(n) + 0.5) * scale;
            for (double v : {mid, std::nextafter(mid, 0.0), std::nextafter(mid, 1e300)}) {
                expect_same_everywhere(v);
            }
        }
    }
    // Exactly representable halves: the shortcut must hand these to the exact conversion.
    for (double v : {0.5, 1.5, 2.5, 0.125, 0.0625, 9.5, 99.9995, 0.00005, 123456789.5, 1234567.25,
                     0.03125, 1e-5, 5e-5, 999.99995, 9999999.99995}) {
        expect_same_everywhere(v);
        expect_same_everywhere(-v);
    }
}

// Times and frequencies are multiples of a step: scaled by a power of ten they land next to a
// whole number, on either side of it, and next to powers of ten where the digit count changes.
TEST(DecimalShortcut, AgreesOnValuesThatScaleToNearlyWholeNumbers) {
    for (int k = 0; k < 40000; ++k) {
        for (double step : {0.01, 0.001, 0.1, 0.005, 0.0030517578125, 1e-6}) {
            expect_same_everywhere(k * step);
        }
    }
    for (int e = -12; e <= 15; ++e) {
        double power = std::pow(10.0, e);
        double v = power;
        for (int i = 0; i < 4; ++i) v = std::nextafter(v, 0.0);
        for (int i = 0; i < 8; ++i, v = std::nextafter(v, 1e300)) expect_same_everywhere(v);
    }
}

TEST(DecimalShortcut, AgreesOnSpecialValues) {
    for (double v :
         {0.0, -0.0, 1.0, -1.0, 10.0, 1e9, 999999999.0, 999999999.5, 1e-4, 9.99996, 99.9996, 1e100,
          1e-100, 1e-99, 5e-324, 1.7976931348623157e308, std::numeric_limits<double>::min()}) {
        expect_same_everywhere(v);
        expect_same_everywhere(-v);
    }
}

TEST(DecimalShortcut, WideFixedFieldsShowLargeValuesThatFit) {
    // The double nearest 10^60 has 60 integer digits, all of them written: it fits F64.0 and
    // (negative, with one decimal) F64.1, not F62.2; from 10^64 on nothing fits.
    const std::string digits = "999999999999999949387135297074018866963645011013410073083904";
    EXPECT_EQ(f_fast(1e60, 64, 0), "   " + digits + ".");
    EXPECT_EQ(f_fast(-1e60, 64, 1), " -" + digits + ".0");
    EXPECT_EQ(f_fast(1e60, 62, 2), std::string(62, '*'));
    EXPECT_EQ(f_fast(1e64, 64, 0), std::string(64, '*'));
}

}  // namespace
}  // namespace wavespec
