// A whole file read into memory in one piece (pipes and special files in chunks).
#pragma once

#include <optional>
#include <string>

namespace wavespec {

// Fills content with the file's bytes; on failure returns why in a user's words ("cannot
// open: No such file or directory", "cannot read the file").
std::optional<std::string> read_whole_file(const std::string& path, std::string& content);

}  // namespace wavespec
