// wavespec: Fourier spectra and filtered, integrated or differentiated three-component
// waveform records, through a fixed console dialogue.
#include <memory>

#include "dialogue/run_sequence.hpp"
#include "dialogue/run_state.hpp"
#include "records/record_layer.hpp"

int main() {
    wavespec::RecordLayer layer;
    auto state = std::make_unique<wavespec::RunState>();
    wavespec::run_dialogue(layer, *state);
}
