// Files written under temporary names beside their final ones, renamed into place together
// when the work that writes them has succeeded, and removed otherwise: a failed or killed
// run leaves no partial file under a final name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wavespec::cli {

// A token no other staging of this machine uses at the same time: the process number and a
// count within the process.
std::string unique_staging_token();

class StagedFiles {
  public:
    // token makes the temporary names of this set unique among concurrent runs.
    StagedFiles(std::filesystem::path directory, std::string token);
    ~StagedFiles();  // removes every temporary file not committed
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // The temporary path to write the file of this final name to.
    std::string stage(std::string_view final_name);
    // Stages the file of this final name and writes the whole text to it; on failure, why.
    // A CSV or text file holding nan or inf is refused before it is staged.
    std::optional<std::string> write(std::string_view final_name, std::string_view text);
    // The file of this final name, if there is one, goes in the commit: the set's final
    // names then show the staged files and none of an earlier set's.
    void remove_at_commit(std::string_view final_name);
    // Stages and writes the set's seal, the last file staged: commit() renames the earlier
    // file of its name aside before any other, and the new one into place after all the
    // others, so that a run killed part-way leaves either no seal or the whole set.
    std::optional<std::string> write_seal(std::string_view final_name, std::string_view text);
    // The staged files' final names and their sizes as written so far, in the order staged
    // (the files to remove not among them).
    std::vector<std::pair<std::string, std::uintmax_t>> staged_sizes() const;
    // Renames every staged file to its final name and removes the files given to
    // remove_at_commit, all or nothing: on a failure, returned as a message, the earlier
    // files take their names again (the staged files not yet renamed are removed).
    std::optional<std::string> commit();
    // The final path of a staged temporary path, for messages; the path itself otherwise.
    std::string final_path_of(std::string_view temporary) const;

  private:
    struct Entry {
        std::filesystem::path temporary;  // also names the aside of an earlier file
        std::filesystem::path final_path;
        bool removal = false;  // nothing staged: the file of the final name goes
    };
    std::filesystem::path temporary_path() const;
    std::filesystem::path directory_;
    std::string token_;
    std::vector<Entry> entries_;
    bool sealed_ = false;  // the last entry is the seal
};

}  // namespace wavespec::cli
