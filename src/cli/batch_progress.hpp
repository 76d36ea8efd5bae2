// The per-record lines of a batch and, on a terminal, one progress line kept up to date in
// place: records done of total, records per second and the time left. Safe to call from the
// workers at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace wavespec::cli {

class BatchProgress {
  public:
    BatchProgress(std::size_t total, bool quiet, bool show_progress);
    // One record has ended: its line goes to standard output (success, unless quiet) or
    // standard error (failure), then the progress line is redrawn.
    // Notes on the record go to standard error before its line.
    void record_done(bool ok, const std::string& line, const std::vector<std::string>& notes);
    // Takes the progress line off the terminal at the end of the batch.
    void finish();

  private:
    void draw();
    void clear();

    std::mutex mutex_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool quiet_;
    bool show_progress_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace wavespec::cli
