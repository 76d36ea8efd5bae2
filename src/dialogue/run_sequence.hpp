// The run sequence: the fixed dialogue from the first question to the stop, one function per
// step, each working on the run state.
#pragma once

#include "dialogue/run_state.hpp"
#include "records/record_layer.hpp"

namespace wavespec {

inline constexpr int kRefusalExitStatus = 1;

// Runs the whole dialogue; ends the process at one of its stops (or a fatal diagnostic).
[[noreturn]] void run_dialogue(RecordLayer& layer, RunState& state);

// The steps, in the order the dialogue calls them.
void ask_waveform_file(RecordLayer& layer, RunState& state);
void report_record(RecordLayer& layer, RunState& state);
void ask_polarity(RecordLayer& layer, RunState& state);
void prepare_spectra(RecordLayer& layer, RunState& state);
void ask_bandpass(RecordLayer& layer, RunState& state);
void ask_operation(RecordLayer& layer, RunState& state);
void store_spectra(RecordLayer& layer, RunState& state);
void reconstruct(RecordLayer& layer, RunState& state);
void ask_window(RecordLayer& layer, RunState& state);
void write_output(RecordLayer& layer, RunState& state);

}  // namespace wavespec
