// Bounded resources: very long lines, very many records and headers of any length are read
// with memory that does not grow with them, and the run ends in time. Inputs are generated on
// the fly; the peak memory of each run is compared with that of a small run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/measured_run.hpp"
#include "e2e/run_endings.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLongLine = 64u << 20;  // 64 MiB in one line
// Whole-line or whole-file buffering of the inputs below would add at least this much.
constexpr long kAllowedGrowthKib = 16 * 1024;
constexpr double kTimeLimitSeconds = 30.0;  // generous: sanitizer builds are much slower

class ResourceLimits : public testing::Test {
  protected:
    // Peak memory of a plain run on the small record, measured once per test.
    long baseline_kib() {
        ScratchDir base;
        write_file(base / "rec.csv", small_record());
        write_file(base / "keyboard", join_lines(plain_answers()));
        MeasuredRun run = run_measured(base.path(), base / "keyboard");
        expect_normal_end(run.run);
        return run.peak_kib;
    }

    MeasuredRun run_with(const std::string& keyboard) {
        write_file(dir_ / "keyboard", keyboard);
        return run_with_keyboard_file();
    }

    // The keyboard file is already in place. Large inputs are streamed to their files, never
    // held here: the child's peak memory counts this process's pages until its exec.
    MeasuredRun run_with_keyboard_file() {
        MeasuredRun run = run_measured(dir_.path(), dir_ / "keyboard");
        RecordProperty("peak_kib", std::to_string(run.peak_kib));
        RecordProperty("seconds", std::to_string(run.seconds));
        std::cout << "peak " << run.peak_kib << " KiB, " << run.seconds << " s\n";
        EXPECT_LT(run.seconds, kTimeLimitSeconds);
        EXPECT_LT(run.peak_kib, baseline_ + kAllowedGrowthKib) << "baseline " << baseline_;
        return run;
    }

    void SetUp() override { baseline_ = baseline_kib(); }

    ScratchDir dir_;
    long baseline_ = 0;
};

// Writes count copies of a piece to a stream without building them in memory.
void repeat(std::ofstream& out, const std::string& piece, std::size_t count) {
    std::string block;
    while (block.size() < (1u << 20) && count > 0) {
        block += piece;
        --count;
    }
    std::size_t per_block = block.size() / piece.size();
    if (per_block == 0) return;
    std::size_t blocks = count / per_block;
    out << block;
    for (std::size_t b = 0; b < blocks; ++b) out << block;
    for (std::size_t r = 0; r < count % per_block; ++r) out << piece;
}

TEST_F(ResourceLimits, HeaderNameOfSixtyFourMegabytesIsCut) {
    {
        std::ofstream out(dir_ / "rec.csv", std::ios::binary);
        repeat(out, "a", kLongLine);
        out << ",EW,UD,Z\n0,1,2,3\n0.01,1,2,3\n0.02,1,2,3\n";
    }
    MeasuredRun run = run_with(join_lines(plain_answers()));
    expect_normal_end(run.run);
    EXPECT_EQ(read_file(dir_ / "out.csv").substr(0, 30), " time(s),EW                  ,");
}

TEST_F(ResourceLimits, SampleLineWithSixtyFourMegabytesOfBlanksAndDigits) {
    {
        std::ofstream out(dir_ / "rec.csv", std::ios::binary);
        out << "t,a,b,c\n0,";
        repeat(out, " ", kLongLine / 2);
        out << "1,2,";
        repeat(out, "7", kLongLine / 2);  // one value of 32 million digits: an overflow
        out << "\n0.01,1,2,3\n";
    }
    MeasuredRun run = run_with(join_lines(plain_answers()));
    expect_normal_end(run.run);
    EXPECT_NE(run.run.out.find(" NT and DT= 2  0.01"), std::string::npos);
    // The overflowing value is component 3, whose amplitudes are then NaN.
    EXPECT_NE(read_file(dir_ / "amp3.csv").find(lines("         NaN,\n")), std::string::npos);
}

TEST_F(ResourceLimits, QuotedHeaderNameOverAMillionRecords) {
    {
        std::ofstream out(dir_ / "rec.csv", std::ios::binary);
        out << "t,'";
        repeat(out, "xy\n", 1'000'000);
        out << "',b,c\n0,1,2,3\n0.01,1,2,3\n";
    }
    MeasuredRun run = run_with(join_lines(plain_answers()));
    expect_normal_end(run.run);
    // Line ends inside quotes are dropped: the name is xyxy... cut to 20 characters.
    EXPECT_EQ(read_file(dir_ / "out.csv").substr(0, 30), " time(s),xyxyxyxyxyxyxyxyxyxy,");
}

TEST_F(ResourceLimits, TwoMillionRecordsAreCountedAndRefusedByTheOrderlyStop) {
    {
        std::ofstream out(dir_ / "rec.csv", std::ios::binary);
        out << "t,a,b,c\n0,1,2,3\n";
        repeat(out, "1,2,3,4\n", 2'000'000 - 1);
    }
    MeasuredRun run = run_with(join_lines(plain_answers()));
    expect_normal_end(run.run);
    EXPECT_NE(run.run.out.find(" NT and DT= 2000000  1."), std::string::npos);
    EXPECT_NE(run.run.out.find(" NT>2**15 !!!!!"), std::string::npos);
    EXPECT_FALSE(exists_in(dir_, "amp3.csv"));
}

TEST_F(ResourceLimits, MillionsOfEmptyRecordsBetweenSamples) {
    {
        std::ofstream out(dir_ / "rec.csv", std::ios::binary);
        out << "t,a,b,c\n0,1,2,3\n";
        repeat(out, "\n", 5'000'000);
        out << "0.01,1,2,3\n";
    }
    MeasuredRun run = run_with(join_lines(plain_answers()));
    expect_normal_end(run.run);
    EXPECT_NE(run.run.out.find(" NT and DT= 2  0.01"), std::string::npos);
}

TEST_F(ResourceLimits, KeyboardLinesOfSixtyFourMegabytes) {
    // The first 30 characters of the long name line name a file of exactly that name.
    write_file(dir_ / "rec.csvnnnnnnnnnnnnnnnnnnnnnnn", small_record());
    {
        std::ofstream out(dir_ / "keyboard", std::ios::binary);
        out << "rec.csv";
        repeat(out, "n", kLongLine);
        out << "\n";
        repeat(out, " ", kLongLine);  // blanks ahead of an answer
        out << "0 junk\n0\n0\n\n0\n0";
        repeat(out, ",", kLongLine);  // commas after an answer
        out << "\nout.csv\n\n";
    }
    MeasuredRun run = run_with_keyboard_file();
    expect_normal_end(run.run);
    EXPECT_EQ(record_count(dir_ / "out.csv"), 1u + kSmallRecordSets);
}

TEST_F(ResourceLimits, IntegerAnswerOfSixtyFourMegabytesOfDigits) {
    write_file(dir_ / "rec.csv", small_record());
    {
        std::ofstream out(dir_ / "keyboard", std::ios::binary);
        out << "rec.csv\n1";
        repeat(out, "0", kLongLine);
        out << "\n";
    }
    MeasuredRun run = run_with_keyboard_file();
    expect_diagnostic(run.run, "invalid integer: integer out of range", "5 (unnamed)");
}

}  // namespace
}  // namespace wavespec::test
