#include "cli/staged_files.hpp"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

#include "cli/files_in_flight.hpp"
#include "cli/finite_values.hpp"

#ifdef _WIN32
#include <process.h>
#define wavespec_getpid _getpid
#else
#include <unistd.h>
#define wavespec_getpid getpid
#endif

namespace wavespec::cli {
namespace {

namespace fs = std::filesystem;

std::string rename_failure(const fs::path& from, const fs::path& to, const std::error_code& error) {
    return "cannot rename " + from.string() + " to " + to.string() + ": " + error.message();
}

}  // namespace

std::string unique_staging_token() {
    static std::atomic<unsigned long> count{0};
    return std::to_string(wavespec_getpid()) + "-" + std::to_string(count++);
}

StagedFiles::StagedFiles(std::filesystem::path directory, std::string token)
    : directory_(std::move(directory)), token_(std::move(token)) {}

StagedFiles::~StagedFiles() {
    auto lock = files_in_flight::hold();
    for (const Entry& entry : entries_) {
        std::error_code ignored;
        std::filesystem::remove(entry.temporary, ignored);
        files_in_flight::forget_file(entry.temporary.string());
    }
}

std::filesystem::path StagedFiles::temporary_path() const {
    // A short hidden name in the same directory: the rename never crosses file systems, and a
    // final name near the system's length limit still has a temporary name that fits.
    return directory_ / (".wavespec-" + token_ + "-" + std::to_string(entries_.size()) + ".tmp");
}

void StagedFiles::remove_at_commit(std::string_view final_name) {
    entries_.push_back({temporary_path(), directory_ / std::string(final_name), true});
}

std::string StagedFiles::stage(std::string_view final_name) {
    Entry entry{temporary_path(), directory_ / std::string(final_name)};
    auto lock = files_in_flight::hold();
    files_in_flight::track_file(entry.temporary.string());
    entries_.push_back(entry);
    return entry.temporary.string();
}

std::optional<std::string> StagedFiles::write(std::string_view final_name, std::string_view text) {
    if (final_name.ends_with(".csv") || final_name.ends_with(".txt")) {
        if (auto why = non_finite_field(final_name, text)) return why;
    }
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
    // An interruption waits until the final names show one whole set of files.
    auto lock = files_in_flight::hold();
    // A name a file cannot take fails the set before anything is renamed.
    std::vector<bool> taken;  // by an earlier file
    for (const Entry& entry : entries_) {
        std::error_code error;
        fs::file_status status = fs::symlink_status(entry.final_path, error);
        // A directory of a removed file's name is no file of the set's: it stays.
        if (fs::is_directory(status) && !entry.removal) {
            return "cannot replace " + entry.final_path.string() + ": it is a directory";
        }
        taken.push_back(fs::exists(status) && !fs::is_directory(status));
    }
    // Each earlier file is renamed aside before its successor takes its name: renaming over
    // an existing file makes ext4 start writing the new one out at once (its guard against
    // empty files after a crash), which would stall every run by milliseconds. The earlier
    // files are kept aside until the last rename has succeeded, so that a failure can put
    // them back.
    struct Renamed {
        const Entry* entry;
        fs::path aside;         // empty when no earlier file had the name
        bool moved_in = false;  // the new file has its final name
    };
    std::vector<Renamed> renamed;
    std::optional<std::string> failure;
    // The seal's earlier file goes aside first and the new seal comes in last.
    const std::size_t seal = sealed_ ? entries_.size() - 1 : entries_.size();
    std::vector<std::size_t> order;
    if (sealed_) order.push_back(seal);
    for (std::size_t i = 0; i < seal; ++i) order.push_back(i);
    renamed.reserve(order.size());
    auto move_in = [&](Renamed& done) {
        std::error_code error;
        fs::rename(done.entry->temporary, done.entry->final_path, error);
        if (error) {
            failure = rename_failure(done.entry->temporary, done.entry->final_path, error);
            return false;
        }
        done.moved_in = true;
        return true;
    };
    for (std::size_t i : order) {
        const Entry& entry = entries_[i];
        Renamed& done = renamed.emplace_back(Renamed{&entry, {}});
        std::error_code error;
        if (taken[i]) {
            fs::path aside = entry.temporary;
            fs::rename(entry.final_path, aside.replace_extension(".old"), error);
            if (error) {
                failure = rename_failure(entry.final_path, aside, error);
                break;
            }
            done.aside = aside;
        }
        if (entry.removal) continue;
        if (i != seal && !move_in(done)) break;
    }
    if (!failure && sealed_) move_in(renamed.front());
    if (failure) {
        // The earlier files take their names again, the last renamed first.
        for (auto it = renamed.rbegin(); it != renamed.rend(); ++it) {
            std::error_code error;
            if (it->moved_in) fs::remove(it->entry->final_path, error);
            if (it->aside.empty()) continue;
            fs::rename(it->aside, it->entry->final_path, error);
            if (error) {
                *failure += "; the earlier " + it->entry->final_path.string() + " is kept as " +
                            it->aside.string();
            }
        }
        return failure;
    }
    for (const Renamed& done : renamed) {
        std::error_code ignored;
        if (!done.aside.empty()) fs::remove(done.aside, ignored);
    }
    for (const Entry& entry : entries_) files_in_flight::forget_file(entry.temporary.string());
    entries_.clear();
    sealed_ = false;
    return std::nullopt;
}

std::optional<std::string> StagedFiles::write_seal(std::string_view final_name,
                                                   std::string_view text) {
    std::optional<std::string> why = write(final_name, text);
    sealed_ = true;
    return why;
}

std::vector<std::pair<std::string, std::uintmax_t>> StagedFiles::staged_sizes() const {
    std::vector<std::pair<std::string, std::uintmax_t>> sizes;
    for (const Entry& entry : entries_) {
        if (entry.removal) continue;
        std::error_code error;
        std::uintmax_t size = fs::file_size(entry.temporary, error);
        sizes.emplace_back(entry.final_path.filename().string(), error ? 0 : size);
    }
    return sizes;
}

std::string StagedFiles::final_path_of(std::string_view temporary) const {
    for (const Entry& entry : entries_) {
        if (entry.temporary.string() == temporary) return entry.final_path.string();
    }
    return std::string(temporary);
}

}  // namespace wavespec::cli
