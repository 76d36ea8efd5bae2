// The waveform input file: a header record of four names, then sample sets of a time and
// three samples, read to the end of the file.
#pragma once

#include <cstdint>

#include "dialogue/run_state.hpp"
#include "records/record_layer.hpp"

namespace wavespec {

inline constexpr int kWaveformUnit = 11;

// Reads the header and every sample set from the unit (already connected). Sets head, time,
// xr1..xr3, nt (complete sets; more than the capacity are counted but not stored) and dt.
void read_waveform_records(RecordLayer& layer, int unit, RunState& state);

}  // namespace wavespec
