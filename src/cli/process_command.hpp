// "wavespec process": records run through the dialogue's steps with the answers as options,
// many at once.
#pragma once

#include <span>
#include <string>

#include "cli/process_options.hpp"

namespace wavespec::cli {

int run_process(std::span<const std::string> args);

// One record run as process runs it, for callers that share records out themselves (the
// Python package's process_files): the files of one record, process's typed options (checked
// here, as the parser checks its own), and the directory whose STEM/ receives its files,
// run.json last. Nothing is printed; the batch's own fields (records, lists, shards) are
// ignored.
struct OneRecordOutcome {
    std::string stem;  // empty where the files make no record
    bool ok = false;
    std::string line;       // process's line for the record, or why it failed
    std::string directory;  // where its files went; empty where the record failed to start
};
OneRecordOutcome process_one_record(std::span<const std::string> paths, ProcessOptions options,
                                    const std::string& out_dir);

}  // namespace wavespec::cli
