// wavespec info [--format=FORMAT] [--json] FILE...: what each record of the files holds,
// without converting it.
#pragma once

#include <span>
#include <string>

namespace wavespec::cli {

// Returns 0 when every file was described, 1 when some file was refused (the others are still
// described), 2 for a usage error.
int run_info(std::span<const std::string> args);

}  // namespace wavespec::cli
