// A record that the record layer could not read, in a user's words: the place in the file
// where the read stopped and why.
#pragma once

#include <optional>
#include <string>

#include "records/record_layer.hpp"

namespace wavespec::cli {

struct ReadFailureText {
    std::string place;  // ":LINE:COLUMN" to follow the file's name, or empty
    std::string why;
};

// The words for a failure while the record at path was read; nothing when the failure
// belongs to another unit.
std::optional<ReadFailureText> describe_read_failure(const RecordFailure& failure,
                                                     const std::string& path);

}  // namespace wavespec::cli
