#include "cli/option_answers.hpp"

namespace wavespec::cli {

void set_polarity_answers(RunState& state, const std::array<bool, 3>& invert) {
    state.myes = invert[0] || invert[1] || invert[2] ? 1 : 0;
    state.my1 = invert[0] ? 1 : 0;
    state.my2 = invert[1] ? 1 : 0;
    state.my3 = invert[2] ? 1 : 0;
}

bool set_bandpass_answers(RunState& state, const std::optional<std::array<double, 4>>& corners) {
    if (!corners) return false;
    state.nbd = 1;
    state.fl1 = (*corners)[0];
    state.fl2 = (*corners)[1];
    state.fh1 = (*corners)[2];
    state.fh2 = (*corners)[3];
    return true;
}

}  // namespace wavespec::cli
