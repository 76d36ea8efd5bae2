// "wavespec plot DIR...": the pictures of runs already made, from the files they left.
#pragma once

#include <span>
#include <string>

namespace wavespec::cli {

// Runs the plot command on its arguments (after "plot") and returns the exit status.
int run_plot(std::span<const std::string> args);

}  // namespace wavespec::cli
