// Output records through the record layer (list-directed and formatted): list-directed items with
// their leading blanks and the 80-column line limit, and formatted records with literals, repeated
// groups, X and /, stopping at the first data descriptor without an item.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_output.hpp"
#include "unit/record_test_support.hpp"

namespace wavespec {
namespace {

using test::Console;

std::string formatted(const char* format, std::vector<double> items) {
    Console console;
    write_formatted(console.layer(), kConsole, FormatProgram(format), items);
    return console.output();
}

// ---------------------------------------------------------------- formatted output (B)

struct FormattedCase {
    const char* format;
    std::vector<double> items;
    const char* text;
};

TEST(FormattedOutput, RecordsOfTheTool) {
    const FormattedCase cases[] = {
        // The output waveform's example data record: four items, the fourth comma literal written.
        {"(F6.3,4(',',F12.4))",
         {0.01, 1.23456, -0.5, 0.0},
         " 0.010,      1.2346,     -0.5000,      0.0000,\n"},
        // The spectrum files' records: three items (amp3) and two items (amp-c) end with a comma.
        {"(F8.4,6(',',E12.4))",
         {0.0122, 1.0, 2.5e-7, 123.456},
         "  0.0122,  0.1000E+01,  0.2500E-06,  0.1235E+03,\n"},
        {"(F8.4,6(',',E15.7))",
         {0.0, 123.456, -0.001234},
         "  0.0000,  0.1234560E+03, -0.1234000E-02,\n"},
        // All seven descriptors used: no comma at the end.
        {"(F8.4,6(',',E12.4))",
         {1.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0},
         "  1.0000,  0.1000E+01,  0.2000E+01,  0.3000E+01,  0.4000E+01,  0.5000E+01,  "
         "0.6000E+01\n"},
        // Frequencies of 1000 Hz and above do not fit F8.4.
        {"(F8.4,6(',',E12.4))",
         {1000.0, 0.0, 0.0, 0.0},
         "********,  0.0000E+00,  0.0000E+00,  0.0000E+00,\n"},
        // The prompts: a / at the start writes an empty record first.
        {"(/'Enter input file of waveform data')", {}, "\nEnter input file of waveform data\n"},
        {"(/' Enter output file name of waveform (csv format file)')",
         {},
         "\n Enter output file name of waveform (csv format file)\n"},
    };
    for (const FormattedCase& c : cases) {
        EXPECT_EQ(formatted(c.format, c.items), c.text) << c.format;
    }
}

TEST(FormattedOutput, StopsAtTheFirstDataDescriptorWithoutAnItem) {
    const FormattedCase cases[] = {
        {"(F8.4,6(',',E12.4))",
         {1.0, 2.0, 3.0, 4.0},
         "  1.0000,  0.2000E+01,  0.3000E+01,  0.4000E+01,\n"},
        {"(F8.4,6(',',E12.4))", {1.0}, "  1.0000,\n"},
        {"('a',F4.1,'b',F4.1,'c')", {1.0}, "a 1.0b\n"},
        {"('a',F4.1,'b',F4.1,'c')", {1.0, 2.0}, "a 1.0b 2.0c\n"},
        {"('a',F4.1,'b',F4.1,'c')", {}, "a\n"},
        {"(F4.1,'x')", {}, "\n"},
        {"(F4.1)", {}, "\n"},
        {"('a','b',/,'c',F4.1,'d')", {}, "ab\nc\n"},
    };
    for (const FormattedCase& c : cases) {
        EXPECT_EQ(formatted(c.format, c.items), c.text) << c.format << " with " << c.items.size();
    }
}

TEST(FormattedOutput, LiteralsAndDoubledQuotes) {
    const FormattedCase cases[] = {
        {"('it''s',F4.1)", {1.0}, "it's 1.0\n"},
        {"('''')", {}, "'\n"},
        {"('a''''b')", {}, "a''b\n"},
        {"(\"say \"\"hi\"\"\")", {}, "say \"hi\"\n"},
        {"(\"it's\")", {}, "it's\n"},
        {"('a\"b')", {}, "a\"b\n"},
        {"('  blanks kept  ')", {}, "  blanks kept  \n"},
    };
    for (const FormattedCase& c : cases) {
        EXPECT_EQ(formatted(c.format, c.items), c.text) << c.format;
    }
}

TEST(FormattedOutput, XWritesBlanksOnlyWhenTextFollows) {
    const FormattedCase cases[] = {
        {"('a',2X,'b')", {}, "a  b\n"},
        {"('a',2X)", {}, "a\n"},
        {"('a',2X,/,'b')", {}, "a\nb\n"},
        {"('a',2X/'b')", {}, "a\nb\n"},
        {"(F4.1,3X,F4.1)", {1.0, 2.0}, " 1.0    2.0\n"},
        {"(F4.1,3X,F4.1)", {1.0}, " 1.0\n"},
        {"(1X,F4.1)", {1.0}, "  1.0\n"},
        {"(F4.1,1X,2X,'z')", {1.0}, " 1.0   z\n"},
    };
    for (const FormattedCase& c : cases) {
        EXPECT_EQ(formatted(c.format, c.items), c.text) << c.format;
    }
}

TEST(FormattedOutput, SlashEndsTheRecord) {
    const FormattedCase cases[] = {
        {"(/F4.1)", {1.0}, "\n 1.0\n"},
        {"(//'a')", {}, "\n\na\n"},
        {"(F4.1/F4.1)", {1.0, 2.0}, " 1.0\n 2.0\n"},
        {"(F4.1,/,F4.1)", {1.0}, " 1.0\n\n"},  // the / before the stop is worked through
        {"('a',/)", {}, "a\n\n"},
    };
    for (const FormattedCase& c : cases) {
        EXPECT_EQ(formatted(c.format, c.items), c.text) << c.format;
    }
}

TEST(FormattedOutput, RepeatedGroupsAndDescriptors) {
    const FormattedCase cases[] = {
        {"(2('x',F3.1))", {1.0, 2.0}, "x1.0x2.0\n"},
        {"(2('x',F3.1))", {1.0}, "x1.0x\n"},
        {"(3F4.1)", {1.0, 2.0, 3.0}, " 1.0 2.0 3.0\n"},
        {"(2(2('<',F3.1),'|'))", {1.0, 2.0, 3.0, 4.0}, "<1.0<2.0|<3.0<4.0|\n"},
        {"(f6.3,e12.4)", {1.0, 1.0}, " 1.000  0.1000E+01\n"},
    };
    for (const FormattedCase& c : cases) {
        EXPECT_EQ(formatted(c.format, c.items), c.text) << c.format;
    }
}

TEST(FormattedOutput, RecordsOfOneStatementFollowEachOther) {
    Console console;
    FormatProgram format("(F6.3,4(',',F12.4))");
    write_formatted(console.layer(), kConsole, format, std::vector<double>{0.0, 1.0, 2.0, 3.0});
    write_formatted(console.layer(), kConsole, format, std::vector<double>{100.0, -1e7, 1e7, -1e6});
    EXPECT_EQ(console.output(),
              " 0.000,      1.0000,      2.0000,      3.0000,\n"
              "******,************,************,************,\n");
}

TEST(FormatProgram, RefusesTextsThatAreNotFormats) {
    for (const char* text : {"F6.3", "(F6.3", "(F6.3))", "(Q6)", "('open)", "(F6)", "(3'a')"}) {
        EXPECT_THROW(FormatProgram{text}, std::invalid_argument) << text;
    }
}

// ---------------------------------------------------------------- list-directed output (A)

std::string list_record(const std::function<void(ListWriter&)>& items) {
    Console console;
    {
        ListWriter writer(console.layer(), kConsole);
        items(writer);
    }
    return console.output();
}

std::string text_of(std::size_t length, char c = 'x') {
    return std::string(length, c);
}

TEST(ListOutput, EmptyStatementWritesALineEndAlone) {
    EXPECT_EQ(list_record([](ListWriter&) {}), "\n");
    Console console;
    ListWriter(console.layer(), kConsole).end();
    ListWriter(console.layer(), kConsole).text("a");
    ListWriter(console.layer(), kConsole).end();
    EXPECT_EQ(console.output(), "\n a\n\n");
}

TEST(ListOutput, ItemsBringTheirOwnBlanks) {
    EXPECT_EQ(list_record([](ListWriter& w) { w.text("NT and DT=").integer(2048).real(0.01); }),
              " NT and DT= 2048  0.01\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.integer(30); }), " 30\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.integer(-5); }), " -5\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.real(-2.5).real(100.0); }), " -2.5  100.\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.complex(1.5, -2.0); }), " (1.5,-2.)\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.complex(0.5, 0.0); }), " (0.5,0.)\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(" IF1,NF=").integer(13).integer(8192); }),
              "  IF1,NF= 13 8192\n");
    EXPECT_EQ(list_record([](ListWriter& w) {
                  w.text(" DUR,DOM,NOM,EOM=")
                      .real(81.92)
                      .real(6.283185307 / 81.92)
                      .integer(4097)
                      .real(4097 * (6.283185307 / 81.92));
              }),
              "  DUR,DOM,NOM,EOM=  81.92  0.0766990394 4097  314.235964\n");
}

