// The dialogue's steps as a job asks for them, each run on the run state by the dialogue's
// own code: one sequence for "process" and the Python module alike.
#pragma once

#include <optional>
#include <string>

#include "dialogue/run_state.hpp"
#include "job/record_job.hpp"

namespace wavespec::job {

// The components' signs, before the forward transform.
void apply_inversion(RunState& state, const DesignSteps& steps);

// The band-pass filter, on the spectra.
void apply_band_pass(RunState& state, const DesignSteps& steps);

// Integration, double integration or differentiation, on the spectra.
void apply_integration(RunState& state, const DesignSteps& steps);

// The output's time window and its thinning, on the series transformed back; why they are
// refused (a window beyond the record, a skip past its last sample) when they are.
std::optional<std::string> cut_output(RunState& state, const DesignSteps& steps);

}  // namespace wavespec::job
