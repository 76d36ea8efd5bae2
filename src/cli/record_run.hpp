// One record of "wavespec process": read, processed with the dialogue's steps and the answers
// of the options, its files staged and renamed into place when everything has succeeded.
#pragma once

#include <filesystem>
#include <string>

#include "cli/process_options.hpp"

namespace wavespec::cli {

struct RecordJob {
    std::string record;            // the path as the user gave it
    std::filesystem::path target;  // the directory its files go to
    std::string token;             // unique among the jobs of this process
};

struct RecordResult {
    bool ok = false;
    std::string line;  // the summary for standard output, or the reason for standard error
};

RecordResult run_record(const RecordJob& job, const ProcessOptions& options);

}  // namespace wavespec::cli
