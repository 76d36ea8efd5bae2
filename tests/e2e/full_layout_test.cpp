// process --layout=full: the same values as the fixed layout at full precision, records longer
// than 32768 sample sets against a direct summation, long times and close frequencies, and
// the networks' long records taken whole.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include "e2e/measured_run.hpp"
#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;) {
        parts.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    parts.push_back(line.substr(start));
    return parts;
}

// Half a unit of the last digit a fixed-layout field shows ("  1.2340", "0.1234E+01").
double half_unit(const std::string& field) {
    std::size_t point = field.find('.');
    std::size_t e = field.find_first_of("Ee");
    std::size_t digits = (e == std::string::npos ? field.size() : e) - point - 1;
    int exponent = e == std::string::npos ? 0 : std::stoi(field.substr(e + 1));
    return 0.5 * std::pow(10.0, exponent - static_cast<int>(digits));
}

// Every number of the full file rounds to the fixed file's text; no field is empty.
void expect_same_values(const fs::path& fixed, const fs::path& full) {
    std::vector<std::string> a = split_lines(read_file(fixed)), b = split_lines(read_file(full));
    ASSERT_EQ(a.size(), b.size()) << full;
    for (std::size_t row = 1; row < a.size(); ++row) {
        std::vector<std::string> legacy = split(a[row]), precise = split(b[row]);
        if (legacy.back().find_first_not_of(' ') == std::string::npos) legacy.pop_back();
        ASSERT_EQ(legacy.size(), precise.size()) << full << " row " << row;
        for (std::size_t i = 0; i < legacy.size(); ++i) {
            double value = std::stod(precise[i]);
            EXPECT_LE(std::fabs(value - std::stod(legacy[i])), half_unit(legacy[i]) * 1.000001)
                << full << " row " << row << ": " << precise[i] << " vs " << legacy[i];
        }
    }
}

TEST(FullLayout, CarriesTheFixedLayoutsValuesToItsDigits) {
    const std::vector<std::vector<std::string>> jobs = {
        {},
        {"--invert=2", "--bandpass=0.1,0.2,20,25", "--integrate"},
        {"--differentiate", "--window=0.5,1.2", "--skip=2"},
    };
    for (const auto& options : jobs) {
        ScratchDir dir;
        write_file(dir / "rec.csv", smooth_record(300));
        std::vector<std::string> fixed = {"process", "-q", "-C", "fixed", "rec.csv"};
        std::vector<std::string> full = {"process", "-q", "-C", "full", "--layout=full", "rec.csv"};
        fixed.insert(fixed.begin() + 1, options.begin(), options.end());
        full.insert(full.begin() + 1, options.begin(), options.end());
        ASSERT_EQ(run_tool_with(dir.path(), fixed).exit_status, 0);
        ToolRun run = run_tool_with(dir.path(), full);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        for (const char* file : {"amp3.csv", "amp-c.csv", "wave.csv"}) {
            expect_same_values(dir / "fixed" / file, dir / "full" / file);
        }
        std::vector<std::string> wave = split_lines(read_file(dir / "full" / "wave.csv"));
        EXPECT_EQ(wave[0], "time(s),NS,EW,UD");
        EXPECT_EQ(split_lines(read_file(dir / "full" / "amp3.csv"))[0], "frequency(Hz),NS,EW,UD");
        EXPECT_EQ(split_lines(read_file(dir / "full" / "amp-c.csv"))[0], "frequency(Hz),re,im");
        EXPECT_FALSE(fs::exists(dir / "full" / "fort.67"));
    }
}

