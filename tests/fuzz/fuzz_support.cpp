#include "fuzz/fuzz_support.hpp"

#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace wavespec::fuzz {

namespace {

sigjmp_buf abort_return;

void return_from_abort(int) {
    siglongjmp(abort_return, 1);
}

void write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0) finding("harness", "cannot fill an in-memory file");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

int memory_file(std::string_view bytes) {
    int fd = ::memfd_create("wavespec-fuzz", 0);
    if (fd < 0) finding("harness", "memfd_create failed");
    write_all(fd, bytes);
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string memory_file_text(int fd) {
    std::string text;
    char block[4096];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd, block, sizeof block, at);
        if (n <= 0) break;
        text.append(block, static_cast<std::size_t>(n));
        at += n;
    }
    return text;
}

void finding(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "\n==== finding: %.*s\n%.*s\n====\n", static_cast<int>(what.size()),
                 what.data(), static_cast<int>(detail.size()), detail.data());
    std::fflush(stderr);
    __builtin_trap();
}

CaughtRun::CaughtRun(std::string_view keyboard)
    : keyboard_fd_(memory_file(keyboard)),
      console_fd_(memory_file({})),
      error_fd_(memory_file({})),
      // On the heap and deleted by hand: a caught abort leaves it behind a finished run.
      layer_(new RecordLayer(StandardStreams{keyboard_fd_, console_fd_, error_fd_})) {}

CaughtRun::~CaughtRun() {
    delete layer_;
    ::close(keyboard_fd_);
    ::close(console_fd_);
    ::close(error_fd_);
}

bool CaughtRun::run(void (*body)(RecordLayer&, void*), void* context) {
    struct sigaction catcher {};
    struct sigaction previous {};
    catcher.sa_handler = return_from_abort;
    sigemptyset(&catcher.sa_mask);
    if (sigsetjmp(abort_return, 1) != 0) {
        ::sigaction(SIGABRT, &previous, nullptr);
        return true;
    }
    ::sigaction(SIGABRT, &catcher, &previous);
    body(*layer_, context);
    ::sigaction(SIGABRT, &previous, nullptr);
    return false;
}

std::string CaughtRun::console() {
    layer_->flush(kConsole);
    return memory_file_text(console_fd_);
}

std::string CaughtRun::diagnostic() {
    return memory_file_text(error_fd_);
}

std::string first_line(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

void check_diagnostic(const std::string& text, std::string_view unit_line_start) {
    static const std::set<std::string> list_input_lines = {
        "list in: end of file",
        "read start: end of file",
        "fmt: end of file",
        "invalid number: incomprehensible list input",
        "invalid integer: read unexpected character",
        "invalid integer: integer out of range",
        "exponent field: incomprehensible list input",
        "bad repetition count: incomprehensible list input",
    };
    std::string first = first_line(text);
    bool system_failure = first.rfind("open: ", 0) == 0 || first.rfind("read: ", 0) == 0 ||
                          first.rfind("write: ", 0) == 0 || first.rfind("close: ", 0) == 0;
    if (list_input_lines.count(first) == 0 && !system_failure) {
        finding("unknown first line of a diagnostic", text);
    }
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    if (lines < 3 || lines > 4 || text.back() != '\n') finding("diagnostic is not 3-4 lines", text);
    std::size_t second = text.find('\n') + 1;
    std::string expected = "apparent state: unit " + std::string(unit_line_start);
    if (text.compare(second, expected.size(), expected) != 0) {
        finding("diagnostic names the wrong unit", text + "expected: " + expected);
    }
    std::size_t last = text.rfind('\n', text.size() - 2) + 1;
    if (text.compare(last, 7, "lately ") != 0) finding("diagnostic has no direction line", text);
}

}  // namespace wavespec::fuzz
