// How the files of one-component formats make sets of three, shared by the grouping of the
// user's paths and the reading of each record.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::formats {

// The file name without directories and without its last extension.
std::string file_stem(std::string_view path);

// The longest common beginning of the names, without trailing '_', '-' or '.'; the first
// name when they have none.
std::string common_stem(std::span<const std::string> names);

// AT2 component names: each file's stem after the stem the three share (e.g. "228", "UP"),
// or the whole stem where that is empty.
std::array<std::string, 3> at2_component_names(std::span<const std::string> paths);

// True when an AT2 component name marks the vertical (UP, DWN, or a final V).
bool is_vertical_at2_name(std::string_view name);

}  // namespace wavespec::formats
