// The waveform input file: the header of four names, the sample sets read to the
// end of the file, and the edge cases of a record, read from a scratch file opened for
// reading only on unit 11.
#include "dialogue/waveform_reader.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "unit/record_test_support.hpp"

namespace wavespec {
namespace {

using test::ScratchDir;
using test::TempFd;

struct Sample {
    double time, x1, x2, x3;
    friend bool operator==(const Sample&, const Sample&) = default;
};

std::ostream& operator<<(std::ostream& os, const Sample& s) {
    return os << "{" << s.time << ", " << s.x1 << ", " << s.x2 << ", " << s.x3 << "}";
}

class WaveformReader : public ::testing::Test {
  protected:
    // Reads the text as a waveform file; returns the run state.
    RunState& read(std::string_view content) {
        std::string path = dir_.write("wave.csv", content);
        TempFd in, out, err;
        RecordLayer layer({in.fd(), out.fd(), err.fd()});
        layer.open(kWaveformUnit, path, RecordLayer::OpenMode::read_only);
        read_waveform_records(layer, kWaveformUnit, *state_);
        layer.close(kWaveformUnit);
        return *state_;
    }

    Sample sample(std::size_t k) const {
        return {state_->time[k], state_->xr1[k], state_->xr2[k], state_->xr3[k]};
    }
    std::vector<Sample> samples(std::size_t count) const {
        std::vector<Sample> all;
        for (std::size_t k = 0; k < count; ++k) all.push_back(sample(k));
        return all;
    }
    std::string head(std::size_t k) const { return std::string(name_text(state_->head[k])); }

