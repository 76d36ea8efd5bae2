// Reading back the files of a run for plotting: fields as the tool writes them (asterisks,
// exponents without their letter), time and frequency from the row number, and errors
// that name the line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plot/csv_table.hpp"
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
        {head + " 0.000,1,2,3,4\n", 2, "expected 4 fields, found 5"},
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

// The newer tables: whole finite numbers, a counted header, a column of words where named.
TEST(CsvTable, ReadsRowsAndNamesTheLineOfEachFault) {
    const TableForm five{.first_column = "frequency(Hz)", .columns = 5};
    const TableForm words{.first_column = "damping", .columns = 3, .text_column = 1};
    const TableForm some{.first_column = "f", .fewest_columns = 3};
    struct Case {
        const TableForm* form;
        std::string text;
        std::size_t line;
        const char* message;  // empty: read
    };
    const std::string head = "frequency(Hz),\"N,S\",EW,UD,H/V\r\n";
    const Case cases[] = {
        {&five, head + "1,2,3,4,5\r\n0.5,-1e-300,0,7,8\r\n\r\n", 0, ""},
        {&words, "damping,component,Sa\n0.05,\"a,b\",3\n", 0, ""},
        {&some, "f,a,b,c\n1,2,3,4\n", 0, ""},
        {&five, "", 0, "empty file"},
        {&five, " frequency(Hz)\n", 1, "header does not start with 'frequency(Hz),'"},
        {&five, "time(s),a,b,c,d\n1,2,3,4,5\n", 1, "header does not start with 'frequency(Hz),'"},
        {&five, "frequency(Hz),a,b,c\n1,2,3,4\n", 1, "expected 5 columns, found 4"},
        {&some, "f,a\n1,2\n", 1, "expected at least 3 columns, found 2"},
        {&five, "frequency(Hz),\"a,b,c,d\n", 1, "unreadable header (unbalanced quotes)"},
        {&five, head, 0, "no rows after the header"},
        {&five, head + "1,2,3,4,5\n1,2,3,4\n", 3, "expected 5 fields, found 4"},
        {&five, head + "1,2,3,4,5,\n", 2, "expected 5 fields, found 6"},
        {&five, head + "1,2,nan,4,5\n", 2, "cannot read field 3 'nan'"},
        {&five, head + "1,2,3,inf,5\n", 2, "cannot read field 4 'inf'"},
        {&five, head + "1,2,3,1e999,5\n", 2, "cannot read field 4 '1e999'"},
        {&five, head + "1,,3,4,5\n", 2, "cannot read field 2 ''"},
        {&five, head + "1,2,3,4,5\n\n\n1,2,3,4,5\n", 5, "row after an empty line"},
        {&words, "damping,component,Sa\n0.05,\"a,3\n", 2, "unreadable row (unbalanced quotes)"},
        {&words, "damping,component,Sa\n0.05,a,b\n", 2, "cannot read field 3 'b'"},
    };
    for (const Case& c : cases) {
        try {
            CsvTable t = read_csv_table(c.text, *c.form);
            EXPECT_STREQ("", c.message) << c.text;
            EXPECT_EQ(t.lines.back(), c.form == &five ? 3u : 2u) << c.text;
        } catch (const ReadError& e) {
            EXPECT_EQ(e.line(), c.line) << c.text;
            EXPECT_STREQ(e.what(), c.message) << c.text;
        }
    }
    CsvTable t = read_csv_table(cases[0].text, five);
    EXPECT_EQ(t.header[1], "N,S");
    EXPECT_EQ(t.numbers[1][1], -1e-300);
    EXPECT_EQ(t.numbers[4][0], 5.0);
    t = read_csv_table(cases[1].text, words);
    EXPECT_EQ(t.words.at(0), "a,b");
    EXPECT_TRUE(t.numbers[1].empty());
    EXPECT_EQ(t.numbers[2][0], 3.0);
}

}  // namespace
}  // namespace wavespec::plot
