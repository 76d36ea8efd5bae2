// The files of a run end to end: record counts and layout, the dumps' blocks, replacement of
// earlier files, and the arithmetic of the whole road (round trip, integration and back).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "same_bytes.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> file_lines(const ScratchDir& dir, const std::string& name) {
    return split_lines(read_file(dir / name));
}

// Records of one block of a dump: lines [block * n, block * n + n).
std::vector<std::string> block(const std::vector<std::string>& lines_of_file, int b, int n) {
    return {lines_of_file.begin() + b * n, lines_of_file.begin() + (b + 1) * n};
}

// The part of a dump record after its position number.
std::string value_of(const std::string& record) {
    return record.substr(record.find('('));
}

TEST(Files, RecordCountsAtTheSmallestTransformLength) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(3));
    ToolRun run = run_tool(dir.path(), Answers{}.text());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_NE(run.out.find(lines("  IF1,NF= 2 4\n")), std::string::npos);
    EXPECT_EQ(file_lines(dir, "fort.89").size(), 4u);
    EXPECT_EQ(file_lines(dir, "fort.88").size(), 4u);
    for (const char* dump : {"fort.67", "fort.68", "fort.69"}) {
        EXPECT_EQ(file_lines(dir, dump).size(), 12u) << dump;
    }
    EXPECT_EQ(file_lines(dir, "amp3.csv").size(), 1u + 2u);   // bins 2 and 3
    EXPECT_EQ(file_lines(dir, "amp-c.csv").size(), 1u + 3u);  // bins 1 to 3
    EXPECT_EQ(file_lines(dir, "out.csv").size(), 1u + 3u);
    // fort.89 and the first block of fort.67 hold the same values.
    std::vector<std::string> spectrum = file_lines(dir, "fort.89");
    std::vector<std::string> input = file_lines(dir, "fort.67");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(value_of(spectrum[i]), value_of(input[i]));
}

TEST(Files, PermutedDumpIsTheInputInBitReversedOrder) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(8));
    ASSERT_EQ(run_tool(dir.path(), Answers{}.text()).exit_status, 0);
    std::vector<std::string> input = file_lines(dir, "fort.67");
    std::vector<std::string> permuted = file_lines(dir, "fort.68");
    ASSERT_EQ(input.size(), 24u);
    ASSERT_EQ(permuted.size(), 24u);
    const int source[] = {1, 5, 3, 7, 2, 6, 4, 8};
    for (int b = 0; b < 3; ++b) {
        std::vector<std::string> in = block(input, b, 8);
        std::vector<std::string> out = block(permuted, b, 8);
        for (int i = 0; i < 8; ++i) {
            std::string number = std::to_string(i + 1);
            EXPECT_EQ(out[i].substr(0, out[i].find('(')),
                      std::string(" ").append(number).append(" "));
            EXPECT_EQ(value_of(out[i]), value_of(in[source[i] - 1])) << "block " << b;
        }
    }
}

TEST(Files, LargestRecordFillsEveryDump) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(32768));
    ToolRun run = run_tool(dir.path(), Answers{}.text());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_NE(run.out.find(lines("  IF1,NF= 15 32768\n")), std::string::npos);
    for (const char* dump : {"fort.67", "fort.68", "fort.69"}) {
        EXPECT_EQ(file_lines(dir, dump).size(), 98304u) << dump;
    }
    std::vector<std::string> rescaled = file_lines(dir, "fort.88");
    ASSERT_EQ(rescaled.size(), 32768u);
    // Every record carries the same dur, nf * dt.
    for (const std::string& record : {rescaled.front(), rescaled.back()}) {
        EXPECT_EQ(record.substr(record.size() - 8), "  327.68");
    }
    EXPECT_EQ(file_lines(dir, "amp3.csv").size(), 1u + 16384u);
    EXPECT_EQ(file_lines(dir, "out.csv").size(), 1u + 32768u);
}

