// run.json: what a record's run was made from and what it wrote, the last file of its commit.
// It holds the tool's version, the record's description, the options that change its files in
// one canonical form, the input files with their sizes and modification times, and each
// output file with its size. How the batch ran (-j, --shard, --resume, --records-from, -C,
// -q) is not in it, so that it is the same bytes however the records were shared out.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/run_description.hpp"
#include "cli/record_run.hpp"
#include "records/json_text.hpp"

namespace wavespec::cli {

inline constexpr std::string_view kRunFileName = "run.json";

struct SizedFile {
    std::string name;
    std::uintmax_t size = 0;
};

// The text of run.json. Throws std::filesystem::filesystem_error when an input cannot be
// looked at.
std::string run_json_text(const RecordJob& job, const ProcessOptions& options,
                          const RecordDescription& record, std::span<const SizedFile> outputs);

// True when job.target holds a complete earlier run of this record with these options: its
// run.json reads, tells the same tool, options, input and metadata files (names, sizes and
// modification times), and every file it lists is
// there at its size. Anything else (no run.json, one that does not parse) is no run.
bool earlier_run_complete(const RecordJob& job, const ProcessOptions& options);

// True when every file the run.json lists is in directory, a plain file at its size; the
// first one that is not otherwise, through missing.
bool listed_outputs_present(const json::Value& run, const std::filesystem::path& directory,
                            std::string* missing = nullptr);

// "2011-03-11T05:46:18.120000Z".
std::string iso_time_text(std::int64_t microseconds);

}  // namespace wavespec::cli
