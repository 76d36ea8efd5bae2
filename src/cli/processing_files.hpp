// The record as read, processed by --detrend, --taper, --pad, --highpass, --lowpass and
// --baseline before anything else the run computes, and the files that say how:
// processed.csv (time, then each component's acceleration, velocity and displacement, pads
// included, time 0 at the record's first sample as read) and processing.txt (the steps, the
// corners and the quality numbers of each component).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/processing_options.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/run_state.hpp"

namespace wavespec::cli {

// The record as read, processed: the steps with the corners chosen for it, the processed
// series, the signal-to-noise curves where they chose the corners, processing.txt's text.
struct ProcessedAsRead {
    processing::ProcessingSteps steps;
    processing::ProcessedRecord record;
    std::optional<std::array<processing::SnrCurves, 3>> snr;
    std::array<std::string, 3> names;
    std::string report;
};

// Processes the three series of the run state into out; why not, or nullopt. record_name
// finds the record's row of a table of corners.
std::optional<std::string> process_as_read(const RunState& state, const ProcessingOptions& options,
                                           std::int64_t most, const std::string& record_name,
                                           ProcessedAsRead& out);

// The processed series in place of the record as read (a longer state where the pads need
// it), their times from -pads.before dt.
void put_processed(std::unique_ptr<RunState>& state, processing::ProcessedRecord& record);

// Stages snr.csv (where the corners came from the noise), processed.csv and processing.txt
// for the processed record; with plot, processed.svg (and snr.svg) too. read is the record
// as read, whose length and interval the picture shows. Why a file cannot be staged, or
// nullopt.
std::optional<std::string> stage_processing_files(StagedFiles& staged, const ProcessedAsRead& out,
                                                  const RunState& read,
                                                  const ProcessingOptions& options,
                                                  const std::string& record_name, bool plot);

}  // namespace wavespec::cli
