#include "job/design_steps.hpp"

#include "cli/option_answers.hpp"
#include "dialogue/record_steps.hpp"

namespace wavespec::job {

void apply_inversion(RunState& state, const DesignSteps& steps) {
    cli::set_polarity_answers(state, steps.invert);
    apply_polarity(state);
}

void apply_band_pass(RunState& state, const DesignSteps& steps) {
    if (cli::set_bandpass_answers(state, steps.bandpass)) apply_bandpass(state);
}

void apply_integration(RunState& state, const DesignSteps& steps) {
    state.nit = steps.operation;
    apply_operation(state);
}

std::optional<std::string> cut_output(RunState& state, const DesignSteps& steps) {
    if (steps.window) {
        state.icut = 1;
        state.stime = (*steps.window)[0];
        if (auto why = window_start_problem(state)) return "window refused: " + *why;
        state.dur = (*steps.window)[1];
        if (auto why = window_length_problem(state)) return "window refused: " + *why;
        apply_window(state);
    }
    // A skip that passes the last sample can only be a mistake: the output would keep only
    // its first sample.
    if (steps.skip > 0 && steps.skip >= state.nt) {
        return "--skip=" + std::to_string(steps.skip) + " passes the end of the " +
               std::to_string(state.nt) + " output samples";
    }
    state.iskip = steps.skip;
    return std::nullopt;
}

}  // namespace wavespec::job
