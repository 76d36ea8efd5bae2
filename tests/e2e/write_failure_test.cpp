// Writes that fail (a full device, a file-size limit reached, an unwritable console) end the
// run with the record layer's diagnostic and an abnormal end, never with exit status 0; files
// finished before the failure stay complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/measured_run.hpp"
#include "e2e/run_endings.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

// A record of n sample sets at 0.01 s.
std::string record_of(int n) {
    std::string text = "time,NS,EW,UD\n";
    for (int i = 0; i < n; ++i) {
        text += std::to_string(i * 0.01) + "," + std::to_string(i % 17) + ",-" +
                std::to_string(i % 5) + "," + std::to_string(i % 3) + "\n";
    }
    return text;
}

TEST(WriteFailure, FullDeviceAsTheOutputFile) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers("rec.csv", "/dev/full")));
    expect_diagnostic(run, "write: No space left on device", "11 named /dev/full");
    EXPECT_EQ(text_lines(run.err).at(3), "lately writing sequential formatted external IO");
    expect_spectrum_files_complete(dir);
}

TEST(WriteFailure, NullDeviceAsTheOutputFileIsANormalEnd) {
    // A device has no end to cut at the close; only a failed write is a failure.
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers("rec.csv", "/dev/null")));
    expect_normal_end(run);
}

TEST(WriteFailure, LimitReachedWhenAFileIsClosed) {
    if (windows_tool()) GTEST_SKIP() << "Windows programs do not obey POSIX file-size limits";
    // Small files are written in one piece when they are closed: the close reports it.
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    write_file(dir / "keyboard", join_lines(plain_answers()));
    // The console goes to a device, which the limit does not cover.
    MeasuredRun measured = run_measured(dir.path(), dir / "keyboard",
                                        {.stdout_path = "/dev/null", .file_size_limit = 256});
    expect_diagnostic(measured.run, "write: File too large", "10 named amp3.csv");
    EXPECT_FALSE(exists_in(dir, "out.csv"));
}

TEST(WriteFailure, LimitReachedWhileTheDumpsAreWritten) {
    if (windows_tool()) GTEST_SKIP() << "Windows programs do not obey POSIX file-size limits";
    // The spectrum files fit under the limit and are complete; a dump reaches it when its
    // first full buffer is written.
    ScratchDir dir;
    write_file(dir / "rec.csv", record_of(1024));
    write_file(dir / "keyboard", join_lines(plain_answers()));
    MeasuredRun measured = run_measured(dir.path(), dir / "keyboard",
                                        {.stdout_path = "", .file_size_limit = 48 * 1024});
    EXPECT_TRUE(measured.run.aborted) << measured.run.err;
    std::vector<std::string> err = text_lines(measured.run.err);
    ASSERT_EQ(err.size(), 4u) << measured.run.err;
    EXPECT_EQ(err[0], "write: File too large");
    EXPECT_EQ(err[1].rfind("apparent state: unit ", 0), 0u);
    EXPECT_NE(err[1].find("named fort."), std::string::npos) << err[1];
    EXPECT_EQ(record_count(dir / "amp3.csv"), 1u + 512);
    EXPECT_EQ(record_count(dir / "amp-c.csv"), 1u + 513);
    EXPECT_FALSE(exists_in(dir, "out.csv"));
}

TEST(WriteFailure, ConsoleOnAFullDevice) {
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    write_file(dir / "keyboard", join_lines(plain_answers()));
    MeasuredRun measured = run_measured(dir.path(), dir / "keyboard", {.stdout_path = "/dev/full"});
    expect_diagnostic(measured.run, "write: No space left on device", "6 (unnamed)");
    EXPECT_FALSE(exists_in(dir, "amp3.csv"));
}

TEST(WriteFailure, ReadOnlyFileSystemEntryAsTheOutputFile) {
    // /proc/version can be opened but never written: by an ordinary user it is opened for
    // reading only (the header write fails), with privileges the write itself fails.
    ScratchDir dir;
    write_file(dir / "rec.csv", small_record());
    if (!fs::exists("/proc/version") || windows_tool()) {
        GTEST_SKIP() << "no /proc for the tool under test";
    }
    ToolRun run = run_tool(dir.path(), join_lines(plain_answers("rec.csv", "/proc/version")));
    EXPECT_TRUE(run.aborted) << run.err;
    std::string first = text_lines(run.err).at(0);
    EXPECT_TRUE(first == "list output start: can't write file" ||
                first == "write: Input/output error")
        << first;
    expect_spectrum_files_complete(dir);
}

TEST(WriteFailure, ProcessLimitReachedFailsTheRecordAndLeavesNoFile) {
    if (windows_tool()) GTEST_SKIP() << "Windows programs do not obey POSIX file-size limits";
    // Each record fails on its own, naming the file as it would have been called, and neither
    // a partial file nor a temporary one stays behind.
    ScratchDir dir;
    write_file(dir / "a.csv", record_of(1024));
    write_file(dir / "b.csv", small_record());
    write_file(dir / "c.csv", record_of(64));  // only its dumps outgrow the limit, at their close
    write_file(dir / "keyboard", "");
    MeasuredRun measured = run_measured(dir.path(), dir / "keyboard",
                                        {.stdout_path = "/dev/null",
                                         .file_size_limit = 4096,
                                         .arguments = "process -C out a.csv b.csv c.csv"});
    EXPECT_EQ(measured.run.exit_status, 1);
    EXPECT_NE(measured.run.err.find("a.csv: cannot write out/a/amp3.csv: write: File too large"),
              std::string::npos)
        << measured.run.err;
    EXPECT_NE(measured.run.err.find("c.csv: cannot write out/c/fort.6"), std::string::npos)
        << measured.run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out" / "a"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out" / "c"));
    // The small record's files fit under the limit: the batch went on to it.
    EXPECT_TRUE(std::filesystem::exists(dir / "out" / "b" / "fort.89"));
}

TEST(WriteFailure, FullLayoutLimitReachedFailsTheRecordAndLeavesNoFile) {
    if (windows_tool()) GTEST_SKIP() << "Windows programs do not obey POSIX file-size limits";
    ScratchDir dir;
    write_file(dir / "a.csv", record_of(1024));
    write_file(dir / "keyboard", "");
    MeasuredRun measured = run_measured(dir.path(), dir / "keyboard",
                                        {.stdout_path = "/dev/null",
                                         .file_size_limit = 4096,
                                         .arguments = "process --layout=full -C out a.csv"});
    EXPECT_EQ(measured.run.exit_status, 1);
    EXPECT_NE(measured.run.err.find("a.csv: cannot write out/amp3.csv: File too large"),
              std::string::npos)
        << measured.run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

TEST(WriteFailure, ProcessLinesThatCannotBeWrittenAreAFailure) {
    if (windows_tool()) GTEST_SKIP() << "/dev/full is a Linux device";
    ScratchDir dir;
    write_file(dir / "a.csv", small_record());
    write_file(dir / "keyboard", "");
    MeasuredRun measured = run_measured(dir.path(), dir / "keyboard",
                                        {.stdout_path = "/dev/full", .arguments = "process a.csv"});
    EXPECT_EQ(measured.run.exit_status, 1);
    EXPECT_EQ(measured.run.err, "wavespec process: standard output: write error\n");
}

}  // namespace
}  // namespace wavespec::test
