// "wavespec flatfile DIR... -o FILE [--periods=LIST]": one table of every run under the DIRs,
// a row for each record and component, a column for each measure and period.
#pragma once

#include <span>
#include <string>

namespace wavespec::cli {

int run_flatfile(std::span<const std::string> args);

}  // namespace wavespec::cli
