// The number texts of every platform against the GNU standard library's std::to_chars and
// std::from_chars, computed here: millions of random doubles and the classes where
// conversions go wrong, each written shortest, fixed, scientific and general, and read back.
#include "records/number_chars.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/bit_cast.hpp"

#if defined(__GLIBCXX__) && defined(__cpp_lib_to_chars)

namespace wavespec {
namespace {

// Fewer samples under the sanitizers, which slow each conversion tenfold.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kScale = 20;
#else
constexpr int kScale = 1;
#endif

double from_bits(std::uint64_t bits) {
    return bit_cast<double>(bits);
}

// Powers of two and ten, their neighbours, subnormals, the extremes, signed zeros, and
// halfway points between short decimals.
std::vector<double> edge_values() {
    std::vector<double> v = {0.0,
                             -0.0,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN()};
    for (int k = -1074; k <= 1023; ++k) v.push_back(std::ldexp(1.0, k));
    for (int k = -323; k <= 308; ++k)
        v.push_back(std::strtod(("1e" + std::to_string(k)).c_str(), nullptr));
    for (std::uint64_t m = 1; m < 5000; m += 7) v.push_back(from_bits(m));  // subnormals
    for (int k = 0; k < 24; ++k) {
        for (std::uint64_t d : {1ull, 5ull, 25ull, 125ull, 15ull, 95ull, 12345ull}) {
            double x = static_cast<double>(d) * std::pow(10.0, -k) / 2;  // ties at k decimals
            v.push_back(x);
        }
    }
    const std::size_t n = v.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(v[i]) || v[i] == 0.0) continue;
        v.push_back(std::nextafter(v[i], 0.0));
        v.push_back(std::nextafter(v[i], INFINITY));
        v.push_back(-v[i]);
    }
    for (double x : {100000.0, 1e5 + 1, 1234567.0, 1e21, 123456789012345680000.0,
                     9007199254740993.0, 0.0001, 0.00001, 1.5e-5, 1e22, 1e23})
        v.push_back(x);
    return v;
}

std::string std_shortest(double v) {
    char b[64];
    return std::string(b, std::to_chars(b, b + sizeof b, v).ptr);
}

std::string ours_shortest(double v) {
    char b[64];
    auto r = shortest_chars(b, b + sizeof b, v);
    EXPECT_EQ(r.ec, std::errc());
    return std::string(b, r.ptr);
}

enum class Form { kFixed, kScientific, kGeneral };

std::string std_precise(double v, Form form, int precision) {
    static char b[1200];
    std::chars_format f = form == Form::kFixed        ? std::chars_format::fixed
                          : form == Form::kScientific ? std::chars_format::scientific
                                                      : std::chars_format::general;
    return std::string(b, std::to_chars(b, b + sizeof b, v, f, precision).ptr);
}

std::string ours_precise(double v, Form form, int precision) {
    static char b[1200];
    auto r = form == Form::kFixed        ? fixed_chars(b, b + sizeof b, v, precision)
             : form == Form::kScientific ? scientific_chars(b, b + sizeof b, v, precision)
                                         : general_chars(b, b + sizeof b, v, precision);
    EXPECT_EQ(r.ec, std::errc());
    return std::string(b, r.ptr);
}

// Reads text both ways into sentinels: same end, same error, same bits (the sentinel stays
// where the standard one leaves it alone).
void expect_same_reading(const std::string& text) {
    double theirs = 7.0, ours = 7.0;
    auto a = std::from_chars(text.data(), text.data() + text.size(), theirs);
    auto b = read_chars(text.data(), text.data() + text.size(), ours);
    ASSERT_EQ(a.ptr - text.data(), b.ptr - text.data()) << "'" << text << "'";
    ASSERT_EQ(a.ec, b.ec) << "'" << text << "'";
    ASSERT_EQ(bit_cast<std::uint64_t>(theirs) | (std::isnan(theirs) ? 1 : 0),
              bit_cast<std::uint64_t>(ours) | (std::isnan(ours) ? 1 : 0))
        << "'" << text << "'";
}