TEST(Files, AnotherRunReplacesEveryFileWithItsOwnRecords) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(200));
    ASSERT_EQ(run_tool(dir.path(), Answers{}.text()).exit_status, 0);
    // The same directory, a shorter record: every file holds only the second run's records.
    ScratchDir fresh;
    write_file(dir / "rec.csv", smooth_record(6));
    write_file(fresh / "rec.csv", smooth_record(6));
    ASSERT_EQ(run_tool(dir.path(), Answers{}.text()).exit_status, 0);
    ASSERT_EQ(run_tool(fresh.path(), Answers{}.text()).exit_status, 0);
    for (const char* name : {"amp3.csv", "amp-c.csv", "out.csv", "fort.67", "fort.68", "fort.69",
                             "fort.88", "fort.89"}) {
        EXPECT_PRED_FORMAT2(same_bytes, read_file(dir / name), read_file(fresh / name)) << name;
    }
    EXPECT_EQ(file_lines(dir, "fort.67").size(), 24u);
}

TEST(Files, OutputMayReplaceTheRecordItselfAndNamesAreTrimmedAndCut) {
    ScratchDir dir;
    const std::string record = smooth_record(20);
    write_file(dir / "rec.csv", record);
    Answers same;
    same.output = "rec.csv";
    ASSERT_EQ(run_tool(dir.path(), same.text()).exit_status, 0);
    std::vector<std::string> replaced = file_lines(dir, "rec.csv");
    ASSERT_EQ(replaced.size(), 21u);
    EXPECT_EQ(replaced[0].substr(0, 9), " time(s),");

    write_file(dir / "rec.csv", record);
    Answers trailing;
    trailing.output = "out.csv      ";
    ASSERT_EQ(run_tool(dir.path(), trailing.text()).exit_status, 0);
    EXPECT_TRUE(fs::exists(dir / "out.csv"));

    Answers longer;
    longer.output = "abcdefghijklmnopqrstuvwxyz0123456789.csv";
    ASSERT_EQ(run_tool(dir.path(), longer.text()).exit_status, 0);
    EXPECT_TRUE(fs::exists(dir / "abcdefghijklmnopqrstuvwxyz0123"));
}

TEST(Files, HeaderNamesAreCutOrPaddedToTwentyCharacters) {
    ScratchDir dir;
    std::string record = smooth_record(10);
    record.replace(0, record.find('\n'), "t,N,'a name longer than twenty characters',UD");
    write_file(dir / "rec.csv", record);
    ASSERT_EQ(run_tool(dir.path(), Answers{}.text()).exit_status, 0);
    std::vector<std::string> amp = file_lines(dir, "amp3.csv");
    EXPECT_EQ(amp[0],
              " frequency(Hz),N                   ,a name longer than t,UD                  ");
    EXPECT_EQ(amp[0].size(), 77u);
    EXPECT_EQ(file_lines(dir, "out.csv")[0].size(), 71u);
}

TEST(Files, FrequenciesOfAThousandHertzAndMoreAreAsterisks) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(8, 0.0005));
    ASSERT_EQ(run_tool(dir.path(), Answers{}.text()).exit_status, 0);
    std::vector<std::string> amp = file_lines(dir, "amp3.csv");
    ASSERT_EQ(amp.size(), 5u);
    EXPECT_EQ(amp[3].substr(0, 9), "750.0000,");
    EXPECT_EQ(amp[4].substr(0, 9), "********,");  // 1000 Hz at the Nyquist bin
    EXPECT_EQ(amp[4].size(), 48u);
    EXPECT_EQ(file_lines(dir, "amp-c.csv")[5].substr(0, 9), "********,");
}

