// "wavespec inventory FILE.xml": the channel epochs of a StationXML file with their stages and
// the checks of their metadata, or with --response one channel's response as CSV.
#pragma once

#include <span>
#include <string>

namespace wavespec::cli {

int run_inventory(std::span<const std::string> args);

}  // namespace wavespec::cli