    ScratchDir dir_;
    std::unique_ptr<RunState> state_ = std::make_unique<RunState>();
};
using WaveformReaderDeathTest = WaveformReader;

std::string padded(std::string text) {
    text.resize(kNameLength, ' ');
    return text;
}

TEST_F(WaveformReader, HeaderAndSampleSets) {
    RunState& s = read("time,NS,EW,UD\n0,1,2,3\n0.01,4,5,6\n0.02,-7,8.5,9e-1\n");
    EXPECT_EQ(s.nt, 3);
    EXPECT_EQ(s.dt, 0.01 - 0.0);
    EXPECT_EQ(samples(4), (std::vector<Sample>{
                              {0, 1, 2, 3}, {0.01, 4, 5, 6}, {0.02, -7, 8.5, 0.9}, {0, 0, 0, 0}}));
    EXPECT_EQ(head(0), padded("time"));
    EXPECT_EQ(head(1), padded("NS"));
    EXPECT_EQ(head(2), padded("EW"));
    EXPECT_EQ(head(3), padded("UD"));
}

TEST_F(WaveformReader, BlanksAndTabsSeparateValuesToo) {
    RunState& s = read("t a b c\n 0.5\t1  2 3 \n 0.75 4 5 6\n");
    EXPECT_EQ(s.nt, 2);
    EXPECT_EQ(s.dt, 0.25);
    EXPECT_EQ(samples(2), (std::vector<Sample>{{0.5, 1, 2, 3}, {0.75, 4, 5, 6}}));
}

TEST_F(WaveformReader, NoSampleRecordsGiveNtAndDtZero) {
    // The header read has no end-of-file branch; an end met while it skips the rest of its
    // record ends nothing but that record.
    for (const char* text : {"t,a,b,c\n", "t,a,b,c", "t,a,b,c\n\n\n  \n", "t,a,b,c,extra"}) {
        state_ = std::make_unique<RunState>();
        RunState& s = read(text);
        EXPECT_EQ(s.nt, 0) << text;
        EXPECT_EQ(s.dt, 0.0) << text;
        EXPECT_EQ(head(3), padded("c")) << text;
    }
}

TEST_F(WaveformReader, OneSampleGivesDtOfMinusItsTime) {
    RunState& s = read("t,a,b,c\n0.5,1,2,3\n");
    EXPECT_EQ(s.nt, 1);
    EXPECT_EQ(s.dt, -0.5);
}

TEST_F(WaveformReader, DecreasingOrUnevenTimes) {
    RunState& s = read("t,a,b,c\n1.0,1,2,3\n0.5,1,2,3\n7,1,2,3\n");
    EXPECT_EQ(s.nt, 3);
    EXPECT_EQ(s.dt, -0.5);
}

// A last record without a line end counts when nothing but blanks and tabs follows its fourth
// value; a comma or a further value there makes the end of the file end the set uncounted.
TEST_F(WaveformReader, LastRecordWithoutALineEnd) {
    const std::pair<const char*, int> cases[] = {
        {"0.02,7,8,9", 3},   {"0.02,7,8,9  \t", 3},  {"0.02 7 8 9", 3},
        {"0.02,7,8,9,", 2},  {"0.02,7,8,9,10", 2},   {"0.02,7,8,9 10", 2},
        {"0.02,7,8,9\n", 3}, {"0.02,7,8,9,10\n", 3}, {"0.02,7,8,9\n\n \n", 3},
    };
    for (const auto& [last, nt] : cases) {
        state_ = std::make_unique<RunState>();
        RunState& s = read(std::string("t,a,b,c\n0,1,2,3\n0.01,4,5,6\n") + last);
        EXPECT_EQ(s.nt, nt) << last;
        EXPECT_EQ(sample(2), (Sample{0.02, 7, 8, 9})) << last;  // stored either way
        EXPECT_EQ(s.dt, 0.01) << last;
    }
}

TEST_F(WaveformReader, IncompleteLastSetIsStoredButNotCounted) {
    for (const char* last : {"0.02,7,8\n", "0.02,7,8", "0.02,7,8,", "0.02\n\n", "0.02,7,\n"}) {
        state_ = std::make_unique<RunState>();
        RunState& s = read(std::string("t,a,b,c\n0,1,2,3\n0.01,4,5,6\n") + last);
        EXPECT_EQ(s.nt, 2) << last;
        EXPECT_EQ(sample(2).time, 0.02) << last;
        EXPECT_EQ(sample(2).x3, 0.0) << last;
    }
    state_ = std::make_unique<RunState>();
    read("t,a,b,c\n0,1,2,3\n0.01,4,5\n");
    EXPECT_EQ(state_->nt, 1);
    EXPECT_EQ(sample(1), (Sample{0.01, 4, 5, 0}));
}

TEST_F(WaveformReader, EmptyRecordsAreSkippedAndNotCounted) {
    RunState& s = read("\n\nt,a,b,c\n\n0,1,2,3\n\n\n   \n0.01,4,5,6\n\n");
    EXPECT_EQ(s.nt, 2);
    EXPECT_EQ(samples(2), (std::vector<Sample>{{0, 1, 2, 3}, {0.01, 4, 5, 6}}));
    EXPECT_EQ(head(0), padded("t"));
}

TEST_F(WaveformReader, ValuesAfterTheFourthAreIgnored) {
    RunState& s = read("t,a,b,c,extra,names\n0,1,2,3,99,98\n0.01,4,5,6,97\n");
    EXPECT_EQ(s.nt, 2);
    EXPECT_EQ(samples(3), (std::vector<Sample>{{0, 1, 2, 3}, {0.01, 4, 5, 6}, {0, 0, 0, 0}}));
    EXPECT_EQ(head(3), padded("c"));
}

// A record of three values takes its fourth from the next record and skips that record's rest.
TEST_F(WaveformReader, ThreeValuesTakeTheFourthFromTheNextRecord) {
    RunState& s = read("t,a,b,c\n0,1,2\n3,99,99,99\n0.01,4,5,6\n0.02,7,8,9\n");
    EXPECT_EQ(s.nt, 3);
    EXPECT_EQ(samples(3), (std::vector<Sample>{{0, 1, 2, 3}, {0.01, 4, 5, 6}, {0.02, 7, 8, 9}}));
}

TEST_F(WaveformReader, HeaderOfThreeNamesLosesTheFirstSampleRecord) {
    RunState& s = read("t,a,b\n0,1,2,3\n0.01,4,5,6\n0.02,7,8,9\n");
    EXPECT_EQ(head(3), padded("0"));
    EXPECT_EQ(s.nt, 2);
    EXPECT_EQ(samples(2), (std::vector<Sample>{{0.01, 4, 5, 6}, {0.02, 7, 8, 9}}));
    EXPECT_EQ(s.dt, 0.02 - 0.01);
}

TEST_F(WaveformReader, NoHeaderTakesTheFirstRecordAsNames) {
    RunState& s = read("0,1.5,-2,3e0\n0.01,4,5,6\n0.02,7,8,9\n");
    EXPECT_EQ(head(0), padded("0"));
    EXPECT_EQ(head(1), padded("1.5"));
    EXPECT_EQ(head(2), padded("-2"));
    EXPECT_EQ(head(3), padded("3e0"));
    EXPECT_EQ(s.nt, 2);
    EXPECT_EQ(s.dt, 0.01);
}

TEST_F(WaveformReader, NamesAreCutOrPaddedToTwentyCharacters) {
    read("time,ABCDEFGHIJKLMNOPQRSTUVWXYZ,12345678901234567890,x\n0,1,2,3\n");
    EXPECT_EQ(head(1), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(head(2), "12345678901234567890");
    EXPECT_EQ(head(3), padded("x"));
    EXPECT_EQ(state_->nt, 1);
}

TEST_F(WaveformReader, HeaderSpreadOverSeveralRecords) {
    RunState& s = read("t\na,b\n\nc,d\n0,1,2,3\n");
    EXPECT_EQ(head(3), padded("c"));
    EXPECT_EQ(s.nt, 1);
}

// A slash ends an unquoted name and the whole header read: later names get no value (blank).
TEST_F(WaveformReader, SlashInAnUnquotedHeaderName) {
    RunState& s = read("time,cm/s/s,EW,UD\n0,1,2,3\n0.01,4,5,6\n");
    EXPECT_EQ(head(0), padded("time"));
    EXPECT_EQ(head(1), padded("cm"));
    EXPECT_EQ(head(2), padded(""));
    EXPECT_EQ(head(3), padded(""));
    EXPECT_EQ(s.nt, 2);
    EXPECT_EQ(sample(0), (Sample{0, 1, 2, 3}));
}

TEST_F(WaveformReader, QuotedNamesKeepBlanksCommasAndSlashes) {
    RunState& s = read("'time (s)',\"cm/s/s\",'E''W, m',\"U\"\"D\"\n0,1,2,3\n");
    EXPECT_EQ(head(0), padded("time (s)"));
    EXPECT_EQ(head(1), padded("cm/s/s"));
    EXPECT_EQ(head(2), padded("E'W, m"));
    EXPECT_EQ(head(3), padded("U\"D"));
    EXPECT_EQ(s.nt, 1);
}

TEST_F(WaveformReader, CarriageReturnLineEnds) {
    RunState& s = read("t,a,b,c\r\n0,1,2,3\r\n\r\n0.01,4,5,6\r\n");
    EXPECT_EQ(s.nt, 2);
    EXPECT_EQ(head(3), padded("c"));
    EXPECT_EQ(samples(2), (std::vector<Sample>{{0, 1, 2, 3}, {0.01, 4, 5, 6}}));
}

TEST_F(WaveformReader, NullValuesKeepZero) {
    RunState& s = read("t,a,b,c\n0,,2,3\n0.01,4,5,/\n0.02,7,8,9\n");
    EXPECT_EQ(s.nt, 3);
    EXPECT_EQ(samples(3), (std::vector<Sample>{{0, 0, 2, 3}, {0.01, 4, 5, 0}, {0.02, 7, 8, 9}}));
}

// More sets than the capacity are counted without being stored past the 33000th.
TEST_F(WaveformReader, SetsBeyondTheCapacityAreCountedNotStored) {
    std::string text = "t,a,b,c\n";
    const int count = static_cast<int>(kCapacity) + 5;
    for (int k = 0; k < count; ++k) {
        text += std::to_string(k) + "," + std::to_string(k + 1) + ",0,0\n";
    }
    RunState& s = read(text);
    EXPECT_EQ(s.nt, count);
    EXPECT_EQ(s.dt, 1.0);
    EXPECT_EQ(s.time.size(), kCapacity);
    EXPECT_EQ(sample(kCapacity - 1), (Sample{32999, 33000, 0, 0}));
}

// ---------------------------------------------------------------- failures

void read_file_dying(const std::string& path) {
    TempFd in, out;
    RecordLayer layer({in.fd(), out.fd(), 2});
    auto state = std::make_unique<RunState>();
    layer.open(kWaveformUnit, path, RecordLayer::OpenMode::read_only);
    read_waveform_records(layer, kWaveformUnit, *state);
}

TEST_F(WaveformReaderDeathTest, FewerThanFourHeaderValuesInAll) {
    for (const char* text : {"", "\n\n", "t,a,b\n", "t,a,b,"}) {
        std::string path = dir_.write("short.csv", text);
        EXPECT_EXIT(read_file_dying(path), ::testing::KilledBySignal(SIGABRT),
                    test::diagnostic("list in: end of file",
                                     "apparent state: unit 11 named " + path, "list io", "reading"))
            << text;
    }
}

TEST_F(WaveformReaderDeathTest, ASampleThatIsNotANumber) {
    std::string path = dir_.write("letters.csv", "t,a,b,c\n0,1,2,3\n0.01,x,5,6\n");
    EXPECT_EXIT(read_file_dying(path), ::testing::KilledBySignal(SIGABRT),
                test::diagnostic("invalid number: incomprehensible list input",
                                 "apparent state: unit 11 named " + path, "list io", "reading"));
}

}  // namespace
}  // namespace wavespec
