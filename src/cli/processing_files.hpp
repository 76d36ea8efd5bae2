// The record as read, processed by --detrend, --taper, --pad, --highpass, --lowpass and
// --baseline before anything else the run computes, and the files that say how:
// processed.csv (time, then each component's acceleration, velocity and displacement, pads
// included, time 0 at the record's first sample as read) and processing.txt (the steps, the
// corners and the quality numbers of each component).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/processing_options.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/run_state.hpp"

namespace wavespec::cli {

// Processes the three series of the run state in place, the pads making it longer (a longer
// state takes its place where its arrays would not hold them), and stages the two files. At
// most `most` samples with the pads. Why the record cannot be processed, or nullopt.
std::optional<std::string> process_record_as_read(std::unique_ptr<RunState>& state,
                                                  const ProcessingOptions& options,
                                                  std::int64_t most, StagedFiles& staged,
                                                  const std::string& record_name);

}  // namespace wavespec::cli
