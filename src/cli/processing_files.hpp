// The files that say how the record was processed before anything else the run computed:
// processed.csv (time, then each component's acceleration, velocity and displacement, pads
// included, time 0 at the record's first sample as read) and processing.txt (the steps, the
// corners and the quality numbers of each component).
#pragma once

#include <optional>
#include <string>

#include "cli/processing_options.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/run_state.hpp"
#include "run/processing_step.hpp"

namespace wavespec::cli {

// Stages snr.csv (where the corners came from the noise), processed.csv and processing.txt
// for the processed record; with plot, processed.svg (and snr.svg) too. read is the record
// as read, whose length and interval the picture shows. Why a file cannot be staged, or
// nullopt.
std::optional<std::string> stage_processing_files(StagedFiles& staged,
                                                  const run::ProcessedAsRead& out,
                                                  const RunState& read,
                                                  const ProcessingOptions& options,
                                                  const std::string& record_name, bool plot);

}  // namespace wavespec::cli
