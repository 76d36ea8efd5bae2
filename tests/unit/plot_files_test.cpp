// Reading back the files of a run for plotting: fields as the tool writes them (asterisks,
// exponents without their letter), time and frequency from the row number, and errors
// that name the line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plot/run_files.hpp"

namespace wavespec::plot {
namespace {

TEST(PlotFiles, Fields) {
    struct Case {
        const char* text;
        bool ok;
        double value;  // NaN: expect NaN
    };
    const Case cases[] = {
        {"  0.1250E+01", true, 1.25},
        {" -0.5000", true, -0.5},
        {"  0.1234+100", true, 1.234e99},
        {" -0.1000-101", true, -1e-102},
        {"******", true, NAN},
        {"+3", true, 3.0},
        {"", false, 0},
        {"  ", false, 0},
        {"1.5x", false, 0},
        {"0.1E+", false, 0},
        {"1-", false, 0},
        {"0.1+99999999999", false, 0},
    };
    for (const Case& c : cases) {
        double v = 0.0;
        ASSERT_EQ(parse_field(c.text, v), c.ok) << c.text;
        if (!c.ok) continue;
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(v)) << c.text;
        } else {
            EXPECT_NEAR(v, c.value, std::fabs(c.value) * 1e-12) << c.text;
        }
    }
}

std::string name20(std::string name) {
    return name.append(20 - name.size(), ' ');
}

TEST(PlotFiles, OutputWaveformTimeFromRowNumberPastAsterisks) {
    // A window from 99.98 s with dt 0.01: the time field overflows from the third row.
    std::string text =
        " time(s)," + name20("N,S") + "," + name20("EW") + "," + name20("UD") + "\r\n";
    text += "99.980,      1.0000,      2.0000,      3.0000,\r\n";
    text += "99.990,      4.0000,************,      6.0000,\r\n";
    for (int i = 0; i < 3; ++i) text += "******,      1.0000,      1.0000,      1.0000,\r\n";
    Table t = read_output_waveform(text);
    EXPECT_EQ(t.names[0], "N,S");  // a comma inside a name is found by its columns
    EXPECT_EQ(t.names[2], "UD");
    ASSERT_EQ(t.abscissa.size(), 5u);
    EXPECT_NEAR(t.abscissa[4], 100.02, 1e-9);
    EXPECT_TRUE(std::isnan(t.values[1][1]));
}

TEST(PlotFiles, SpectrumFrequencyFromBinSpacingPastAsterisks) {
    std::string text = " frequency(Hz),NS,EW,UD\n";
    text += "499.9000,  0.1000E+01,  0.0000E+00,  0.1000E+01,\n";
    text += "999.8000,  0.1000E+01,  0.1000E+01,  0.1000E+01,\n";
    text += "********,  0.1000E+01,  0.1000E+01,  0.1000E+01,\n";
    Table t = read_amplitude_spectra(text);
    EXPECT_NEAR(t.abscissa[2], 1499.7, 1e-9);
    EXPECT_EQ(t.values[1][0], 0.0);
}

TEST(PlotFiles, ErrorsNameTheLine) {
    struct Case {
        std::string text;
        std::size_t line;
        const char* message;
    };
    const std::string head = " time(s),A,B,C\n";
    const Case cases[] = {
        {"", 0, "empty file"},
        {"\n\n", 0, "empty file"},
        {" frequency(Hz),A,B,C\n 0.010,1,2,3,\n", 1, "header does not start with 'time(s),'"},
        {head, 0, "no rows after the header"},
        {head + " 0.000,1,2,3,\n 0.010,1,2\n", 3, "expected 4 fields, found 3"},
        {head + " 0.000,1,x,3,\n", 2, "cannot read field 3 'x'"},
        {head + " 0.000,1,2,3,4\n", 2, "more than 4 fields"},
        {head + " 0.000,1,2,3,\n\n 0.010,1,2,3,\n", 4, "row after an empty line"},
    };
    for (const Case& c : cases) {
        try {
            read_output_waveform(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const ReadError& e) {
            EXPECT_EQ(e.line(), c.line) << c.text;
            EXPECT_STREQ(e.what(), c.message) << c.text;
        }
    }
}

}  // namespace
}  // namespace wavespec::plot