TEST(NumberChars, ShortestTextAndItsReadingAsTheStandardLibrary) {
    std::vector<double> values = edge_values();
    std::mt19937_64 engine(31);
    for (int i = 0; i < 4000000 / kScale; ++i) values.push_back(from_bits(engine()));
    for (double v : values) {
        std::string text = std_shortest(v);
        ASSERT_EQ(ours_shortest(v), text) << std::hexfloat << v;
        expect_same_reading(text);
    }
}

TEST(NumberChars, PrecisionFormsAsTheStandardLibrary) {
    std::vector<double> values = edge_values();
    std::mt19937_64 engine(32);
    for (int i = 0; i < 25000 / kScale; ++i) {
        // Whole random patterns, and values of the size records hold, where fixed is short.
        values.push_back(from_bits(engine()));
        values.push_back(static_cast<double>(engine() % 2000000000) /
                         std::pow(10.0, static_cast<double>(engine() % 12)));
    }
    // Under the sanitizers every eighth value: the long fixed texts of large values are slow.
    const std::size_t stride = kScale > 1 ? 8 : 1;
    for (std::size_t i = 0; i < values.size(); i += stride) {
        const double v = values[i];
        for (int p : {0, 1, 2, 3, 6, 9, 15, 16, 17, 20, 40}) {
            if (std::fabs(v) < 1e200 || p < 18) {
                ASSERT_EQ(ours_precise(v, Form::kFixed, p), std_precise(v, Form::kFixed, p))
                    << std::hexfloat << v << " " << p;
            }
            ASSERT_EQ(ours_precise(v, Form::kScientific, p), std_precise(v, Form::kScientific, p))
                << std::hexfloat << v << " " << p;
            ASSERT_EQ(ours_precise(v, Form::kGeneral, p), std_precise(v, Form::kGeneral, p))
                << std::hexfloat << v << " " << p;
        }
    }
}

TEST(NumberChars, ReadsEveryTextAsTheStandardLibrary) {
    const std::vector<std::string> fixed = {"",
                                            "-",
                                            "+1",
                                            " 1",
                                            ".",
                                            ".5",
                                            "5.",
                                            "1e",
                                            "1e+",
                                            "1e-",
                                            "1x",
                                            "0x10",
                                            "1d5",
                                            "-0",
                                            "inf",
                                            "-Infinity",
                                            "infin",
                                            "nan",
                                            "-nan",
                                            "nan(abc)",
                                            "nan(a-b)",
                                            "NaN()",
                                            "1e400",
                                            "-1e400",
                                            "1e-400",
                                            "-1e-400",
                                            "2.4703282292062327e-324",
                                            "2.4703282292062328e-324",
                                            "1.7976931348623158e308",
                                            "1.7976931348623159e308",
                                            "0e999999999999",
                                            "0.000e-9999",
                                            "1e-99999999999",
                                            "1e99999999999",
                                            std::string(400, '9'),
                                            "0." + std::string(400, '0') + "1"};
    for (const std::string& text : fixed) expect_same_reading(text);
    // Random strings over the characters numbers are made of, some not numbers at all.
    static constexpr char kAlphabet[] = "0123456789000.eE+-infatyNI(x)";
    std::mt19937_64 engine(33);
    for (int i = 0; i < 1000000 / kScale; ++i) {
        std::string text(engine() % 14, ' ');
        for (char& c : text) c = kAlphabet[engine() % (sizeof kAlphabet - 1)];
        expect_same_reading(text);
    }
    // Long digit strings and far exponents near the ends of the range.
    for (int i = 0; i < 200000 / kScale; ++i) {
        std::string text = std::to_string(engine() % 1000000000000ull) +
                           std::to_string(engine() % 1000000000000ull) + "e" +
                           std::to_string(static_cast<int>(engine() % 700) - 350);
        expect_same_reading(text);
    }
}

TEST(NumberChars, ShortBuffersAreRefused) {
    char b[4];
    for (double v : {12345.0, -1.5e-300, 0.001}) {
        EXPECT_EQ(shortest_chars(b, b + sizeof b, v).ec, std::errc::value_too_large);
        EXPECT_EQ(fixed_chars(b, b + sizeof b, v, 6).ec, std::errc::value_too_large);
    }
}

}  // namespace
}  // namespace wavespec

#endif
