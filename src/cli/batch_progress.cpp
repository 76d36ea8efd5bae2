#include "cli/batch_progress.hpp"

#include <cstdio>

#include "records/printable_text.hpp"

namespace wavespec::cli {

BatchProgress::BatchProgress(std::size_t total, bool quiet, bool show_progress)
    : total_(total), quiet_(quiet), show_progress_(show_progress) {}

void BatchProgress::record_done(bool ok, const std::string& line,
                                const std::vector<std::string>& notes) {
    std::lock_guard lock(mutex_);
    ++done_;
    clear();
    for (const std::string& note : notes)
        std::fprintf(stderr, "wavespec process: %s\n", printable_line(note).c_str());
    if (!ok) {
        std::fprintf(stderr, "wavespec process: %s\n", printable_line(line).c_str());
    } else if (!quiet_) {
        std::fprintf(stdout, "%s\n", printable_line(line).c_str());
        std::fflush(stdout);
    }
    draw();
}

void BatchProgress::finish() {
    std::lock_guard lock(mutex_);
    clear();
}

void BatchProgress::clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    drawn_ = false;
}

void BatchProgress::draw() {
    if (!show_progress_ || done_ >= total_) return;
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    double rate = seconds > 0 ? static_cast<double>(done_) / seconds : 0.0;
    double left = rate > 0 ? static_cast<double>(total_ - done_) / rate : 0.0;
    std::fprintf(stderr, "%zu of %zu records, %.1f records/s, %.0f s left", done_, total_, rate,
                 left);
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace wavespec::cli
