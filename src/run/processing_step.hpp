// The record as read, processed by --detrend, --taper, --pad, --highpass, --lowpass and
// --baseline before anything else the run computes: the corners chosen for it (from the
// options, its signal-to-noise ratio or a table), the processed series, and processing.txt's
// account of the steps and of each component's quality numbers.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/processing_options.hpp"
#include "dialogue/run_state.hpp"
#include "processing/processing_chain.hpp"
#include "processing/snr_corners.hpp"

namespace wavespec::run {

// The record as read, processed: the steps with the corners chosen for it, the processed
// series, the signal-to-noise curves where they chose the corners, processing.txt's text.
struct ProcessedAsRead {
    processing::ProcessingSteps steps;
    processing::ProcessedRecord record;
    std::optional<std::array<processing::SnrCurves, 3>> snr;
    std::array<std::string, 3> names;
    std::string report;
};

// Processes the three series of the run state into out; why not, or nullopt. At most `most`
// samples with the pads. record_name finds the record's row of a table of corners.
std::optional<std::string> process_as_read(const RunState& state,
                                           const cli::ProcessingOptions& options, std::int64_t most,
                                           const std::string& record_name, ProcessedAsRead& out);

// The processed series in place of the record as read (a longer state where the pads need
// it), their times from -pads.before dt.
void put_processed(std::unique_ptr<RunState>& state, processing::ProcessedRecord& record);

}  // namespace wavespec::run
