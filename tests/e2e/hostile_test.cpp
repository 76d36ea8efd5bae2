// Hostile input, end to end: files and answers that no careful user would give. Each case
// names the one way the run must end (a normal end, the orderly stop, a refusal with exit
// status 1, or a fatal diagnostic and an abnormal end) and checks that files the run had
// already finished are complete.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "e2e/run_endings.hpp"
#include "e2e/run_tool.hpp"
#include "same_bytes.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kWaveformUnit = "11 named rec.csv";
const std::string kKeyboardUnit = "5 (unnamed)";

// Runs the plain answers on a record whose text is given.
ToolRun run_on_record(const ScratchDir& dir, const std::string& record) {
    write_file(dir / "rec.csv", record);
    return run_tool(dir.path(), join_lines(plain_answers()));
}

std::string record_with_sample_line(const std::string& line) {
    return "time,NS,EW,UD\n0,1,2,3\n" + line + "\n0.02,1,2,3\n";
}

// --- Bytes in the waveform file ---

TEST(HostileWaveform, NulByteInsideASampleIsUnreadableListInput) {
    ScratchDir dir;
    ToolRun run = run_on_record(dir, record_with_sample_line("0.01,1\0,2,3"s));
    expect_diagnostic(run, "invalid number: incomprehensible list input", kWaveformUnit);
    EXPECT_FALSE(exists_in(dir, "amp3.csv"));
}

TEST(HostileWaveform, NulByteInsideAHeaderNameIsKeptAsText) {
    ScratchDir dir;
    std::string record = small_record();
    record.replace(record.find("NS"), 2, "N\0S"s);
    ToolRun run = run_on_record(dir, record);
    expect_normal_end(run);
    EXPECT_NE(read_file(dir / "amp3.csv").find("N\0S"s), std::string::npos);
    EXPECT_EQ(record_count(dir / "out.csv"), 1u + kSmallRecordSets);
}

TEST(HostileWaveform, BinaryGarbageEndsWithAListInputDiagnostic) {
    const std::set<std::string> list_input_failures = {
        "invalid number: incomprehensible list input",
        "exponent field: incomprehensible list input",
        "bad repetition count: incomprehensible list input", "list in: end of file"};
    std::mt19937 random(20240607);
    for (int trial = 0; trial < 8; ++trial) {
        SCOPED_TRACE(trial);
        std::string garbage(4096, '\0');
        for (char& c : garbage) c = static_cast<char>(random() & 0xff);
        ScratchDir dir;
        ToolRun run = run_on_record(dir, garbage);
        EXPECT_TRUE(run.aborted);
        EXPECT_EQ(list_input_failures.count(text_lines(run.err).at(0)), 1u) << run.err;
        EXPECT_EQ(text_lines(run.err).at(1), "apparent state: unit " + kWaveformUnit);
        EXPECT_FALSE(exists_in(dir, "amp3.csv"));
    }
}

TEST(HostileWaveform, OverflowingSampleRunsToTheEndWithNonFiniteText) {
    ScratchDir dir;
    std::string record = small_record();
    record.replace(record.find("-2.25"), 5, "1e400");
    ToolRun run = run_on_record(dir, record);
    expect_normal_end(run);
    expect_spectrum_files_complete(dir);
    // The infinite sample makes every bin of component 1 (infinite, NaN): its amplitude is
    // NaN, its parts are written as such, and the other components are untouched.
    EXPECT_NE(read_file(dir / "amp-c.csv").find("       Infinity,            NaN,"),
              std::string::npos);
    EXPECT_NE(read_file(dir / "amp3.csv").find("         NaN,  0.7046E-01,"), std::string::npos);
    EXPECT_EQ(record_count(dir / "out.csv"), 1u + kSmallRecordSets);
}

TEST(HostileWaveform, OverflowingTimeIsRefusedWithoutWritingFiles) {
    ScratchDir dir;
    ToolRun run = run_on_record(dir, "t,a,b,c\n0,1,2,3\n1e400,1,2,3\n");
    expect_refusal(run, "do not give a finite difference");
    EXPECT_NE(run.out.find("NT and DT= 2  Infinity"), std::string::npos) << run.out;
    EXPECT_FALSE(exists_in(dir, "amp3.csv"));
    EXPECT_FALSE(exists_in(dir, "fort.67"));
}

