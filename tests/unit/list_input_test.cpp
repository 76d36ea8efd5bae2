// List-directed input and the A30 read on the keyboard unit: separators,
// values across records, null values, repeat counts, number forms, integers, texts, the rest
// of the record, the end-of-file branch, and the fatal diagnostics of malformed input.
#include "records/list_input.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "unit/record_test_support.hpp"

namespace wavespec {
namespace {

using Status = ListReader::Status;

// A keyboard holding a text, with one helper per kind of read statement.
class Keyboard {
  public:
    explicit Keyboard(std::string_view text) : console_(text) {}
    RecordLayer& layer() { return console_.layer(); }

    std::vector<double> reals(std::vector<double> values, bool branch = false,
                              Status* status = nullptr) {
        ListReader read(layer(), kKeyboard, branch);
        for (double& v : values) read.real(v);
        Status s = read.finish();
        if (status != nullptr) *status = s;
        return values;
    }
    double real(double initial = -99.0) { return reals({initial})[0]; }

    std::vector<std::int32_t> integers(std::vector<std::int32_t> values) {
        ListReader read(layer(), kKeyboard, false);
        for (std::int32_t& v : values) read.integer(v);
        read.finish();
        return values;
    }
    std::int32_t integer(std::int32_t initial = -99) { return integers({initial})[0]; }

    // Texts of the given length, each starting as that many '#' characters.
    std::vector<std::string> texts(std::size_t count, std::size_t length = 20, bool branch = false,
                                   Status* status = nullptr) {
        std::vector<std::string> values(count, std::string(length, '#'));
        ListReader read(layer(), kKeyboard, branch);
        for (std::string& v : values) read.text(std::span<char>(v.data(), v.size()));
        Status s = read.finish();
        if (status != nullptr) *status = s;
        return values;
    }
    std::string text(std::size_t length = 20) { return texts(1, length)[0]; }

    std::string field() { return read_text_field(layer(), kKeyboard, FormatProgram("(A30)")); }

