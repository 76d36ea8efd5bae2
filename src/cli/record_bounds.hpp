// The bounds that depend on a record as well as on the options: the work its response
// spectra and smoothing would take against the ceilings of cli/option_bounds.hpp, and the
// smoothing windows' phases against portable_sin_cos's exact range. A record beyond them
// fails alone, before any of its new files is computed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/process_options.hpp"

namespace wavespec::cli {

// nt samples dt seconds apart, transformed at length nf.
std::optional<std::string> record_bounds_problem(const ProcessOptions& options, std::int64_t nt,
                                                 double dt, std::int64_t nf);

}  // namespace wavespec::cli
