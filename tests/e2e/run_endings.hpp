// How a run of the tool ended, and the small records and answer scripts that the reliability
// tests build on. A run may end in exactly one of these ways; anything else is a fault.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/run_tool.hpp"

namespace wavespec::test {

// A record of 16 sample sets at 0.01 s: nf = 16, so amp3.csv holds 8 bins and amp-c.csv 9.
inline std::string small_record(const std::string& line_end = "\n") {
    std::string text = "time,NS,EW,UD" + line_end;
    for (int i = 0; i < 16; ++i) {
        text += std::to_string(i) + "e-2," + std::to_string(i % 5 - 2) + ".25," +
                std::to_string(3 - i % 7) + ".5," + std::to_string(i * i % 11) + line_end;
    }
    return text;
}
inline constexpr int kSmallRecordSets = 16;
inline constexpr int kSmallRecordBins = 9;  // nf / 2 + 1

// The answers of a plain run: no inversion, no filter, no operation, Enter, no window, every
// sample, the output name, Enter. One answer per line.
inline std::vector<std::string> plain_answers(const std::string& input = "rec.csv",
                                              const std::string& output = "out.csv") {
    return {input, "0", "0", "0", "", "0", "0", output, ""};
}

inline std::string join_lines(const std::vector<std::string>& answers,
                              const std::string& line_end = "\n") {
    std::string text;
    for (const auto& a : answers) text += a + line_end;
    return text;
}

// The records of a text, without their line ends (LF, or CR LF from the Windows build).
inline std::vector<std::string> text_lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::size_t stop = end;
        if (windows_tool() && stop > start && text[stop - 1] == '\r') --stop;
        result.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return result;
}

inline std::size_t record_count(const std::filesystem::path& file) {
    return text_lines(read_file(file)).size();
}

// A normal end: exit status 0 and nothing on standard error.
inline void expect_normal_end(const ToolRun& run) {
    EXPECT_FALSE(run.aborted) << run.err;
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

// A refusal: exit status 1 and one message line that starts with the tool's name.
inline void expect_refusal(const ToolRun& run, const std::string& reason) {
    EXPECT_FALSE(run.aborted) << run.err;
    EXPECT_EQ(run.exit_status, 1) << run.err;
    EXPECT_EQ(run.err.rfind("wavespec: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
}

// A fatal diagnostic: the four lines of the record layer (three for a failed open right after
// a formatted read), then an abnormal end.
inline void expect_diagnostic(const ToolRun& run, const std::string& first_line,
                              const std::string& unit_line) {
    EXPECT_TRUE(run.aborted) << "exit status " << run.exit_status << "\n" << run.err;
    std::vector<std::string> got = text_lines(run.err);
    ASSERT_GE(got.size(), 3u) << run.err;
    EXPECT_EQ(got[0], first_line);
    EXPECT_EQ(got[1], "apparent state: unit " + unit_line);
    EXPECT_EQ(got.back().rfind("lately ", 0), 0u) << run.err;
    EXPECT_LE(got.size(), 4u) << run.err;
}

// The spectrum files of the small record are complete: every bin has its record.
inline void expect_spectrum_files_complete(const ScratchDir& dir) {
    ASSERT_TRUE(std::filesystem::exists(dir / "amp3.csv"));
    EXPECT_EQ(record_count(dir / "amp3.csv"), 1u + kSmallRecordBins - 1);
    EXPECT_EQ(record_count(dir / "amp-c.csv"), 1u + kSmallRecordBins);
}

inline bool exists_in(const ScratchDir& dir, const std::string& name) {
    return std::filesystem::exists(dir / name);
}

}  // namespace wavespec::test
