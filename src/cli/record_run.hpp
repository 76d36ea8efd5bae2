// One record of "wavespec process": read, processed with the dialogue's steps and the answers
// of the options, its files staged and renamed into place when everything has succeeded.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli/process_options.hpp"
#include "formats/formats.hpp"

namespace wavespec::cli {

struct RecordJob {
    std::string record;            // the record's name in messages: its path, or its files' stem
    formats::RecordInput input;    // its files and their format
    std::filesystem::path target;  // the directory its files go to
    std::string token;             // unique among the jobs of this process
    std::string stem;              // the name of the record's own directory, DIR/STEM/
};

struct RecordResult {
    bool ok = false;
    std::string line;  // the summary for standard output, or the reason for standard error
    std::vector<std::string> notes;  // remarks on the record for standard error
};

RecordResult run_record(const RecordJob& job, const ProcessOptions& options);

}  // namespace wavespec::cli