TEST(HostileWaveform, WordsForNonFiniteValuesAreNotNumbers) {
    for (const char* word : {"nan", "NaN", "inf", "Infinity", "-inf"}) {
        SCOPED_TRACE(word);
        ScratchDir dir;
        ToolRun run =
            run_on_record(dir, record_with_sample_line(std::string("0.01,") + word + ",2,3"));
        expect_diagnostic(run, "invalid number: incomprehensible list input", kWaveformUnit);
    }
}

TEST(HostileWaveform, MalformedNumbersNameTheirFault) {
    struct Case {
        const char* value;
        const char* first_line;
    } cases[] = {
        {"1e", "exponent field: incomprehensible list input"},
        {"1e+", "exponent field: incomprehensible list input"},
        {"1.5d", "exponent field: incomprehensible list input"},
        {"--1", "invalid number: incomprehensible list input"},
        {"+-1", "invalid number: incomprehensible list input"},
        {".", "invalid number: incomprehensible list input"},
        {"-*3", "bad repetition count: incomprehensible list input"},
        {"0*5", "bad repetition count: incomprehensible list input"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ScratchDir dir;
        ToolRun run =
            run_on_record(dir, record_with_sample_line(std::string("0.01,") + c.value + ",2,3"));
        expect_diagnostic(run, c.first_line, kWaveformUnit);
    }
}

TEST(HostileWaveform, UnterminatedQuoteInTheHeaderRunsIntoTheEndOfTheFile) {
    ScratchDir dir;
    ToolRun run = run_on_record(dir, "\"time,NS,EW,UD\n0,1,2,3\n0.01,1,2,3\n");
    expect_diagnostic(run, "list in: end of file", kWaveformUnit);
}

TEST(HostileWaveform, QuoteWhereASampleIsExpectedIsNotANumber) {
    ScratchDir dir;
    ToolRun run = run_on_record(dir, record_with_sample_line("0.01,'1,2,3"));
    expect_diagnostic(run, "invalid number: incomprehensible list input", kWaveformUnit);
}

TEST(HostileWaveform, EmptyFileMeetsTheEndInTheHeader) {
    ScratchDir dir;
    ToolRun run = run_on_record(dir, "");
    expect_diagnostic(run, "list in: end of file", kWaveformUnit);
}

TEST(HostileWaveform, CarriageReturnLineFeedReadsLikeLineFeed) {
    ScratchDir unix_dir;
    ToolRun unix_run = run_on_record(unix_dir, small_record("\n"));
    ScratchDir dos_dir;
    write_file(dos_dir / "rec.csv", small_record("\r\n"));
    ToolRun dos_run = run_tool(dos_dir.path(), join_lines(plain_answers(), "\r\n"));
    expect_normal_end(dos_run);
    EXPECT_EQ(dos_run.out, unix_run.out);
    for (const char* file : {"amp3.csv", "amp-c.csv", "out.csv", "fort.88"}) {
        EXPECT_PRED_FORMAT2(same_bytes, read_file(dos_dir / file), read_file(unix_dir / file))
            << file;
    }
}

TEST(HostileWaveform, LoneCarriageReturnsMakeOneRecordWithoutSamples) {
    // Only a line feed ends a record: the header takes four names and the rest of the
    // one long record is skipped, so no sample set is left and the run is refused.
    ScratchDir dir;
    ToolRun run = run_on_record(dir, small_record("\r"));
    expect_refusal(run, "holds 0 complete sample sets");
    EXPECT_FALSE(exists_in(dir, "amp3.csv"));
}

// --- Names ---

TEST(HostileNames, NonAsciiBytesInFileNamesAreUsedAsGiven) {
    // Windows reads names in its code page: a byte that is not UTF-8 names another file.
    if (windows_tool()) GTEST_SKIP() << "file names are bytes only on POSIX systems";
    ScratchDir dir;
    const std::string input =
        "donn\xc3\xa9"
        "es-\xff.csv";
    const std::string output = "r\xc3\xa9sultat-\x80.csv";
    write_file(dir / input, small_record());
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers(input, output)));
    expect_normal_end(run);
    ASSERT_TRUE(exists_in(dir, output));
    EXPECT_EQ(record_count(dir / output), 1u + kSmallRecordSets);
}

