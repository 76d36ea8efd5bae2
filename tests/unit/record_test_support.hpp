// Helpers of the record-layer tests: scratch files and directories, a record layer whose
// keyboard and console are temporary files, and the regular expression of a four-line fatal
// diagnostic for the death tests.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "records/record_layer.hpp"

namespace wavespec::test {

// An unnamed temporary file holding the given text, positioned at its start.
class TempFd {
  public:
    explicit TempFd(std::string_view content = {}) {
        char name[] = "/tmp/wavespec-unit-fd-XXXXXX";
        fd_ = ::mkstemp(name);
        if (fd_ < 0) throw std::runtime_error("mkstemp failed");
        ::unlink(name);
        std::size_t done = 0;
        while (done < content.size()) {
            auto n = ::write(fd_, content.data() + done, content.size() - done);
            if (n <= 0) throw std::runtime_error("write failed");
            done += static_cast<std::size_t>(n);
        }
        ::lseek(fd_, 0, SEEK_SET);
    }
    ~TempFd() { ::close(fd_); }
    TempFd(const TempFd&) = delete;
    TempFd& operator=(const TempFd&) = delete;

    int fd() const { return fd_; }

    // Everything the file holds now, from its start.
    std::string contents() const {
        std::string text;
        char buffer[4096];
        off_t offset = 0;
        for (;;) {
            auto n = ::pread(fd_, buffer, sizeof buffer, offset);
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
            offset += n;
        }
        return text;
    }

  private:
    int fd_ = -1;
};

// A scratch directory, removed with its contents at the end of the test.
class ScratchDir {
  public:
    ScratchDir() {
        char name[] = "/tmp/wavespec-unit-XXXXXX";
        if (::mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = name;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

    // Writes the text byte for byte and returns the file's path.
    std::string write(std::string_view name, std::string_view content) const {
        std::string p = file(name);
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return p;
    }

  private:
    std::string path_;
};

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A record layer whose keyboard (unit 5) reads the given text from a temporary file, whose
// console (unit 6) and standard error are temporary files too.
class Console {
  public:
    explicit Console(std::string_view keyboard = {})
        : in_(keyboard), out_(), err_(), layer_(StandardStreams{in_.fd(), out_.fd(), err_.fd()}) {}

    RecordLayer& layer() { return layer_; }
    // What reached the console so far (the layer's console buffer flushed first).
    std::string output() {
        layer_.flush(kConsole);
        return out_.contents();
    }

  private:
    TempFd in_;
    TempFd out_;
    TempFd err_;
    RecordLayer layer_;
};

// The same with standard error left on the process's own descriptor 2, for death tests.
class DyingConsole {
  public:
    explicit DyingConsole(std::string_view keyboard = {})
        : in_(keyboard), out_(), layer_(StandardStreams{in_.fd(), out_.fd(), 2}) {}
    RecordLayer& layer() { return layer_; }

  private:
    TempFd in_;
    TempFd out_;
    RecordLayer layer_;
};

// The text quoted for a POSIX extended regular expression.
inline std::string regex_quote(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

// The whole standard error of a fatal diagnostic: its four lines (three when there is no
// format line), nothing before and nothing after.
inline std::string diagnostic(std::string_view first_line, std::string_view unit_line,
                              std::optional<std::string_view> format_line,
                              std::string_view direction) {
    std::string text(first_line);
    text += '\n';
    text += unit_line;
    text += '\n';
    if (format_line) {
        text += "last format: ";
        text += *format_line;
        text += '\n';
    }
    text += "lately ";
    text += direction;
    text += " sequential formatted external IO\n";
    return "^" + regex_quote(text) + "$";
}

inline std::string keyboard_diagnostic(std::string_view first_line) {
    return diagnostic(first_line, "apparent state: unit 5 (unnamed)", "list io", "reading");
}

}  // namespace wavespec::test