TEST(ListOutput, TextItemsFollowEachOtherWithoutAGap) {
    EXPECT_EQ(list_record([](ListWriter& w) { w.text("ab").text("cd"); }), " abcd\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.integer(1).text("ab"); }), " 1ab\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.text("a  ").text(",").text("b "); }), " a  ,b \n");
    // The header of the output waveform file: 71 characters.
    std::string ns = "NS" + text_of(18, ' ');
    std::string ew = "EW" + text_of(18, ' ');
    std::string ud = "UD" + text_of(18, ' ');
    std::string header = list_record(
        [&](ListWriter& w) { w.text("time(s),").text(ns).text(",").text(ew).text(",").text(ud); });
    EXPECT_EQ(header, " time(s)," + ns + "," + ew + "," + ud + "\n");
    EXPECT_EQ(header.size(), 71u + 1u);
    // The header of amp3.csv: 77 characters, still one record.
    std::string amp3 = list_record([&](ListWriter& w) {
        w.text("frequency(Hz),").text(ns).text(",").text(ew).text(",").text(ud);
    });
    EXPECT_EQ(amp3, " frequency(Hz)," + ns + "," + ew + "," + ud + "\n");
    EXPECT_EQ(amp3.size(), 77u + 1u);
}

// An item is placed on the current record only if position + length stays below 80.
TEST(ListOutput, TextItemsAtTheLineLimit) {
    // After " " + 40 characters the position is 41: 38 more reach 79, 39 more would reach 80.
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(40)).text(text_of(38, 'y')); }),
              " " + text_of(40) + text_of(38, 'y') + "\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(40)).text(text_of(39, 'y')); }),
              " " + text_of(40) + "\n " + text_of(39, 'y') + "\n");
    // A record of 79 characters takes no further item, not even one character.
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(78)).text("z"); }),
              " " + text_of(78) + "\n z\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(77)).text("z"); }),
              " " + text_of(77) + "z\n");
}