TEST(HostileNames, NulByteInAFileNameIsAnOpenError) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers("rec\0.csv"s)));
    EXPECT_TRUE(run.aborted);
    EXPECT_EQ(text_lines(run.err).at(0), "open: Invalid argument");
}

TEST(HostileNames, DirectoryGivenAsTheWaveformFile) {
    ScratchDir dir;
    fs::create_directory(dir / "records");
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers("records")));
    expect_diagnostic(run, "open: " + system_text("Is a directory", "Permission denied"),
                      "11 named records");
    // A failed open right after the formatted read of the name has no format line.
    EXPECT_EQ(text_lines(run.err).size(), 3u);
}

TEST(HostileNames, DirectoryGivenAsTheOutputFileKeepsTheSpectrumFiles) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    fs::create_directory(dir / "results");
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers("rec.csv", "results")));
    expect_diagnostic(run, "open: " + system_text("Is a directory", "Permission denied"),
                      "11 named results");
    expect_spectrum_files_complete(dir);
    EXPECT_EQ(record_count(dir / "fort.88"), 16u);
}

TEST(HostileNames, OutputPathUnderAFileCannotBeCreated) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers("rec.csv", "rec.csv/out.csv")));
    expect_diagnostic(run, "open: " + system_text("Not a directory", "No such file or directory"),
                      "11 named rec.csv/out.csv");
    expect_spectrum_files_complete(dir);
    EXPECT_PRED_FORMAT2(same_bytes, read_file(dir / "rec.csv"), small_record());
}

TEST(HostileNames, UnwritableWorkingDirectoryStopsAtTheFirstSpectrumFile) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir.path().c_str(), W_OK) == 0) {
        GTEST_SKIP() << "running with privileges that ignore directory permissions; the "
                        "unwritable output path is covered by a path under a file";
    }
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers()));
    expect_diagnostic(run, "open: Permission denied", "10 named amp3.csv");
    EXPECT_FALSE(exists_in(dir, "amp3.csv"));
}

// --- The keyboard ---

TEST(HostileKeyboard, EndOfInputAtEveryQuestion) {
    // Cut the plain answers after k lines: the question that then waits names the ending.
    struct Cut {
        std::size_t lines_given;
        const char* first_line;  // nullptr for a normal end
        bool spectra_written;
    } cuts[] = {
        {0, "fmt: end of file", false},        // the input file name
        {1, "list in: end of file", false},    // polarity
        {2, "list in: end of file", false},    // band-pass
        {3, "list in: end of file", false},    // integration
        {4, "read start: end of file", true},  // the first pause ends quietly, then the window
        {5, "list in: end of file", true},     // window
        {6, "list in: end of file", true},     // skip
        {7, "fmt: end of file", true},         // the output file name
        {8, nullptr, true},                    // the last pause ends quietly: a normal end
    };
    std::vector<std::string> answers = plain_answers();
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.lines_given);
        ScratchDir dir;
        write_file(dir / "rec.csv", small_record());
        std::vector<std::string> given(answers.begin(),
                                       answers.begin() + static_cast<long>(cut.lines_given));
        ToolRun run = run_tool(dir.path(), join_lines(given));
        if (cut.first_line == nullptr) {
            expect_normal_end(run);
            EXPECT_EQ(record_count(dir / "out.csv"), 1u + kSmallRecordSets);
        } else {
            expect_diagnostic(run, cut.first_line, kKeyboardUnit);
        }
        if (cut.spectra_written) {
            expect_spectrum_files_complete(dir);
        } else {
            EXPECT_FALSE(exists_in(dir, "amp3.csv"));
        }
    }
}

