// "wavespec process": records run through the dialogue's steps with the answers as options,
// many at once.
#pragma once

#include <span>
#include <string>

namespace wavespec::cli {

int run_process(std::span<const std::string> args);

}  // namespace wavespec::cli
