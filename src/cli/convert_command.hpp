// wavespec convert [--format=FORMAT] [--keep-offset] INPUT... -o RECORD.csv: one record from
// the networks' files, written as the tool's own CSV.
#pragma once

#include <span>
#include <string>

namespace wavespec::cli {

// Returns 0 when the record was written, 1 for bad input, 2 for a usage error.
int run_convert(std::span<const std::string> args);

}  // namespace wavespec::cli