TEST(FullLayout, LongRecordAgainstDirectSummationWithLongTimesAndCloseFrequencies) {
    // 60000 samples 20 s apart: times past 10^6 s, bins 7.6e-7 Hz apart (nf 65536).
    const int n = 60000;
    const double dt = 20.0;
    auto value = [](int k, int i) {
        return std::sin(0.001 * i * k + k) + 0.5 * std::cos(0.37 * i);
    };
    std::string text = "time,N,\"E,W\",\"U\"\"D\"\n";
    for (int i = 0; i < n; ++i) {
        text += std::to_string(i * 20) + "," + std::to_string(value(1, i)) + "," +
                std::to_string(value(2, i)) + "," + std::to_string(value(3, i)) + "\n";
    }
    ScratchDir dir;
    write_file(dir / "rec.csv", text);
    ToolRun run = run_tool_with(dir.path(), {"process", "--layout=full", "rec.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(split_lines(run.out)[0], "rec.csv: nt 60000, dt 20, nf 65536, files in .");

    std::vector<std::string> spectrum = split_lines(read_file(dir / "amp-c.csv"));
    ASSERT_EQ(spectrum.size(), 1u + 32769u);
    const int nf = 65536;
    for (int m : {0, 1, 2, 3, 100, 2087, 12345, 32767, 32768}) {
        // dt * sum_p x_p exp(-2 pi i p m / nf), the samples as the file gives them.
        long double re = 0, im = 0;
        const long double pi = 3.141592653589793238462643383279502884L;
        for (int p = 0; p < n; ++p) {
            long double x = std::stold(std::to_string(value(1, p)));
            long double angle = -2 * pi * static_cast<long double>((1LL * p * m) % nf) / nf;
            re += x * std::cos(angle);
            im += x * std::sin(angle);
        }
        std::vector<std::string> row = split(spectrum[static_cast<std::size_t>(m) + 1]);
        ASSERT_EQ(row.size(), 3u);
        // The transform's pi (3.141592654) moves each term's phase by about 1e-9.
        double tolerance = 1e-8 * dt * n;
        EXPECT_NEAR(std::stod(row[1]), static_cast<double>(dt * re), tolerance) << "bin " << m;
        EXPECT_NEAR(std::stod(row[2]), static_cast<double>(dt * im), tolerance) << "bin " << m;
        EXPECT_NEAR(std::stod(row[0]), m / (nf * dt), 1e-9 * m / (nf * dt)) << "bin " << m;
    }
    // Neighbouring frequencies, 7.6e-7 Hz apart, are told apart.
    for (std::size_t r = 2; r < spectrum.size(); ++r) {
        ASSERT_LT(std::stod(split(spectrum[r - 1])[0]), std::stod(split(spectrum[r])[0]));
    }

    std::vector<std::string> wave = split_lines(read_file(dir / "wave.csv"));
    ASSERT_EQ(wave.size(), 1u + n);
    EXPECT_EQ(wave[0], "time(s),N,\"E,W\",\"U\"\"D\"");
    EXPECT_EQ(split_lines(read_file(dir / "amp3.csv"))[0], "frequency(Hz),N,\"E,W\",\"U\"\"D\"");
    for (int i : {0, 5, 51, 49999, 59999}) {
        std::vector<std::string> row = split(wave[static_cast<std::size_t>(i) + 1]);
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(row[0], std::to_string(i * 20));
        // Forward and back: the record itself, but for the transform's pi (3.141592654), which
        // keeps the inverse from undoing the forward transform exactly (about 1e-9 per stage).
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NEAR(std::stod(row[k]), std::stod(std::to_string(value(k, i))), 2e-8) << i;
        }
    }
}

// What a long record's run holds per sample at its peak, from two lengths (the difference
// leaves out what every run holds): the three spectra (48 bytes), one direction's transform
// tables (20) and one component's series (8). A run holding every series and spectrum
// through to the end took 104.
TEST(FullLayout, LongRunHoldsUnderEightyEightBytesASample) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory is part of the resident set";
#endif
    if (windows_tool()) GTEST_SKIP() << "the resident set measured is Wine's";
    auto peak_kib = [](int samples) {
        ScratchDir dir;
        {
            std::ofstream out(dir / "rec.csv", std::ios::binary);
            out << "time,N,E,Z\n";
            // Residues of products in 64 bits: a rough series that never overflows.
            for (std::int64_t i = 0; i < samples; ++i) {
                out << i << ',' << (i * 7919 % 1000) << ',' << (i * 104729 % 997) << ',' << (i % 13)
                    << '\n';
            }
        }
        write_file(dir / "keyboard", "");
        RunLimits limits;
        limits.arguments =
            "process -q --layout=full --no-dumps --bandpass=0.001,0.002,0.3,0.4 --integrate "
            "rec.csv";
        MeasuredRun run = run_measured(dir.path(), dir / "keyboard", limits);
        EXPECT_EQ(run.run.exit_status, 0) << run.run.err;
        return run.peak_kib;
    };
    const int shorter = 1 << 18, longer = 1 << 20;
    const double per_sample = static_cast<double>(peak_kib(longer) - peak_kib(shorter)) * 1024.0 /
                              static_cast<double>(longer - shorter);
    std::cout << per_sample << " bytes a sample\n";
    EXPECT_LT(per_sample, 88.0);  // room for huge pages where the system hands them out
    EXPECT_GT(per_sample, 68.0);  // what the spectra and the tables cannot do without
}