TEST(Files, RoundTripReproducesTheRecord) {
    ScratchDir dir;
    const int n = 1000;
    auto value = [](int k, double t) { return 100.0 * std::sin(3.0 * t * k) + 20.0 * k; };
    write_file(dir / "rec.csv", make_record(n, 0.01, value));
    ASSERT_EQ(run_tool(dir.path(), Answers{}.text()).exit_status, 0);
    // fort.88 shows component 1 with nine digits: within a few parts in 10^9 of the largest
    // magnitude, inside the record and (near zero) in the padding after it.
    std::vector<std::string> rescaled = file_lines(dir, "fort.88");
    ASSERT_EQ(rescaled.size(), 1024u);
    double largest = 120.0;
    for (int i = 0; i < 1024; ++i) {
        std::istringstream record(rescaled[i].substr(rescaled[i].find(',') + 1));
        double x = 0.0;
        record >> x;
        double expected = 0.0;
        if (i < n) {
            char text[32];
            std::snprintf(text, sizeof text, "%.9g", value(1, i * 0.01));
            expected = std::stod(text);
        }
        EXPECT_NEAR(x, expected, 5e-9 * largest) << i;
    }
}

TEST(Files, IntegratingTwiceAndDifferentiatingTwiceReturnsTheRecord) {
    // 50 whole cycles in the transform length: the spectrum is one line, well inside the pass
    // band, so the operations are exact divisions and products by (2 pi f)^2.
    const int n = 1024;
    const double dt = 0.01;
    const double f = 50.0 / (n * dt);
    auto acceleration = [f](int k, double t) {
        return 1000.0 * k * std::sin(2.0 * std::numbers::pi * f * t + k);
    };
    ScratchDir dir;
    write_file(dir / "rec.csv", make_record(n, dt, acceleration));
    Answers twice;
    twice.filter = "1\n1 2 10 20";
    twice.operation = "2";
    twice.output = "dis.csv";
    ASSERT_EQ(run_tool(dir.path(), twice.text()).exit_status, 0);
    // The displacement record becomes the input of the way back.
    std::string displacement = "time,NS,EW,UD\n";
    std::vector<std::string> dis = file_lines(dir, "dis.csv");
    for (std::size_t i = 1; i < dis.size(); ++i) {
        std::vector<double> v = fields(dis[i]);
        char line[128];
        std::snprintf(line, sizeof line, "%.4f,%.4f,%.4f,%.4f\n", static_cast<double>(i - 1) * dt,
                      v[1], v[2], v[3]);
        displacement += line;
    }
    write_file(dir / "dis-in.csv", displacement);
    Answers back;  // the same band on the way back keeps the rounding noise out of it
    back.filter = "1\n1 2 10 20";
    back.file = "dis-in.csv";
    back.operation = "3";
    back.output = "once.csv";
    ASSERT_EQ(run_tool(dir.path(), back.text()).exit_status, 0);
    write_file(dir / "vel-in.csv", [&] {
        std::string text = "time,NS,EW,UD\n";
        std::vector<std::string> vel = file_lines(dir, "once.csv");
        for (std::size_t i = 1; i < vel.size(); ++i) {
            std::vector<double> v = fields(vel[i]);
            char line[128];
            std::snprintf(line, sizeof line, "%.4f,%.4f,%.4f,%.4f\n",
                          static_cast<double>(i - 1) * dt, v[1], v[2], v[3]);
            text += line;
        }
        return text;
    }());
    back.file = "vel-in.csv";
    back.output = "acc.csv";
    ASSERT_EQ(run_tool(dir.path(), back.text()).exit_status, 0);
    std::vector<std::string> acc = file_lines(dir, "acc.csv");
    ASSERT_EQ(acc.size(), static_cast<std::size_t>(n) + 1);
    double worst = 0.0;
    for (int i = 0; i < n; ++i) {
        std::vector<double> v = fields(acc[i + 1]);
        for (int k = 1; k <= 3; ++k) {
            worst = std::max(worst, std::fabs(v[k] - acceleration(k, i * dt)) / (1000.0 * k));
        }
    }
    // The record passes through four decimals twice, at displacements of about 1 to 3; the
    // way back amplifies those roundings by up to (2 pi 20 Hz)^2 inside the band.
    EXPECT_LT(worst, 2e-3);
}

}  // namespace
}  // namespace wavespec::test