TEST(ListOutput, IntegerItemsAtTheLineLimit) {
    // An integer's length is its digits: the blank and the sign are not counted.
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(76)).integer(12); }),
              " " + text_of(76) + " 12\n");  // 77 + 2 = 79: placed, the record has 80 columns
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(76)).integer(-12); }),
              " " + text_of(76) + " -12\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(76)).integer(123); }),
              " " + text_of(76) + "\n 123\n");  // 77 + 3 = 80: a new record
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(76)).integer(12).integer(1); }),
              " " + text_of(76) + " 12\n 1\n");
}

TEST(ListOutput, RealItemsAtTheLineLimit) {
    // A real's length is its whole text, the two leading characters included.
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(72)).real(0.01); }),
              " " + text_of(72) + "  0.01\n");  // 73 + 6 = 79
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(73)).real(0.01); }),
              " " + text_of(73) + "\n  0.01\n");  // 74 + 6 = 80
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(73)).real(-0.01); }),
              " " + text_of(73) + "\n -0.01\n");
    // Eight reals of 13 characters: six fit (78 columns), the rest continue.
    std::string twelve = "  0.333333333";
    std::string expected =
        twelve + twelve + twelve + twelve + twelve + twelve + "\n" + twelve + twelve + "\n";
    EXPECT_EQ(list_record([](ListWriter& w) {
                  for (int k = 0; k < 8; ++k) w.real(1.0 / 3.0);
              }),
              expected);
}

TEST(ListOutput, ComplexItemsAtTheLineLimit) {
    // (1.5,-2.): 3 + 3 + 4 = 10 columns.
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(68)).complex(1.5, -2.0); }),
              " " + text_of(68) + " (1.5,-2.)\n");  // 69 + 10 = 79
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(69)).complex(1.5, -2.0); }),
              " " + text_of(69) + "\n (1.5,-2.)\n");  // 70 + 10 = 80
    std::string item = " (0.333333333,-0.666666667)";
    std::string expected = item + item + "\n" + item + "\n";
    EXPECT_EQ(list_record([](ListWriter& w) {
                  for (int k = 0; k < 3; ++k) w.complex(1.0 / 3.0, -2.0 / 3.0);
              }),
              expected);
}

TEST(ListOutput, ItemsLongerThanTheLimitAreWrittenWhole) {
    EXPECT_EQ(list_record([](ListWriter& w) { w.text(text_of(100)); }), " " + text_of(100) + "\n");
    EXPECT_EQ(list_record([](ListWriter& w) { w.integer(7).text(text_of(100)).integer(8); }),
              " 7\n " + text_of(100) + "\n 8\n");
}

}  // namespace
}  // namespace wavespec