TEST(HostileKeyboard, NameWithoutLineEndMeetsTheEndInsideTheField) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    ToolRun run = run_tool(dir.path(), "rec.csv");
    expect_diagnostic(run, "fmt: end of file", kKeyboardUnit);
}

TEST(HostileKeyboard, LastAnswerWithoutLineEndCountsThenTheNextReadFails) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    ToolRun run = run_tool(dir.path(), "rec.csv\n0");
    expect_diagnostic(run, "read start: end of file", kKeyboardUnit);
    EXPECT_NE(run.out.find("Band Pass Filter"), std::string::npos);
}

TEST(HostileKeyboard, AnswersThatAreNotIntegers) {
    struct Case {
        std::string answer;
        const char* first_line;
    } cases[] = {
        {"1e400", "invalid integer: read unexpected character"},
        {"1.", "invalid integer: read unexpected character"},
        {"99999999999", "invalid integer: integer out of range"},
        {"-2147483649", "invalid integer: integer out of range"},
        {"nan", "invalid number: incomprehensible list input"},
        {"--1", "invalid number: incomprehensible list input"},
        {"1e", "exponent field: incomprehensible list input"},
        {"'1", "invalid number: incomprehensible list input"},
        {"\"yes", "invalid number: incomprehensible list input"},
        {"\x01\x02\xfe", "invalid number: incomprehensible list input"},
        {"\0"s, "invalid number: incomprehensible list input"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ScratchDir dir;
        write_file(dir / "rec.csv", small_record());
        std::vector<std::string> answers = plain_answers();
        answers[1] = c.answer;
        ToolRun run = run_tool(dir.path(), join_lines(answers));
        expect_diagnostic(run, c.first_line, kKeyboardUnit);
    }
}

TEST(HostileKeyboard, LargestIntegersAreAnswersNotFaults) {
    for (const char* answer : {"2147483647", "-2147483648", "/", ","}) {
        SCOPED_TRACE(answer);
        ScratchDir dir;
        write_file(dir / "rec.csv", small_record());
        std::vector<std::string> answers = plain_answers();
        answers[6] = answer;  // the skip number
        ToolRun run = run_tool(dir.path(), join_lines(answers));
        expect_normal_end(run);
        std::size_t expected = std::string(answer) == "2147483647" ? 2u : 1u + kSmallRecordSets;
        EXPECT_EQ(record_count(dir / "out.csv"), expected);
    }
}

TEST(HostileKeyboard, InfiniteCornerFrequenciesFilterEverythingAway) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    std::vector<std::string> answers = plain_answers();
    answers[2] = "1";
    answers.insert(answers.begin() + 3, "1e400 1e400 1e400 1e400");
    ToolRun run = run_tool(dir.path(), join_lines(answers));
    expect_normal_end(run);
    expect_spectrum_files_complete(dir);
    EXPECT_NE(read_file(dir / "out.csv").find("      0.0000,      0.0000,      0.0000,"),
              std::string::npos);
}

TEST(HostileKeyboard, InfiniteWindowStartIsRefusedAfterTheSpectra) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    std::vector<std::string> answers = plain_answers();
    answers[5] = "1";
    answers.insert(answers.begin() + 6, "1e400");
    ToolRun run = run_tool(dir.path(), join_lines(answers));
    expect_refusal(run, "starting time");
    expect_spectrum_files_complete(dir);
    EXPECT_FALSE(exists_in(dir, "out.csv"));
}

TEST(HostileKeyboard, LoneCarriageReturnsJoinTheAnswersIntoOneName) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers(), "\r") + "\n");
    EXPECT_TRUE(run.aborted);
    // The carriage returns stay in the name; Windows refuses such a name outright.
    EXPECT_EQ(text_lines(run.err).at(0),
              "open: " + system_text("No such file or directory", "Invalid argument"));
    EXPECT_FALSE(exists_in(dir, "amp3.csv"));
}

}  // namespace
}  // namespace wavespec::test
