// The dialogue end to end: which answers steer the run, how answers may be typed, and the
// orderly stops and refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    ToolRun run;
    std::vector<std::string> out_lines;  // the output record, if written
};

Outcome run_with(const std::string& record, const std::string& keyboard) {
    ScratchDir dir;
    write_file(dir / "rec.csv", record);
    Outcome outcome{run_tool(dir.path(), keyboard), {}};
    if (fs::exists(dir / "out.csv")) outcome.out_lines = split_lines(read_file(dir / "out.csv"));
    return outcome;
}

int count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos;
         at = text.find(piece, at + 1)) {
        ++n;
    }
    return n;
}

TEST(Dialogue, OnlyOneMeansYesForThePolarityQuestions) {
    const std::string record = smooth_record(40);
    Outcome plain = run_with(record, Answers{}.text());
    ASSERT_EQ(plain.run.exit_status, 0) << plain.run.err;
    for (const char* no : {"2", "-1", "0"}) {
        Answers answers;
        answers.polarity = no;
        Outcome other = run_with(record, answers.text());
        EXPECT_EQ(other.run.out, plain.run.out) << no;
        EXPECT_EQ(other.out_lines, plain.out_lines) << no;
        EXPECT_EQ(count(other.run.out, "of FILE"), 0);
    }
    // 1, then 0, 1, 0: component 2 alone changes sign, everywhere.
    Answers answers;
    answers.polarity = "1\n0\n1\n0";
    Outcome inverted = run_with(record, answers.text());
    EXPECT_EQ(count(inverted.run.out, "of FILE"), 3);
    ASSERT_EQ(inverted.out_lines.size(), plain.out_lines.size());
    for (std::size_t i = 1; i < plain.out_lines.size(); ++i) {
        std::vector<double> a = fields(plain.out_lines[i]);
        std::vector<double> b = fields(inverted.out_lines[i]);
        ASSERT_EQ(a.size(), 4u);
        EXPECT_EQ(b[0], a[0]);
        EXPECT_EQ(b[1], a[1]);
        EXPECT_EQ(b[2], -a[2]);
        EXPECT_EQ(b[3], a[3]);
    }
}

TEST(Dialogue, AnswersTypedAheadOnOneLineAreDroppedAndEmptyLinesWait) {
    const std::string record = smooth_record(40);
    Outcome plain = run_with(record, Answers{}.text());
    // "1 1 1 1" answers only the first question; the three component questions then read the
    // next lines (0, 0, 0). Empty lines before an answer are skipped.
    Answers answers;
    answers.polarity = "1 1 1 1\n\n\n0\n  \n0\n0";
    answers.filter = "\n\n0";
    Outcome typed_ahead = run_with(record, answers.text());
    ASSERT_EQ(typed_ahead.run.exit_status, 0) << typed_ahead.run.err;
    EXPECT_EQ(count(typed_ahead.run.out, "of FILE"), 3);
    EXPECT_EQ(typed_ahead.out_lines, plain.out_lines);
}

TEST(Dialogue, CornerFrequenciesMayBeSpreadOverLinesOrSeparatedByCommas) {
    const std::string record = smooth_record(200);
    std::vector<std::vector<std::string>> results;
    for (const char* corners :
         {"0.5 1 10 20", "0.5,1,10,20", "0.5\n1\n\n10\n20", "0.5, 1\n10 ,20 trailing"}) {
        Answers answers;
        answers.filter = std::string("1\n") + corners;
        Outcome run = run_with(record, answers.text());
        ASSERT_EQ(run.run.exit_status, 0) << corners << run.run.err;
        results.push_back(run.out_lines);
    }
    for (const auto& result : results) EXPECT_EQ(result, results[0]);
    EXPECT_NE(results[0], run_with(record, Answers{}.text()).out_lines);
}

TEST(Dialogue, OperationsOtherThanOneTwoThreeChangeNothing) {
    const std::string record = smooth_record(64);
    Outcome plain = run_with(record, Answers{}.text());
    for (const char* none : {"0", "7", "-1", "4"}) {
        Answers answers;
        answers.operation = none;
        EXPECT_EQ(run_with(record, answers.text()).out_lines, plain.out_lines) << none;
    }
    Answers integrate;
    integrate.operation = "1";
    EXPECT_NE(run_with(record, integrate.text()).out_lines, plain.out_lines);
}

TEST(Dialogue, SkipNumbersChooseEveryStepThSample) {
    const std::string record = smooth_record(40);
    struct Case {
        const char* skip;
        std::vector<double> times;
    };
    const Case cases[] = {
        {"0", {}},  // every sample: checked by count below
        {"1", {0.0, 0.02, 0.04}},
        {"7", {0.0, 0.08, 0.16, 0.24, 0.32}},
        {"2147483647", {0.0}},
        {"-1", {}},
        {"-2147483648", {}},
    };
    for (const Case& c : cases) {
        Answers answers;
        answers.skip = c.skip;
        Outcome run = run_with(record, answers.text());
        ASSERT_EQ(run.run.exit_status, 0) << c.skip << run.run.err;
        std::size_t records = run.out_lines.size() - 1;
        if (c.times.empty()) {
            EXPECT_EQ(records, 40u) << c.skip;  // 0 and negative answers: every sample
        } else if (c.times.size() == 1) {
            EXPECT_EQ(records, 1u) << c.skip;
        } else {
            std::size_t step = std::stoul(c.skip) + 1;
            EXPECT_EQ(records, (40 + step - 1) / step) << c.skip;
            for (std::size_t i = 0; i < c.times.size(); ++i) {
                EXPECT_DOUBLE_EQ(fields(run.out_lines[i + 1])[0], c.times[i]) << c.skip;
            }
        }
    }
}

