// The response spectra and ground-motion measures of one record of "wavespec process":
// response.csv and measures.csv (and response.svg with --plot), staged with the record's other
// files. Called while the run state holds the band-pass-filtered spectra, before integration
// or differentiation.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/process_options.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/run_state.hpp"

namespace wavespec::cli {

// The periods and dampings the oscillators take: those given, or the defaults.
std::vector<double> response_periods(const ProcessOptions& options);
std::vector<double> response_dampings(const ProcessOptions& options);

// Stages the files; why not, if one could not be written.
std::optional<std::string> write_response_files(StagedFiles& staged, const RunState& state,
                                                const ProcessOptions& options,
                                                const std::string& record);

}  // namespace wavespec::cli
