// wavespec: Fourier spectra and filtered, integrated or differentiated three-component
// waveform records. Without arguments, the fixed console dialogue; with them, a command.
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.hpp"
#include "dialogue/run_sequence.hpp"
#include "dialogue/run_state.hpp"
#include "records/record_layer.hpp"

int main(int argc, char** argv) {
    if (argc > 1) {
        std::vector<std::string> args(argv + 1, argv + argc);
        return wavespec::cli::run_command_line(args);
    }
    wavespec::RecordLayer layer;
    auto state = std::make_unique<wavespec::RunState>();
    wavespec::run_dialogue(layer, *state);
}