TEST(Dialogue, MoreThan32768SamplesStopQuietlyAfterThePolarityQuestions) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(32769));
    ToolRun run = run_tool(dir.path(), "rec.csv\n1\n0\n0\n0\n");
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(count(run.out, "of FILE"), 3);
    const std::string ending =
        lines(" Change from + to - of FILE 3 ? (YES=1)?? :\n  NT>2**15 !!!!!\n");
    ASSERT_GE(run.out.size(), ending.size());
    EXPECT_EQ(run.out.substr(run.out.size() - ending.size()), ending);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);  // the record alone
}

TEST(Dialogue, RecordsWithoutASamplingIntervalAreRefused) {
    const std::string equal_times = "t,a,b,c\n0,1,2,3\n0,1,2,3\n0.02,1,2,3\n";
    const std::string one_set = "t,a,b,c\n0,1,2,3\n";
    const std::string header_only = "t,a,b,c\n";
    for (const std::string& record : {equal_times, one_set, header_only}) {
        ScratchDir dir;
        write_file(dir / "rec.csv", record);
        ToolRun run = run_tool(dir.path(), Answers{}.text());
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_NE(run.err.find("no usable sampling interval"), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("NT and DT="), std::string::npos);
        EXPECT_EQ(run.out.find("Change"), std::string::npos);
        int files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++files;
        EXPECT_EQ(files, 1);
    }
}

TEST(Dialogue, WindowReportsAndEdges) {
    const std::string record = smooth_record(100);
    Outcome plain = run_with(record, Answers{}.text());
    // 0.29 s at 0.01 s is 28 samples (the quotient falls just below 29).
    Answers late;
    late.cut = "1\n0.29\n0.1";
    Outcome cut = run_with(record, late.text());
    EXPECT_NE(cut.run.out.find(lines(" Number of Cutting Data = 28\n")), std::string::npos);
    EXPECT_NE(cut.run.out.find(lines(" Number of data = 11\n New nt = 11\n")), std::string::npos);
    ASSERT_EQ(cut.out_lines.size(), 12u);
    for (int i = 0; i < 11; ++i) {
        std::vector<double> w = fields(cut.out_lines[i + 1]);
        std::vector<double> p = fields(plain.out_lines[i + 29]);
        EXPECT_DOUBLE_EQ(w[0], i * 0.01);
        EXPECT_EQ(w[1], p[1]);
        EXPECT_EQ(w[3], p[3]);
    }
    // A window starting before the record begins with zeros; a zero duration gives one sample.
    Answers early;
    early.cut = "1\n-0.055\n0.2";
    Outcome before = run_with(record, early.text());
    EXPECT_NE(before.run.out.find(lines(" Number of Cutting Data = -5\n")), std::string::npos);
    ASSERT_EQ(before.out_lines.size(), 22u);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(fields(before.out_lines[i])[1], 0.0);
    EXPECT_EQ(fields(before.out_lines[6])[1], fields(plain.out_lines[1])[1]);
    Answers single;
    single.cut = "1\n0\n0";
    EXPECT_EQ(run_with(record, single.text()).out_lines.size(), 2u);
    // A negative duration of a sample or more leaves the header alone.
    Answers negative;
    negative.cut = "1\n0\n-0.5";
    Outcome none = run_with(record, negative.text());
    EXPECT_NE(none.run.out.find(lines(" New nt = -49\n")), std::string::npos);
    EXPECT_EQ(none.out_lines.size(), 1u);
}

TEST(Dialogue, WindowsBeyondCapacityAreRefusedAfterTheSpectraAreComplete) {
    for (const char* cut : {"1\n0\n330.01", "1\n1e300\n1", "1\n0\n1e12"}) {
        ScratchDir dir;
        write_file(dir / "rec.csv", smooth_record(100));
        Answers answers;
        answers.cut = cut;
        ToolRun run = run_tool(dir.path(), answers.text());
        EXPECT_EQ(run.exit_status, 1) << cut;
        EXPECT_FALSE(run.aborted);
        EXPECT_NE(run.err.find("wavespec: "), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out.csv"));
        EXPECT_EQ(split_lines(read_file(dir / "amp-c.csv")).size(), 66u);
        EXPECT_EQ(split_lines(read_file(dir / "fort.69")).size(), 3u * 128u);
        EXPECT_EQ(split_lines(read_file(dir / "fort.88")).size(), 128u);
    }
    // 33000 samples exactly fit; the positions past the capacity read as zero.
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(100));
    Answers answers;
    answers.cut = "1\n0\n329.99";
    ToolRun run = run_tool(dir.path(), answers.text());
    EXPECT_EQ(run.exit_status, 0) << run.err;
}

}  // namespace
}  // namespace wavespec::test
