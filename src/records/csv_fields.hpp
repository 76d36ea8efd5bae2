// Fields of the CSV files the tool adds beside the dialogue's (RFC 4180): a field holding a
// comma, a double quote or a line end is written in double quotes with its quotes doubled,
// and read back the same way. The tool's files hold no line end inside a field (a header
// name comes from one line), so they are read a line at a time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec {

// The field as written: as it stands, or quoted when it must be.
std::string csv_field(std::string_view text);

// The fields of one line, quotes undone; nullopt for a quote left open or a closing quote
// followed by anything but a comma or the line's end.
std::optional<std::vector<std::string>> csv_fields(std::string_view line);

// A component name as the files carry it: without the blanks that pad it on the right.
std::string_view trimmed_name(std::string_view name);

}  // namespace wavespec