TEST(FullLayout, LengthLimitsAndOptions) {
    ScratchDir dir;
    write_file(dir / "rec.csv", smooth_record(32769));
    ToolRun legacy = run_tool_with(dir.path(), {"process", "-C", "a", "rec.csv"});
    EXPECT_EQ(legacy.exit_status, 1);
    EXPECT_NE(legacy.err.find("rec.csv: more than 32768 sample sets (32769)"), std::string::npos)
        << legacy.err;
    EXPECT_FALSE(fs::exists(dir / "a"));
    ToolRun full = run_tool_with(dir.path(), {"process", "--layout=full", "--dumps", "-C", "b",
                                              "--window=300,10", "rec.csv"});
    ASSERT_EQ(full.exit_status, 0) << full.err;
    EXPECT_EQ(split_lines(full.out)[0], "rec.csv: nt 32769, dt 0.01, nf 65536, files in b");
    EXPECT_TRUE(fs::exists(dir / "b" / "fort.89"));
    // The window's 1001 samples from 300 s on; times from 0 as in the fixed layout.
    std::vector<std::string> wave = split_lines(read_file(dir / "b" / "wave.csv"));
    ASSERT_EQ(wave.size(), 1u + 1001u);
    EXPECT_EQ(split(wave[1001])[0], "10");

    ToolRun wrong = run_tool_with(dir.path(), {"process", "--layout=wide", "rec.csv"});
    EXPECT_EQ(wrong.exit_status, 2);
    EXPECT_NE(wrong.err.find("--layout"), std::string::npos);
}

TEST(FullLayout, NetworksLongRecordsReachTheRunWhole) {
    using namespace wavespec::samples;
    constexpr std::size_t n = 40000;
    std::vector<std::pair<std::string, std::function<std::string(const fs::path&)>>> sets = {
        {"knet",
         [](const fs::path& d) {
             write_knet_set(d, "XYZ0012001020304", n);
             return std::string("XYZ0012001020304.NS");
         }},
        {"at2",
         [](const fs::path& d) {
             write_at2_triple(d, n);
             return std::string("RSN1063_TEST_XYZ-UP.AT2");
         }},
        {"sac",
         [](const fs::path& d) {
             write_sac_triple(d, n, false);
             return std::string("XYZ.HHN.SAC XYZ.HHE.SAC XYZ.HHZ.SAC");
         }},
    };
#ifdef WAVESPEC_HAVE_MSEED
    sets.push_back(
        {"mseed", [](const fs::path& d) { return write_mseed_file(d, n).filename().string(); }});
#endif
    for (const auto& [label, write] : sets) {
        SCOPED_TRACE(label);
        ScratchDir dir;
        std::string path = write(dir.path());
        std::vector<std::string> args = {"process", "--layout=full", "-C", "out"};
        for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
            end = path.find(' ', start);
            args.push_back(path.substr(start, end - start));
        }
        ToolRun run = run_tool_with(dir.path(), args);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_NE(run.out.find(": nt 40000, "), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(", nf 65536, "), std::string::npos) << run.out;
        EXPECT_EQ(split_lines(read_file(dir / "out" / "wave.csv")).size(), 1u + n);
    }
}

}  // namespace
}  // namespace wavespec::test
