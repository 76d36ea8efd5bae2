// The one list of the files a record's run of "wavespec process" can write beside its output
// waveform, each with the options that make it. The output name is checked against it, the
// refusal to write over the record reads it, and a record's commit removes the files of these
// names that an earlier run left and this run does not write.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/process_options.hpp"

namespace wavespec::cli {

struct RecordFile {
    std::string_view name;
    bool (*made)(const ProcessOptions& options);  // whether a run with these options writes it
};

// Every file of the list, in the order a run writes them.
std::span<const RecordFile> record_files();

// The files of the list a run with these options writes (the output waveform not among them).
std::vector<std::string> record_file_names(const ProcessOptions& options);

// Whether the name is one of the list's, in either case (on Windows and macOS both cases name
// the same file).
bool is_record_file_name(std::string_view name);

}  // namespace wavespec::cli
