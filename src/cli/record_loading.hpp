// A record read from one of the networks' formats, put into the run state exactly as the
// dialogue's reader would put it there from the record converted to the tool's CSV: the same
// names, the times i * dt, the same samples, so that every file of the run is the same.
#pragma once

#include "dialogue/run_state.hpp"
#include "formats/formats.hpp"

namespace wavespec::cli {

void load_record(const formats::WaveformRecord& record, RunState& state);

}  // namespace wavespec::cli
