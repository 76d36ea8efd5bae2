// The quick reading of plain reals, the eight-digit text of integers and the record counter,
// each against a slow and obvious counterpart.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "records/decimal_digits.hpp"
#include "records/list_input.hpp"
#include "records/number_scan.hpp"
#include "records/record_counter.hpp"
#include "support/bit_cast.hpp"
#include "unit/record_test_support.hpp"

namespace wavespec {
namespace {

std::uint64_t bits_of(double v) {
    return bit_cast<std::uint64_t>(v);
}

// A random number text of the forms list input accepts, some of them beyond the quick road:
// long digit strings, far exponents, D and sign-only exponents, leading and trailing zeros.
std::string random_number_text(std::mt19937_64& engine) {
    auto pick = [&](int n) { return static_cast<int>(engine() % static_cast<std::uint64_t>(n)); };
    std::string text;
    if (pick(3) == 0) text += pick(2) ? '-' : '+';
    int leading_zeros = pick(4) == 0 ? pick(4) : 0;
    text.append(static_cast<std::size_t>(leading_zeros), '0');
    int whole = pick(10);
    for (int i = 0; i < whole; ++i) text += static_cast<char>('0' + pick(10));
    int fraction = pick(5) == 0 ? -1 : pick(12);  // -1: no point
    if (fraction >= 0) {
        text += '.';
        for (int i = 0; i < fraction; ++i) text += static_cast<char>('0' + pick(10));
    }
    if (whole == 0 && fraction <= 0) text += '7';
    if (pick(3) == 0) {
        const char* letters[] = {"E", "e", "D", "d", ""};
        const char* signs[] = {"+", "-", ""};
        std::string_view letter = letters[pick(5)];
        std::string_view sign = signs[pick(3)];
        if (letter.empty() && sign.empty()) sign = "-";
        text.append(letter).append(sign);
        text.append(std::to_string(pick(4) == 0 ? pick(400) : pick(25)));
    }
    return text;
}

// The same text with a standard exponent, for strtod.
std::string as_c_text(const std::string& text) {
    std::string c_text;
    bool exponent = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == 'd' || c == 'D' || c == 'e' || c == 'E') {
            exponent = true;
            c = 'e';
        } else if ((c == '+' || c == '-') && i > 0 && !exponent) {
            exponent = true;
            c_text += 'e';
        }
        c_text += c;
    }
    return c_text;
}

TEST(PlainRealScan, TakesWholeValuesAndAgreesWithTheCLibrary) {
    std::mt19937_64 engine(2024);
    int taken = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string text = random_number_text(engine);
        double value = -1.0;
        std::size_t n = scan_plain_real(text + ",", value);
        if (n == 0) continue;
        ++taken;
        ASSERT_EQ(n, text.size()) << text;
        double expected = std::strtod(as_c_text(text).c_str(), nullptr);
        ASSERT_EQ(bits_of(value), bits_of(expected)) << text;
    }
    EXPECT_GT(taken, 100000);  // the quick road covers most of these forms
}

TEST(PlainRealScan, LeavesToTheFullReaderWhatItCannotSettle) {
    double value = 0.0;
    for (const char* text : {
             "12345678901234567,",  // above 2^53: not exact in a double
             "0.12345678901234567,",
             "1e23,",
             "1e-23,",
             "1.5e99999,",
             "3*1.5,",  // a repeat count
             "1.5",     // the text ends: the number may go on
             "1.5e",
             "-",
             "",
             "+.,",
             ".,",
             "1e,",
             "1e+,",
             "1D-x",
         }) {
        EXPECT_EQ(scan_plain_real(text, value), 0u) << text;
    }
    // It stops where the full reader stops, not at the separator.
    EXPECT_EQ(scan_plain_real("1.5*2,", value), 3u);
    EXPECT_EQ(value, 1.5);
    EXPECT_EQ(scan_plain_real("-0.0 ", value), 4u);
    EXPECT_TRUE(std::signbit(value));
    EXPECT_EQ(scan_plain_real("000000000000000000000012.5000000000000 ", value), 38u);
    EXPECT_EQ(value, 12.5);
}

// Values read on the quick road equal, to the bit, the same values read through a repeat
// count, which always takes the full road; so do the values the quick road declines.
TEST(PlainRealScan, ReaderGivesTheSameValuesOnBothRoads) {
    std::mt19937_64 engine(77);
    std::string plain;
    std::string repeated;
    const int count = 4000;
    for (int i = 0; i < count; ++i) {
        std::string text = random_number_text(engine);
        plain += text + (i % 3 == 0 ? " " : ",");
        repeated += "1*" + text + (i % 7 == 0 ? "\n" : ",");
    }
    plain += "\n";
    repeated += "\n";
    auto read_all = [&](const std::string& input) {
        test::Console console(input);
        std::vector<double> values(count, -1.0);
        ListReader read(console.layer(), kKeyboard, false);
        for (double& v : values) read.real(v);
        read.finish();
        return values;
    };
    std::vector<double> quick = read_all(plain);
    std::vector<double> full = read_all(repeated);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(bits_of(quick[static_cast<std::size_t>(i)]),
                  bits_of(full[static_cast<std::size_t>(i)]))
            << i;
    }
}

std::string eight_digits_slowly(std::uint32_t value) {
    std::string text(8, '0');
    for (int k = 7; k >= 0; --k, value /= 10) {
        text[static_cast<std::size_t>(k)] = static_cast<char>('0' + value % 10);
    }
    return text;
}

TEST(EightDigits, MatchDivisionDigitByDigit) {
    auto check = [](std::uint32_t value) {
        char text[8];
        std::uint64_t digits = eight_digit_values(value);
        store_eight_digits(digits, text);
        std::string expected = eight_digits_slowly(value);
        ASSERT_EQ(std::string(text, 8), expected) << value;
        std::size_t zeros = expected.size() - 1 - expected.find_last_not_of('0');
        if (value == 0) zeros = 8;
        ASSERT_EQ(trailing_zero_digits(digits), static_cast<int>(zeros)) << value;
    };
    for (std::uint32_t v = 0; v < 200000; ++v) check(v);
    for (std::uint32_t v = 99999999; v > 99800000; --v) check(v);
    for (std::uint32_t v = 0; v < 100000000; v += 9973) check(v);
    for (std::uint32_t v = 1; v < 100000000; v *= 10) check(v);
}

}  // namespace
}  // namespace wavespec

namespace wavespec {
namespace {

TEST(RecordCounter, CountsLikeTheStandardConversion) {
    RecordCounter counter(1);
    for (std::uint32_t v = 1; v < 200000; ++v, counter.next()) {
        ASSERT_EQ(counter.text(), std::to_string(v));
    }
    for (std::uint32_t start : {0u, 9u, 99u, 99999u, 9999999u, 99999990u}) {
        RecordCounter from(start);
        for (std::uint64_t v = start; v < std::uint64_t{start} + 9; ++v, from.next()) {
            ASSERT_EQ(from.text(), std::to_string(v));
        }
    }
    // The count stops at its largest number instead of wrapping or growing past eight digits.
    RecordCounter top(RecordCounter::kLargest);
    top.next();
    EXPECT_EQ(top.text(), "99999999");
    EXPECT_EQ(RecordCounter(4000000000u).text(), "99999999");
}

}  // namespace
}  // namespace wavespec
