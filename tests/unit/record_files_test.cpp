// Files of the record layer (open, close, stop and their failures): open, close and the
// default "fort.N" connection with their file semantics, stop and refusal, the fatal
// diagnostics of files, and the output waveform writer with its thinning.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialogue/output_waveform.hpp"
#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_input.hpp"
#include "records/list_output.hpp"
#include "unit/record_test_support.hpp"

namespace wavespec {
namespace {

using test::read_file;
using test::regex_quote;
using test::ScratchDir;
using test::TempFd;
using ::testing::ExitedWithCode;
using ::testing::KilledBySignal;

// Every test runs in its own scratch directory, the working directory of the record layer.
class RecordFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override { std::filesystem::current_path(old_); }

    std::string in_dir(std::string_view name) const { return dir_.file(name); }
    std::string write(std::string_view name, std::string_view content) const {
        return dir_.write(name, content);
    }

    ScratchDir dir_;
    std::filesystem::path old_;
};
using RecordFilesDeathTest = RecordFiles;

// A record layer whose standard streams are scratch files (standard error left on 2).
struct Streams {
    TempFd in;
    TempFd out;
    StandardStreams streams(int error_fd = 2) const { return {in.fd(), out.fd(), error_fd}; }
};

void write_lines(RecordLayer& layer, int unit, int count, const char* text) {
    for (int k = 0; k < count; ++k) ListWriter(layer, unit).text(text).integer(k + 1);
}

TEST_F(RecordFiles, OpenCreatesAMissingFileAndCloseEndsItAtTheLastRecord) {
    Streams s;
    {
        RecordLayer layer(s.streams());
        layer.open(10, "new.csv", RecordLayer::OpenMode::unknown_status);
        EXPECT_TRUE(std::filesystem::exists(in_dir("new.csv")));
        write_lines(layer, 10, 2, "line");
        layer.close(10);
    }
    EXPECT_EQ(read_file(in_dir("new.csv")), " line 1\n line 2\n");
}

TEST_F(RecordFiles, OpenOfAnEmptyFileWithoutRecordsLeavesItEmpty) {
    Streams s;
    {
        RecordLayer layer(s.streams());
        layer.open(10, "empty.csv", RecordLayer::OpenMode::unknown_status);
        layer.close(10);
    }
    EXPECT_EQ(read_file(in_dir("empty.csv")), "");
}

TEST_F(RecordFiles, RewritingALongerFileLeavesExactlyTheRecordsWritten) {
    write("old.csv", std::string(1000, 'z') + "\nmore\nand more\n");
    Streams s;
    {
        RecordLayer layer(s.streams());
        layer.open(11, "old.csv", RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 11, 1, "short");
        layer.close(11);
    }
    EXPECT_EQ(read_file(in_dir("old.csv")), " short 1\n");
}

TEST_F(RecordFiles, AFileThatWasOnlyReadIsLeftAsItWas) {
    const std::string content = "1 2\n3 4\nrest of the file";
    write("data.txt", content);
    Streams s;
    {
        RecordLayer layer(s.streams());
        layer.open(11, "data.txt", RecordLayer::OpenMode::unknown_status);
        ListReader read(layer, 11, false);
        double a = 0, b = 0;
        read.real(a);
        read.real(b);
        read.finish();
        EXPECT_EQ(a, 1.0);
        EXPECT_EQ(b, 2.0);
        layer.close(11);
    }
    EXPECT_EQ(read_file(in_dir("data.txt")), content);
}

// A unit keeps its sink ready between records; a read, a close or a new open must each make
// the next record start over from the unit's current state.
TEST_F(RecordFiles, WritesAfterAReadOrAReopenGoWhereTheUnitNowStands) {
    write("mixed.txt", "1111\n2222\n3333\n4444\n");
    Streams s;
    {
        RecordLayer layer(s.streams());
        layer.open(12, "mixed.txt", RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 12, 1, "a");  // over the first record
        ListReader read(layer, 12, false);
        double value = 0;
        read.real(value);  // the second record, right behind the one just written
        read.finish();
        EXPECT_EQ(value, 2222.0);
        write_lines(layer, 12, 1, "b");  // over the third record, after the one read
        layer.close(12);
        layer.open(12, "second.txt", RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 12, 2, "c");
        layer.close(12);
        write_lines(layer, 12, 1, "d");  // closed: connected again, to fort.12
    }
    EXPECT_EQ(read_file(in_dir("mixed.txt")), " a 1\n2222\n b 1\n");
    EXPECT_EQ(read_file(in_dir("second.txt")), " c 1\n c 2\n");
    EXPECT_EQ(read_file(in_dir("fort.12")), " d 1\n");
}

TEST_F(RecordFiles, TrailingBlanksOfANameAreRemovedLeadingBlanksStay) {
    Streams s;
    {
        RecordLayer layer(s.streams());
        layer.open(11, "out.csv" + std::string(23, ' '), RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 11, 1, "a");
        layer.close(11);
        layer.open(11, " lead.csv   ", RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 11, 1, "b");
        layer.close(11);
    }
    EXPECT_EQ(read_file(in_dir("out.csv")), " a 1\n");
    EXPECT_EQ(read_file(in_dir(" lead.csv")), " b 1\n");
    EXPECT_FALSE(std::filesystem::exists(in_dir("lead.csv")));
}

TEST_F(RecordFiles, AUnitWithoutAnOpenIsConnectedToFortN) {
    write("fort.88", std::string(500, 'x') + "\n");  // an older, longer dump
    write("fort.12", "5\n6\n");
    Streams s;
    {
        RecordLayer layer(s.streams());
        write_lines(layer, 88, 2, "dump");
        ListReader read(layer, 12, false);
        std::int32_t value = 0;
        read.integer(value);
        read.finish();
        EXPECT_EQ(value, 5);
    }  // the end of the layer closes every unit still connected
    EXPECT_EQ(read_file(in_dir("fort.88")), " dump 1\n dump 2\n");
    EXPECT_EQ(read_file(in_dir("fort.12")), "5\n6\n");
    EXPECT_TRUE(std::filesystem::exists(in_dir("fort.88")));
    EXPECT_FALSE(std::filesystem::exists(in_dir("fort.6")));
}

TEST_F(RecordFiles, ConsoleRecordsReachTheOutputStream) {
    Streams s;
    {
        RecordLayer layer(s.streams());
        ListWriter(layer, kConsole).text("question?");
        layer.flush(kConsole);
        EXPECT_EQ(s.out.contents(), " question?\n");
        ListWriter(layer, kConsole).end();
    }
    EXPECT_EQ(s.out.contents(), " question?\n\n");
}

TEST_F(RecordFiles, StopWritesNothingClosesEveryUnitAndExitsWithZero) {
    TempFd out;
    auto run = [&] {
        TempFd in;
        RecordLayer layer({in.fd(), out.fd(), 2});
        layer.open(11, "stopped.csv", RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 11, 3, "r");
        write_lines(layer, 67, 1, "d");
        ListWriter(layer, kConsole).text("last words");
        layer.stop();
    };
    write("stopped.csv", std::string(200, 'q'));
    EXPECT_EXIT(run(), ExitedWithCode(0), "^$");
    EXPECT_EQ(read_file(in_dir("stopped.csv")), " r 1\n r 2\n r 3\n");
    EXPECT_EQ(read_file(in_dir("fort.67")), " d 1\n");
    EXPECT_EQ(out.contents(), " last words\n");
}

TEST_F(RecordFiles, RefusalWritesItsMessageAndExitsWithItsStatus) {
    auto run = [&] {
        TempFd in, out;
        RecordLayer layer({in.fd(), out.fd(), 2});
        layer.open(10, "done.csv", RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 10, 1, "kept");
        layer.refuse("wavespec: no usable sampling interval", 3);
    };
    EXPECT_EXIT(run(), ExitedWithCode(3), "^wavespec: no usable sampling interval\n$");
    EXPECT_EQ(read_file(in_dir("done.csv")), " kept 1\n");
}

// ---------------------------------------------------------------- fatal diagnostics of files

TEST_F(RecordFilesDeathTest, NullFileName) {
    auto open_after_list_read = [](std::string name) {
        TempFd in("1\n"), out;
        RecordLayer layer({in.fd(), out.fd(), 2});
        std::int32_t answer = 0;
        ListReader read(layer, kKeyboard, false);
        read.integer(answer);
        read.finish();
        layer.open(11, name, RecordLayer::OpenMode::unknown_status);
    };
    auto open_after_a30 = [](std::string name) {
        TempFd in("\n"), out;
        RecordLayer layer({in.fd(), out.fd(), 2});
        read_text_field(layer, kKeyboard, FormatProgram("(A30)"));
        layer.open(11, name, RecordLayer::OpenMode::unknown_status);
    };
    // The open names the unit's file before it fails: here an empty name.
    const std::string with_format = test::diagnostic(
        "open: null file name", "apparent state: unit 11 named ", "list io", "reading");
    const std::string after_formatted = test::diagnostic(
        "open: null file name", "apparent state: unit 11 named ", std::nullopt, "reading");
    for (std::string name : {std::string(), std::string(30, ' '), std::string(" ")}) {
        EXPECT_EXIT(open_after_list_read(name), KilledBySignal(SIGABRT), with_format)
            << "[" << name << "]";
        EXPECT_EXIT(open_after_a30(name), KilledBySignal(SIGABRT), after_formatted)
            << "[" << name << "]";
    }
    EXPECT_EQ(std::filesystem::directory_iterator(dir_.path()),
              std::filesystem::directory_iterator());
}

TEST_F(RecordFilesDeathTest, MissingFileOpenedForReading) {
    auto open_missing = [](bool after_a30) {
        TempFd in("missing.csv\n"), out;
        RecordLayer layer({in.fd(), out.fd(), 2});
        if (after_a30) {
            read_text_field(layer, kKeyboard, FormatProgram("(A30)"));
        } else {
            read_pause(layer, kKeyboard);
        }
        layer.open(11, "missing.csv", RecordLayer::OpenMode::read_only);
    };
    EXPECT_EXIT(
        open_missing(true), KilledBySignal(SIGABRT),
        test::diagnostic("open: No such file or directory",
                         "apparent state: unit 11 named missing.csv", std::nullopt, "reading"));
    EXPECT_EXIT(
        open_missing(false), KilledBySignal(SIGABRT),
        test::diagnostic("open: No such file or directory",
                         "apparent state: unit 11 named missing.csv", "list io", "reading"));
    EXPECT_FALSE(std::filesystem::exists(in_dir("missing.csv")));
}

TEST_F(RecordFilesDeathTest, ADirectoryCannotBeOpened) {
    std::filesystem::create_directory(in_dir("folder"));
    auto open_folder = [] {
        TempFd in, out;
        RecordLayer layer({in.fd(), out.fd(), 2});
        ListWriter(layer, kConsole).text("before");
        layer.open(11, "folder", RecordLayer::OpenMode::unknown_status);
    };
    EXPECT_EXIT(open_folder(), KilledBySignal(SIGABRT),
                "^open: [^\n]+\napparent state: unit 11 named folder\nlast format: list io\n"
                "lately writing sequential formatted external IO\n$");
}

TEST_F(RecordFilesDeathTest, WritingAFileOpenedForReadingOnly) {
    write("readonly.csv", "old content\n");
    auto list_write = [] {
        TempFd in, out;
        RecordLayer layer({in.fd(), out.fd(), 2});
        layer.open(11, "readonly.csv", RecordLayer::OpenMode::read_only);
        ListWriter(layer, 11).text("time(s),");
    };
    auto formatted_write = [] {
        TempFd in, out;
        RecordLayer layer({in.fd(), out.fd(), 2});
        layer.open(11, "readonly.csv", RecordLayer::OpenMode::read_only);
        write_formatted(layer, 11, FormatProgram("(F6.3,4(',',F12.4))"),
                        std::vector<double>{0, 1, 2, 3});
    };
    EXPECT_EXIT(
        list_write(), KilledBySignal(SIGABRT),
        test::diagnostic("list output start: can't write file",
                         "apparent state: unit 11 named readonly.csv", "list io", "writing"));
    EXPECT_EXIT(formatted_write(), KilledBySignal(SIGABRT),
                test::diagnostic("write start: can't write file",
                                 "apparent state: unit 11 named readonly.csv",
                                 "(F6.3,4(',',F12.4))", "writing"));
    EXPECT_EQ(read_file(in_dir("readonly.csv")), "old content\n");
}

// After a fatal diagnostic the console's records are out and every file is closed complete.
TEST_F(RecordFilesDeathTest, FatalClosesEveryConnectedFile) {
    TempFd out;
    auto run = [&] {
        TempFd in("letters\n");
        RecordLayer layer({in.fd(), out.fd(), 2});
        layer.open(10, "amp3.csv", RecordLayer::OpenMode::unknown_status);
        write_lines(layer, 10, 2, "spectrum");
        ListWriter(layer, kConsole).text(" Band Pass Filter? (YES=1)?? :");
        std::int32_t answer = 0;
        ListReader read(layer, kKeyboard, false);
        read.integer(answer);
    };
    EXPECT_EXIT(run(), KilledBySignal(SIGABRT),
                test::keyboard_diagnostic("invalid number: incomprehensible list input"));
    EXPECT_EQ(read_file(in_dir("amp3.csv")), " spectrum 1\n spectrum 2\n");
    EXPECT_EQ(out.contents(), "  Band Pass Filter? (YES=1)?? :\n");
}

// ---------------------------------------------------------------- output waveform

struct ThinningCase {
    std::int32_t iskip;
    std::int32_t nt;
    std::int64_t step;
    std::int64_t records;
};

TEST(Thinning, StepAndNumberOfRecords) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const ThinningCase cases[] = {
        {0, 1001, 1, 1001},
        {1, 1001, 2, 501},
        {1, 1000, 2, 500},
        {2, 10, 3, 4},
        {9, 10, 10, 1},
        {10, 10, 11, 1},
        {1000000, 5, 1000001, 1},
        {kMax, 1, std::int64_t{kMax} + 1, 1},
        {kMax, kMax, std::int64_t{kMax} + 1, 1},
        {0, kMax, 1, kMax},
        {0, 0, 1, 0},
        {5, 0, 6, 0},
        {0, -3, 1, 0},
        {3, -100, 4, 0},
        {-1, 10, 1, 10},  // negative answers count as 0
        {-5, 10, 1, 10},
        {kMin, 10, 1, 10},
    };
    for (const ThinningCase& c : cases) {
        Thinning t = thinning_for(c.iskip, c.nt);
        EXPECT_EQ(t.step, c.step) << c.iskip << " " << c.nt;
        EXPECT_EQ(t.records, c.records) << c.iskip << " " << c.nt;
    }
}

