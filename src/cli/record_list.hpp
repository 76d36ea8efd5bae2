// The records of a batch named in a list file (--records-from), and the share of them one
// task of an array takes (--shard): decided from each line's names alone, no file opened, so
// that a record lands in the same shard whatever list it comes in.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::cli {

// One record as named: one path (a CSV file, or any file of a set the tool completes), or the
// files of one set, given on one line separated by TABs.
using ListedRecord = std::vector<std::string>;

// The records of a list: lines split at LF, a trailing CR dropped, empty lines and lines
// starting with '#' skipped, nothing else trimmed. "-" reads standard input. Throws
// UsageError when the file cannot be read.
std::vector<ListedRecord> read_record_list(const std::string& file);

struct Shard {
    std::uint64_t index = 0;  // K, 0 <= K < count
    std::uint64_t count = 1;  // N
};

// "K/N", or "slurm": K and N from the array task's variables, which getenv reads. Throws
// UsageError for a shard outside its range or variables that do not describe an array of
// step 1.
Shard parse_shard(std::string_view text, const std::function<const char*(const char*)>& getenv);

// FNV-1a, 64 bits, of the bytes.
std::uint64_t fnv1a_64(std::string_view bytes);

// The stem that decides a record's shard: for one path, a K-NET/KiK-net name without .NS,
// .EW or .UD (and 1 or 2) with -borehole or -surface, an NGA name's RSNnnnn, or else the
// name without its extension; for a set, its files' common stem.
std::string shard_stem(const ListedRecord& record);

bool in_shard(const ListedRecord& record, const Shard& shard);

// One path whose name says its set: a K-NET/KiK-net file or an NGA RSNnnnn_ file. Lines of
// these may name the files of one set each, which then make that one record.
bool names_its_set(const ListedRecord& record);

}  // namespace wavespec::cli
