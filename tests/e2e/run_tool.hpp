// Runs the built tool in a scratch directory with given keyboard input, and collects what it
// printed, how it ended and the files it left.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace wavespec::test {

// A fresh empty directory, removed with everything in it at the end of the test.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

struct ToolRun {
    int exit_status = -1;  // the status of a normal exit, or -1
    bool aborted = false;  // ended abnormally (by a signal, or the abort status on Windows)
    std::string out;
    std::string err;       // the tool's own lines on standard error
    std::string platform;  // lines the platform added there (Wine's diagnostics), shown in the log
};

// Starts the tool in dir with the keyboard text on its standard input.
ToolRun run_tool(const std::filesystem::path& dir, const std::string& keyboard);
// Starts the tool in dir with these arguments and nothing on its standard input.
ToolRun run_tool_with(const std::filesystem::path& dir, const std::vector<std::string>& args);

// Starts the tool in dir with these arguments and this text on its standard input.
ToolRun run_tool_with_input(const std::filesystem::path& dir, const std::vector<std::string>& args,
                            const std::string& input);

// The same with the tool built natively beside the tests, whatever the tool under test is.
ToolRun run_native_tool(const std::filesystem::path& dir, const std::string& keyboard);
ToolRun run_native_tool_with(const std::filesystem::path& dir,
                             const std::vector<std::string>& args);

std::string read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, const std::string& text);

// True when the tool under test is the Windows build (run under Wine).
bool windows_tool();

// The system's text for an error where Windows words it differently from Linux.
inline std::string system_text(const std::string& linux_text, const std::string& windows_text) {
    return windows_tool() ? windows_text : linux_text;
}

// A record's line end as the tool writes it on the platform under test.
const std::string& line_end();

// Text with every "\n" turned into the line end under test.
std::string lines(const std::string& text);

std::filesystem::path test_data();

}  // namespace wavespec::test