HeaderName name(std::string_view text) {
    HeaderName n;
    n.fill(' ');
    std::copy(text.begin(), text.end(), n.begin());
    return n;
}

class OutputWaveform : public RecordFiles {
  protected:
    std::string written(const RunState& state, std::int32_t iskip) {
        Streams s;
        {
            RecordLayer layer(s.streams());
            write_output_waveform(layer, "wave-out.csv   ", state, thinning_for(iskip, state.nt));
        }
        return read_file(in_dir("wave-out.csv"));
    }

    std::unique_ptr<RunState> state_ = [] {
        auto s = std::make_unique<RunState>();
        s->head = {name("time"), name("NS"), name("EW"), name("UD")};
        return s;
    }();
};

const std::string kHeader = " time(s),NS" + std::string(18, ' ') + ",EW" + std::string(18, ' ') +
                            ",UD" + std::string(18, ' ') + "\n";

TEST_F(OutputWaveform, HeaderAndDataRecords) {
    RunState& s = *state_;
    s.nt = 2;
    s.dt = 0.01;
    s.x1[1] = 1.23456;
    s.x2[1] = -0.5;
    s.x3[1] = 0.0;
    s.x1[0] = -0.00004;
    std::string text = written(s, 0);
    EXPECT_EQ(text, kHeader +
                        " 0.000,      0.0000,      0.0000,      0.0000,\n"
                        " 0.010,      1.2346,     -0.5000,      0.0000,\n");
    EXPECT_EQ(kHeader.size(), 72u);
}

