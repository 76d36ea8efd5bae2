// Shared pieces of the fuzz targets: bytes as file descriptors, a record layer whose fatal
// diagnostic is caught instead of ending the fuzzer, and the check that such a diagnostic has
// the record layer's form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "records/record_layer.hpp"

namespace wavespec::fuzz {

// An anonymous in-memory file holding the bytes, positioned at its start.
int memory_file(std::string_view bytes);
// Everything an in-memory file holds.
std::string memory_file_text(int fd);

// Stops the fuzzer with a report (the input is then saved as a crash).
[[noreturn]] void finding(std::string_view what, std::string_view detail);

// A record layer on in-memory standard streams: the keyboard holds the given bytes, the console
// and the diagnostics are collected. A fatal diagnostic ends the layer's run by abort(); here
// that abort returns to run() instead, which reports it.
class CaughtRun {
  public:
    explicit CaughtRun(std::string_view keyboard);
    ~CaughtRun();
    CaughtRun(const CaughtRun&) = delete;
    CaughtRun& operator=(const CaughtRun&) = delete;

    RecordLayer& layer() { return *layer_; }
    // Runs body(layer, context); true when it ended in a fatal diagnostic. Objects that body
    // left on its stack are abandoned then, as the process would have been.
    bool run(void (*body)(RecordLayer&, void*), void* context);
    std::string console();
    std::string diagnostic();

  private:
    int keyboard_fd_;
    int console_fd_;
    int error_fd_;
    RecordLayer* layer_;
};

// Checks a fatal diagnostic: its first line is one the record layer can write, the unit line
// starts as given, and the last line names the direction. Anything else is a finding.
void check_diagnostic(const std::string& text, std::string_view unit_line_start);

// The first line of a text, without its line end.
std::string first_line(const std::string& text);

}  // namespace wavespec::fuzz
