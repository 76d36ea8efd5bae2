// The help texts of src/cli/help/: "wavespec" for the tool's own, and one a command. The
// manual page's synopsis and options are made from the same files (cmake/manual_page.cmake).
#pragma once

#include <string_view>

namespace wavespec::cli {

// The text of this command ("wavespec" for the tool's own); empty for an unknown name.
std::string_view help_text(std::string_view name);

}  // namespace wavespec::cli