  private:
    test::Console console_;
};

std::string padded(std::string text, std::size_t length = 20) {
    text.resize(length, ' ');
    return text;
}
const std::string kUntouched(20, '#');

// ---------------------------------------------------------------- separators and records

TEST(ListInput, BlanksTabsAndEmptyRecordsAheadOfAValueAreSkipped) {
    EXPECT_EQ(Keyboard("  42\n").integer(), 42);
    EXPECT_EQ(Keyboard("\n\n   \t \n 7 \n").integer(), 7);
    EXPECT_EQ(Keyboard("\t3\n").integer(), 3);
    EXPECT_EQ(Keyboard("\r\n  \r\n9\r\n").integer(), 9);
}

TEST(ListInput, CommasBlanksAndTabsSeparateValues) {
    EXPECT_EQ(Keyboard("1 ,  2 ,3\n").integers({0, 0, 0}), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(Keyboard("1\t2 3\n").integers({0, 0, 0}), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(Keyboard("1,2,3\r\n").integers({0, 0, 0}), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST(ListInput, ValuesMayStandOnLaterRecords) {
    Keyboard keyboard("1\n2,3\n\n4 5\n6\n");
    EXPECT_EQ(keyboard.reals({0, 0, 0, 0}), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(keyboard.real(), 6.0);  // the 5 went with the rest of its record
    Keyboard after_comma("1,\n2\n");
    EXPECT_EQ(after_comma.integers({0, 0}), (std::vector<std::int32_t>{1, 2}));
}

TEST(ListInput, EachReadSkipsTheRestOfItsLastRecord) {
    Keyboard keyboard("1 2 3\n4\n1,5\n6\n");
    EXPECT_EQ(keyboard.integer(), 1);
    EXPECT_EQ(keyboard.integer(), 4);
    EXPECT_EQ(keyboard.integer(), 1);  // "1,5" is read as 1
    EXPECT_EQ(keyboard.integer(), 6);
}

// ---------------------------------------------------------------- null values and slash

TEST(ListInput, CommaAndSlashLeaveTheVariableAsItWas) {
    Keyboard keyboard(",\n/\n5\n");
    EXPECT_EQ(keyboard.integer(99), 99);
    EXPECT_EQ(keyboard.integer(98), 98);
    EXPECT_EQ(keyboard.integer(97), 5);
    Keyboard reals(",\n/\n");
    EXPECT_EQ(reals.real(2.5), 2.5);
    EXPECT_EQ(reals.real(-1.5), -1.5);
}

TEST(ListInput, NullValuesBetweenCommas) {
    using V = std::vector<std::int32_t>;
    EXPECT_EQ(Keyboard("1,,3\n").integers({7, 7, 7}), (V{1, 7, 3}));
    EXPECT_EQ(Keyboard("1, ,3\n").integers({7, 7, 7}), (V{1, 7, 3}));
    EXPECT_EQ(Keyboard(",2\n").integers({7, 7}), (V{7, 2}));
    EXPECT_EQ(Keyboard(",,\n5\n").integers({7, 7, 7}),
              (V{7, 7, 5}));  // a line end is no null value
}

TEST(ListInput, SlashEndsTheReadAndKeepsTheRest) {
    using V = std::vector<std::int32_t>;
    EXPECT_EQ(Keyboard("1/\n").integers({7, 7, 7}), (V{1, 7, 7}));
    EXPECT_EQ(Keyboard("1,2/3\n").integers({7, 7, 7}), (V{1, 2, 7}));
    Keyboard keyboard("1 / 5\n9\n");
    EXPECT_EQ(keyboard.integers({7, 7, 7}), (V{1, 7, 7}));
    EXPECT_EQ(keyboard.integer(), 9);
}

// ---------------------------------------------------------------- repeat counts

TEST(ListInput, RepeatCounts) {
    using V = std::vector<double>;
    EXPECT_EQ(Keyboard("3*2.5\n").reals({0, 0, 0}), (V{2.5, 2.5, 2.5}));
    EXPECT_EQ(Keyboard("2*1 9\n").reals({0, 0, 0}), (V{1, 1, 9}));
    EXPECT_EQ(Keyboard("1*4,5\n").reals({0, 0}), (V{4, 5}));
    EXPECT_EQ(Keyboard("2*,7\n").reals({-1, -1, -1}), (V{-1, -1, 7}));
    EXPECT_EQ(Keyboard("2* 7\n").reals({-1, -1, -1}), (V{-1, -1, 7}));
    EXPECT_EQ(Keyboard("1,2*,4\n").reals({-1, -1, -1, -1}), (V{1, -1, -1, 4}));
    EXPECT_EQ(Keyboard("2*-1.5D1\n").reals({0, 0}), (V{-15, -15}));
    EXPECT_EQ(Keyboard("2*3 4\n").integers({0, 0, 0}), (std::vector<std::int32_t>{3, 3, 4}));
}

TEST(ListInput, RepeatedValuesDoNotOutliveTheirRead) {
    Keyboard keyboard("3*8\n5\n3*\n6\n");
    EXPECT_EQ(keyboard.integer(), 8);
    EXPECT_EQ(keyboard.integer(), 5);
    EXPECT_EQ(keyboard.integers({-1, -1}), (std::vector<std::int32_t>{-1, -1}));
    EXPECT_EQ(keyboard.integer(), 6);
}

TEST(ListInput, RepeatedTexts) {
    EXPECT_EQ(Keyboard("2*ab,c\n").texts(3),
              (std::vector<std::string>{padded("ab"), padded("ab"), padded("c")}));
    EXPECT_EQ(Keyboard("2*'x y' z\n").texts(3),
              (std::vector<std::string>{padded("x y"), padded("x y"), padded("z")}));
    EXPECT_EQ(Keyboard("2*,c\n").texts(3),
              (std::vector<std::string>{kUntouched, kUntouched, padded("c")}));
}

// ---------------------------------------------------------------- number forms

struct NumberCase {
    const char* text;
    double value;
};

TEST(ListInput, NumberForms) {
    const NumberCase cases[] = {
        {"1.5D2", 150.0},
        {"1.5d-2", 0.015},
        {"2E3", 2000.0},
        {"2e+3", 2000.0},
        {"1.5-3", 0.0015},
        {"1.5+3", 1500.0},
        {"-4.0E-1", -0.4},
        {".5", 0.5},
        {"5.", 5.0},
        {"+7", 7.0},
        {"7", 7.0},
        {"0.0", 0.0},
        {"1e0", 1.0},
        {"-.25", -0.25},
        {"12-1", 1.2},
        {"3D+0", 3.0},
        {"0.01", 0.01},
        {"6.283185307", 6.283185307},
        {"12345678901234567890", 12345678901234567890.0},
        {"1.0E400", std::numeric_limits<double>::infinity()},
        {"-1.0E400", -std::numeric_limits<double>::infinity()},
        {"1e-400", 0.0},
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(Keyboard(std::string(c.text) + "\n").real(), c.value) << c.text;
        EXPECT_EQ(Keyboard(std::string(c.text) + ",9\n").real(), c.value) << c.text;
    }
}

TEST(ListInput, ANumberEndsAtTheFirstCharacterThatDoesNotFit) {
    // "1.5-3" is one number; "1.5 -3" two.
    EXPECT_EQ(Keyboard("1.5 -3\n").reals({0, 0}), (std::vector<double>{1.5, -3.0}));
    EXPECT_EQ(Keyboard("1.5-3,-3\n").reals({0, 0}), (std::vector<double>{0.0015, -3.0}));
    EXPECT_EQ(Keyboard("2.5/\n").reals({0, 8}), (std::vector<double>{2.5, 8.0}));
}

// Up to 40 significant digits are used; leading zeros do not count, further digits before the
// point scale by ten, further digits after the point are dropped.
TEST(ListInput, FortySignificantDigits) {
    // 1 + 2^-53 is halfway between 1 and the next double. The full text lies above it; its
    // first 40 digits lie below it, so the value read is 1 and not the next double.
    const char* above_halfway = "1.0000000000000001110223024625156540423631668090820312500001";
    ASSERT_NE(std::strtod(above_halfway, nullptr), 1.0);
    EXPECT_EQ(Keyboard(std::string(above_halfway) + "\n").real(), 1.0);

    std::string forty = "1234567890123456789012345678901234567890";
    EXPECT_EQ(Keyboard(forty + "1234\n").real(), std::strtod((forty + "e4").c_str(), nullptr));
    EXPECT_EQ(Keyboard(forty + ".999\n").real(), std::strtod(forty.c_str(), nullptr));
    EXPECT_EQ(Keyboard("1" + std::string(45, '0') + "\n").real(), 1e45);

    std::string zeros(50, '0');
    EXPECT_EQ(Keyboard(zeros + "12\n").real(), 12.0);
    EXPECT_EQ(Keyboard("0." + zeros + "1\n").real(), 1e-51);
    std::string digits = "10000000000000001110223024625156540423631668090820312500001";
    EXPECT_EQ(
        Keyboard("0." + zeros + digits + "\n").real(),
        std::strtod(("0." + zeros + "1000000000000000111022302462515654042363").c_str(), nullptr));
}

// ---------------------------------------------------------------- integers

TEST(ListInput, Integers) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"-17", -17},
        {"+3", 3},
        {"007", 7},
        {"0", 0},
        {"1,5", 1},
        {"1 5", 1},
        {"-0", 0},
        {"2147483647", std::numeric_limits<std::int32_t>::max()},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(Keyboard(std::string(text) + "\n").integer(), value) << text;
    }
}

// ---------------------------------------------------------------- texts

TEST(ListInput, UnquotedTextsEndAtCommaBlankTabSlashOrLineEnd) {
    EXPECT_EQ(Keyboard("abc,def ghi\tjkl/mno\n").texts(5),
              (std::vector<std::string>{padded("abc"), padded("def"), padded("ghi"), padded("jkl"),
                                        kUntouched}));
    EXPECT_EQ(Keyboard("abc\r\ndef\r\n").texts(2),
              (std::vector<std::string>{padded("abc"), padded("def")}));
    EXPECT_EQ(Keyboard("123abc,1.5\n").texts(2),
              (std::vector<std::string>{padded("123abc"), padded("1.5")}));
    EXPECT_EQ(Keyboard("time,cm/s/s,EW,UD\n").texts(4),
              (std::vector<std::string>{padded("time"), padded("cm"), kUntouched, kUntouched}));
}

TEST(ListInput, TextsAreCutOrPaddedToTheirLength) {
    EXPECT_EQ(Keyboard("ABCDEFGHIJKLMNOPQRSTUVWXYZ\n").text(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(Keyboard("ab\n").text(), padded("ab"));
    EXPECT_EQ(Keyboard("abcdef\n").text(3), "abc");
    EXPECT_EQ(Keyboard("'ABCDEFGHIJ KLMNOPQRSTUVWXYZ'\n").text(), "ABCDEFGHIJ KLMNOPQRS");
    EXPECT_EQ(Keyboard("''\n").text(), padded(""));
}

TEST(ListInput, QuotedTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"'time (s)'", "time (s)"}, {"\"cm/s/s\"", "cm/s/s"}, {"'E''W'", "E'W"},
        {"\"a\"\"b\"", "a\"b"},     {"'it\"s'", "it\"s"},     {"\"it's\"", "it's"},
        {"'a, b / c'", "a, b / c"}, {"'ab\ncd'", "abcd"},     {"'ab\r\ncd'", "abcd"},
        {"' lead'", " lead"},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(Keyboard(std::string(text) + "\n").text(), padded(value)) << text;
    }
    EXPECT_EQ(Keyboard("'a' , 'b'\n").texts(2),
              (std::vector<std::string>{padded("a"), padded("b")}));
}

// ---------------------------------------------------------------- end of file

TEST(ListInput, EndOfFileBranchKeepsWhatWasRead) {
    Status status = Status::ok;
    Keyboard keyboard("1 2");
    EXPECT_EQ(keyboard.reals({-1, -1, -1, -1}, true, &status), (std::vector<double>{1, 2, -1, -1}));
    EXPECT_EQ(status, Status::end_of_file);
    Keyboard across("1 2\n3");
    EXPECT_EQ(across.reals({-1, -1, -1, -1}, true, &status), (std::vector<double>{1, 2, 3, -1}));
    EXPECT_EQ(status, Status::end_of_file);
    Keyboard empty("");
    EXPECT_EQ(empty.reals({-1, -1}, true, &status), (std::vector<double>{-1, -1}));
    EXPECT_EQ(status, Status::end_of_file);
    Keyboard blank_records("\n  \n\t\n");
    EXPECT_EQ(blank_records.reals({-1}, true, &status), (std::vector<double>{-1}));
    EXPECT_EQ(status, Status::end_of_file);
}

// An end of file right behind the last value, or behind blanks and tabs, only ends that value.
TEST(ListInput, EndOfFileRightBehindTheLastValueStillCounts) {
    for (const char* text : {"1 2 3 4", "1 2 3 4 \t", "1,2,3,4", "1 2 3 4\n"}) {
        Status status = Status::end_of_file;
        Keyboard keyboard(text);
        EXPECT_EQ(keyboard.reals({-1, -1, -1, -1}, true, &status),
                  (std::vector<double>{1, 2, 3, 4}))
            << text;
        EXPECT_EQ(status, Status::ok) << text;
        // The next read meets the end at once and changes nothing.
        EXPECT_EQ(keyboard.reals({-1, -1, -1, -1}, true, &status),
                  (std::vector<double>{-1, -1, -1, -1}))
            << text;
        EXPECT_EQ(status, Status::end_of_file) << text;
    }
}

// A comma or a further value after the last one: the end is met while the rest of the record
// is skipped, and the read takes the end-of-file branch with its values stored.
TEST(ListInput, EndOfFileWhileSkippingTheRestTakesTheBranch) {
    for (const char* text : {"1 2 3 4,", "1 2 3 4 5", "1,2,3,4, ", "1 2 3 4 junk"}) {
        Status status = Status::ok;
        Keyboard keyboard(text);
        EXPECT_EQ(keyboard.reals({-1, -1, -1, -1}, true, &status),
                  (std::vector<double>{1, 2, 3, 4}))
            << text;
        EXPECT_EQ(status, Status::end_of_file) << text;
    }
}

TEST(ListInput, EndOfFileInsideAQuotedTextTakesTheBranch) {
    Status status = Status::ok;
    EXPECT_EQ(Keyboard("a 'bc").texts(2, 20, true, &status),
              (std::vector<std::string>{padded("a"), kUntouched}));
    EXPECT_EQ(status, Status::end_of_file);
}

TEST(ListInput, AValueEndingTheKeyboardInputIsRead) {
    Keyboard keyboard("5");
    EXPECT_EQ(keyboard.integer(), 5);
}

// ---------------------------------------------------------------- read without variables

TEST(ReadPause, ConsumesExactlyOneRecord) {
    Keyboard keyboard("ignored text 1 2 3\n\n42\n");
    read_pause(keyboard.layer(), kKeyboard);
    read_pause(keyboard.layer(), kKeyboard);  // the empty record, not skipped as a blank line
    EXPECT_EQ(keyboard.integer(), 42);
}

TEST(ReadPause, EndOfInputEndsTheWaitQuietlyTheFirstTime) {
    Keyboard empty("");
    read_pause(empty.layer(), kKeyboard);
    Keyboard partial("no line end");
    read_pause(partial.layer(), kKeyboard);
    Keyboard after_last("7\n");
    EXPECT_EQ(after_last.integer(), 7);
    read_pause(after_last.layer(), kKeyboard);
    SUCCEED();
}

// ---------------------------------------------------------------- A30

TEST(ReadTextField, FirstThirtyCharactersOfTheRecordAsTheyStand) {
    const std::pair<const char*, std::string> cases[] = {
        {"  my file.csv   \n", padded("  my file.csv", 30)},
        {"a\tb\n", padded("a\tb", 30)},
        {"name\r\n", padded("name", 30)},
        {"a\rb\n", padded("a\rb", 30)},
        {"\n", std::string(30, ' ')},
        {"'quoted', 1, 2\n", padded("'quoted', 1, 2", 30)},
        {"123456789012345678901234567890abcdef\n", "123456789012345678901234567890"},
    };
    for (const auto& [text, value] : cases) {
        Keyboard keyboard(text);
        EXPECT_EQ(keyboard.field(), value) << text;
    }
}

TEST(ReadTextField, TheRestOfTheRecordIsSkipped) {
    Keyboard keyboard(std::string(40, 'x') + "\nsecond\n7\n");
    EXPECT_EQ(keyboard.field(), std::string(30, 'x'));
    EXPECT_EQ(keyboard.field(), padded("second", 30));
    EXPECT_EQ(keyboard.integer(), 7);
}

// ---------------------------------------------------------------- fatal diagnostics

using test::DyingConsole;
using test::keyboard_diagnostic;
using ::testing::KilledBySignal;

void read_integer(std::string_view keyboard) {
    DyingConsole console(keyboard);
    std::int32_t value = 0;
    ListReader read(console.layer(), kKeyboard, false);
    read.integer(value);
    read.finish();
}

void read_real(std::string_view keyboard) {
    DyingConsole console(keyboard);
    double value = 0;
    ListReader read(console.layer(), kKeyboard, false);
    read.real(value);
    read.finish();
}

void read_texts(std::string_view keyboard) {
    DyingConsole console(keyboard);
    char first[20], second[20];
    ListReader read(console.layer(), kKeyboard, false);
    read.text(first);
    read.text(second);
    read.finish();
}

struct DeathCase {
    const char* input;
    const char* first_line;
};

TEST(ListInputDeathTest, InvalidNumber) {
    const DeathCase cases[] = {
        {"abc\n", "invalid number: incomprehensible list input"},
        {"-\n", "invalid number: incomprehensible list input"},
        {".\n", "invalid number: incomprehensible list input"},
        {"+.e5\n", "invalid number: incomprehensible list input"},
        {"x1\n", "invalid number: incomprehensible list input"},
    };
    for (const DeathCase& c : cases) {
        EXPECT_EXIT(read_integer(c.input), KilledBySignal(SIGABRT),
                    keyboard_diagnostic(c.first_line))
            << c.input;
        EXPECT_EXIT(read_real(c.input), KilledBySignal(SIGABRT), keyboard_diagnostic(c.first_line))
            << c.input;
    }
}

TEST(ListInputDeathTest, PointOrExponentInAnInteger) {
    for (const char* input : {"1.0\n", "1.\n", "1e2\n", "1D2\n", "1.5-3\n", "2+1\n", ".5\n"}) {
        EXPECT_EXIT(read_integer(input), KilledBySignal(SIGABRT),
                    keyboard_diagnostic("invalid integer: read unexpected character"))
            << input;
    }
}

TEST(ListInputDeathTest, IntegerOutsideThe32BitRange) {
    const std::string four_lines =
        "^invalid integer: [^\n]+\n"
        "apparent state: unit 5 \\(unnamed\\)\n"
        "last format: list io\n"
        "lately reading sequential formatted external IO\n$";
    for (const char* input : {"2147483648\n", "-2147483649\n", "99999999999999999999\n"}) {
        EXPECT_EXIT(read_integer(input), KilledBySignal(SIGABRT), four_lines) << input;
    }
}

TEST(ListInputDeathTest, ExponentWithoutDigits) {
    for (const char* input : {"1.5e\n", "1.5e+\n", "1.5D\n", "1.5-\n", "2E,3\n", "7d-x\n"}) {
        EXPECT_EXIT(read_real(input), KilledBySignal(SIGABRT),
                    keyboard_diagnostic("exponent field: incomprehensible list input"))
            << input;
    }
}

TEST(ListInputDeathTest, BadRepetitionCount) {
    const char* message = "bad repetition count: incomprehensible list input";
    for (const char* input : {"*5\n", "0*5\n", "-2*5\n", "+2*5\n", "1234567890*5\n"}) {
        EXPECT_EXIT(read_real(input), KilledBySignal(SIGABRT), keyboard_diagnostic(message))
            << input;
    }
    EXPECT_EXIT(read_texts("0*ab\n"), KilledBySignal(SIGABRT), keyboard_diagnostic(message));
}

TEST(ListInputDeathTest, EndOfFileWithoutABranch) {
    for (const char* input : {"", "\n", "  \n\t\n"}) {
        EXPECT_EXIT(read_integer(input), KilledBySignal(SIGABRT),
                    keyboard_diagnostic("list in: end of file"))
            << input;
    }
    // Reading two values where the input holds one.
    EXPECT_EXIT(read_texts("only\n"), KilledBySignal(SIGABRT),
                keyboard_diagnostic("list in: end of file"));
    EXPECT_EXIT(read_texts("'open quote\n"), KilledBySignal(SIGABRT),
                keyboard_diagnostic("list in: end of file"));
}

TEST(ListInputDeathTest, AReadAfterTheEndOfInputFailsAtItsStart) {
    auto read_twice = [](std::string_view keyboard) {
        DyingConsole console(keyboard);
        for (int k = 0; k < 2; ++k) {
            std::int32_t value = 0;
            ListReader read(console.layer(), kKeyboard, false);
            read.integer(value);
            read.finish();
        }
    };
    EXPECT_EXIT(read_twice("5"), KilledBySignal(SIGABRT),
                keyboard_diagnostic("read start: end of file"));
    EXPECT_EXIT(read_twice("5 6"), KilledBySignal(SIGABRT),
                keyboard_diagnostic("read start: end of file"));
    auto pause_then_read = [](std::string_view keyboard) {
        DyingConsole console(keyboard);
        read_pause(console.layer(), kKeyboard);
        read_pause(console.layer(), kKeyboard);
    };
    EXPECT_EXIT(pause_then_read(""), KilledBySignal(SIGABRT),
                keyboard_diagnostic("read start: end of file"));
    EXPECT_EXIT(pause_then_read("last line without an end"), KilledBySignal(SIGABRT),
                keyboard_diagnostic("read start: end of file"));
}

std::string a30_diagnostic(std::string_view first_line) {
    return test::diagnostic(first_line, "apparent state: unit 5 (unnamed)", "(A30)", "reading");
}

TEST(ReadTextFieldDeathTest, EndOfInputBeforeALineEnd) {
    auto read_field = [](std::string_view keyboard) {
        DyingConsole console(keyboard);
        read_text_field(console.layer(), kKeyboard, FormatProgram("(A30)"));
    };
    EXPECT_EXIT(read_field(""), KilledBySignal(SIGABRT), a30_diagnostic("fmt: end of file"));
    EXPECT_EXIT(read_field("name.csv"), KilledBySignal(SIGABRT),
                a30_diagnostic("fmt: end of file"));
    auto after_end = [](std::string_view keyboard) {
        DyingConsole console(keyboard);
        read_pause(console.layer(), kKeyboard);
        read_text_field(console.layer(), kKeyboard, FormatProgram("(A30)"));
    };
    EXPECT_EXIT(after_end(""), KilledBySignal(SIGABRT), a30_diagnostic("read start: end of file"));
}

}  // namespace
}  // namespace wavespec
