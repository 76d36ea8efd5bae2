// The dialogue's answers that the typed options of process stand for, set in the run state
// before its steps run: one translation for the command line and the Python module alike.
#pragma once

#include <array>
#include <optional>

#include "dialogue/run_state.hpp"

namespace wavespec::cli {

// --invert: the polarity question answered yes when any component changes sign.
void set_polarity_answers(RunState& state, const std::array<bool, 3>& invert);

// --bandpass: the filter question answered yes with its four corners; false when no filter.
bool set_bandpass_answers(RunState& state, const std::optional<std::array<double, 4>>& corners);

}  // namespace wavespec::cli
