// The dumps of the inverse path reuse the texts of values they have already written; whatever
// the arrays hold, each record must show its own position's value exactly.
#include "dialogue/dump_files.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

#include "records/number_text.hpp"
#include "unit/record_test_support.hpp"

namespace wavespec {
namespace {

// Runs the test body with the scratch directory as the working directory, where the dump
// units create their fort.N files.
class InScratchDir {
  public:
    InScratchDir() {
        char buffer[4096];
        if (::getcwd(buffer, sizeof buffer) == nullptr) throw std::runtime_error("getcwd");
        previous_ = buffer;
        if (::chdir(dir_.path().c_str()) != 0) throw std::runtime_error("chdir");
    }
    ~InScratchDir() { (void)::chdir(previous_.c_str()); }
    std::string read(const char* name) const { return test::read_file(dir_.file(name)); }

  private:
    test::ScratchDir dir_;
    std::string previous_;
};

std::string part(double v) {
    char text[kNumberTextCapacity];
    return {text, list_real_part_text(v, text)};
}

// The records "i (re,im)" of a block, as the dump must show it.
std::string block(const std::vector<Complex>& values, const char* after_position = "") {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += " " + std::to_string(i + 1) + after_position + " (" + part(values[i].re) + "," +
                part(values[i].im) + ")\n";
    }
    return text;
}

std::vector<Complex> random_values(std::size_t n, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    std::vector<Complex> values(n);
    for (Complex& z : values) z = {value(engine), value(engine) * 1e-12};
    return values;
}

std::vector<Complex> bit_reversed(const std::vector<Complex>& values) {
    std::vector<Complex> out(values.size());
    std::size_t n = values.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t r = 0;
        for (std::size_t bit = n >> 1, rest = i; bit > 0; bit >>= 1, rest >>= 1) {
            r = (r << 1) | (rest & 1);
        }
        out[i] = values[r];
    }
    return out;
}

TEST(DumpFiles, ReusedTextsShowEachPositionsOwnValue) {
    InScratchDir scratch;
    const std::vector<Complex> spectrum = random_values(64, 1);
    const std::vector<Complex> other = random_values(64, 2);
    std::vector<Complex> almost = bit_reversed(other);
    almost[5].re += 1.0;  // not the permuted input any more
    {
        test::Console console;
        TransformDumps dumps(console.layer());
        dumps.dump_spectrum(spectrum);
        dumps.input(spectrum);  // the same values as fort.89
        dumps.permuted(bit_reversed(spectrum));
        dumps.output(other);
        dumps.input(other);      // new values: formatted afresh
        dumps.permuted(almost);  // not the permuted input: no reuse
        dumps.output(spectrum);
    }
    EXPECT_EQ(scratch.read("fort.89"), block(spectrum, ","));
    EXPECT_EQ(scratch.read("fort.67"), block(spectrum) + block(other));
    EXPECT_EQ(scratch.read("fort.68"), block(bit_reversed(spectrum)) + block(almost));
    EXPECT_EQ(scratch.read("fort.69"), block(other) + block(spectrum));
}

TEST(DumpFiles, RescaledRecordsCarryTheSameDuration) {
    InScratchDir scratch;
    {
        test::Console console;
        RescaleDump dump(console.layer(), 20.48);
        dump.rescaled(1, 0.25);
        dump.rescaled(2, -1e-7);
    }
    EXPECT_EQ(scratch.read("fort.88"), " 1,  0.25  20.48\n 2, -1.E-07  20.48\n");
}

}  // namespace
}  // namespace wavespec

namespace wavespec {
namespace {

// The slots of a pre-formatted complex item hold the longest parts a double can give: a minus
// sign, nine digits, the point and a three-digit exponent.
TEST(ComplexItemText, SlotsHoldTheLongestParts) {
    const double limits[] = {-1.7976931348623157e308,
                             -2.2250738585072014e-308,
                             -4.9e-324,
                             -1.23456789e-100,
                             -123456789.0,
                             -0.000123456789,
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (double re : limits) {
        ComplexItemText item;
        item.format(re, -re);
        ASSERT_LE(item.re_size, ComplexItemText::kSlot);
        ASSERT_LE(item.im_size, ComplexItemText::kSlot);
        EXPECT_EQ(std::string(item.re, item.re_size), part(re));
        EXPECT_EQ(std::string(item.im, item.im_size), part(-re));
    }
    ComplexItemText longest;
    longest.format(-1.23456789e-100, 0.0);
    EXPECT_EQ(longest.re_size, 16u);
}

}  // namespace
}  // namespace wavespec