TEST_F(OutputWaveform, EverySecondSampleWithTimesFromDt) {
    RunState& s = *state_;
    s.nt = 5;
    s.dt = 0.01;
    for (int k = 0; k < 5; ++k) s.x1[static_cast<std::size_t>(k)] = k + 1;
    EXPECT_EQ(written(s, 1), kHeader +
                                 " 0.000,      1.0000,      0.0000,      0.0000,\n"
                                 " 0.020,      3.0000,      0.0000,      0.0000,\n"
                                 " 0.040,      5.0000,      0.0000,      0.0000,\n");
}

TEST_F(OutputWaveform, HeaderOnlyWithoutSamples) {
    RunState& s = *state_;
    s.dt = 0.01;
    s.nt = 0;
    EXPECT_EQ(written(s, 0), kHeader);
    s.nt = -4;
    EXPECT_EQ(written(s, 0), kHeader);
}

TEST_F(OutputWaveform, LargeTimesAndValuesAreAsterisks) {
    RunState& s = *state_;
    s.nt = 102;
    s.dt = 1.0;
    s.x1[100] = 1.0e7;
    s.x2[100] = -1.0e6;
    s.x3[100] = -999999.99994;
    EXPECT_EQ(written(s, 99), kHeader +
                                  " 0.000,      0.0000,      0.0000,      0.0000,\n"
                                  "******,************,************,-999999.9999,\n");
}

TEST_F(OutputWaveform, AnExistingLongerFileIsReplaced) {
    write("wave-out.csv", std::string(5000, '#'));
    RunState& s = *state_;
    s.nt = 1;
    s.dt = 0.5;
    EXPECT_EQ(written(s, 0), kHeader + " 0.000,      0.0000,      0.0000,      0.0000,\n");
}

}  // namespace
}  // namespace wavespec
