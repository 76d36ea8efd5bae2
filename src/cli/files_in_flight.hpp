// The temporary files and fresh directories of the records being written, and what an
// interruption does with them: on SIGINT or SIGTERM they are removed and the run ends with
// status 128 + the signal's number (130, 143). POSIX only; elsewhere nothing watches.
#pragma once

#include <mutex>
#include <string>

namespace wavespec::cli::files_in_flight {

// Held while files are staged, committed or given up: an interruption waits for it, so it
// never comes between the renames of one record.
std::unique_lock<std::mutex> hold();

// Paths the interruption removes; the caller holds hold().
void track_file(const std::string& path);
void forget_file(const std::string& path);
// A directory made for a record, removed by the interruption when it is left empty.
void track_directory(const std::string& path);
void forget_directory(const std::string& path);

// Takes SIGINT and SIGTERM from now on (those the parent has not set to be ignored). Call
// before any other thread is made: the threads made later leave the signals to the watcher.
void watch_interruptions();

// A thread writing records: when an interruption comes it is stopped before the files are
// removed, so that it cannot make a file again after its removal.
class WriterScope {
  public:
    WriterScope();
    ~WriterScope();
    WriterScope(const WriterScope&) = delete;
    WriterScope& operator=(const WriterScope&) = delete;
};

}  // namespace wavespec::cli::files_in_flight
