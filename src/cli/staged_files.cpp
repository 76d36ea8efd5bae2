#include "cli/staged_files.hpp"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <process.h>
#define wavespec_getpid _getpid
#else
#include <unistd.h>
#define wavespec_getpid getpid
#endif

namespace wavespec::cli {

std::string unique_staging_token() {
    static std::atomic<unsigned long> count{0};
    return std::to_string(wavespec_getpid()) + "-" + std::to_string(count++);
}

StagedFiles::StagedFiles(std::filesystem::path directory, std::string token)
    : directory_(std::move(directory)), token_(std::move(token)) {}

StagedFiles::~StagedFiles() {
    for (const Entry& entry : entries_) {
        std::error_code ignored;
        std::filesystem::remove(entry.temporary, ignored);
    }
}

std::string StagedFiles::stage(std::string_view final_name) {
    // A short hidden name in the same directory: the rename never crosses file systems, and a
    // final name near the system's length limit still has a temporary name that fits.
    std::string hidden = ".wavespec-" + token_ + "-" + std::to_string(entries_.size()) + ".tmp";
    Entry entry{directory_ / hidden, directory_ / std::string(final_name)};
    entries_.push_back(entry);
    return entry.temporary.string();
}

std::optional<std::string> StagedFiles::write(std::string_view final_name, std::string_view text) {
    std::string path = stage(final_name);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    int error = errno;
    if (out != nullptr && std::fclose(out) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) return std::nullopt;
    return "cannot write " + entries_.back().final_path.string() + ": " + std::strerror(error);
}

std::optional<std::string> StagedFiles::commit() {
    std::optional<std::string> failure;
    std::vector<Entry> left;
    for (const Entry& entry : entries_) {
        if (failure) {
            left.push_back(entry);
            continue;
        }
        std::error_code error;
        // The earlier file goes first: renaming over an existing file makes ext4 start writing
        // the new one out at once (its guard against empty files after a crash), which would
        // stall every run by milliseconds. A file is still never seen half-written.
        std::filesystem::remove(entry.final_path, error);
        error.clear();
        std::filesystem::rename(entry.temporary, entry.final_path, error);
        if (error) {
            failure = "cannot rename " + entry.temporary.string() + " to " +
                      entry.final_path.string() + ": " + error.message();
            left.push_back(entry);
        }
    }
    entries_ = std::move(left);  // the destructor removes what was not renamed
    return failure;
}

std::string StagedFiles::final_path_of(std::string_view temporary) const {
    for (const Entry& entry : entries_) {
        if (entry.temporary.string() == temporary) return entry.final_path.string();
    }
    return std::string(temporary);
}

}  // namespace wavespec::cli
