// Fuzz target: arbitrary bytes as the waveform file. The read ends with the sample sets counted
// (never more stored than the arrays hold) or with a fatal diagnostic about unit 11; either way
// the file is left as it was.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "dialogue/run_state.hpp"
#include "dialogue/waveform_reader.hpp"
#include "fuzz/fuzz_support.hpp"
#include "records/list_input.hpp"

extern "C" const char* __asan_default_options() {
    // A caught fatal diagnostic abandons the strings on the reader's stack, as the process
    // would; those are not leaks of the tool.
    return "detect_leaks=0";
}

namespace wavespec::fuzz {
namespace {

struct Reading {
    std::string name;
    RunState* state;
};

void read_file(RecordLayer& layer, void* context) {
    auto& reading = *static_cast<Reading*>(context);
    layer.open(kWaveformUnit, reading.name, RecordLayer::OpenMode::read_only);
    read_waveform_records(layer, kWaveformUnit, *reading.state);
    layer.close(kWaveformUnit);
}

bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace
}  // namespace wavespec::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    using namespace wavespec::fuzz;
    // One run state for all inputs (it is large); what the reader sets is cleared for each.
    static auto state = std::make_unique<RunState>();
    for (auto* series : {&state->time, &state->xr1, &state->xr2, &state->xr3}) {
        std::fill(series->begin(), series->end(), 0.0);
    }
    for (HeaderName& name : state->head) name.fill(' ');
    state->nt = 0;
    state->dt = 0.0;

    std::string bytes(reinterpret_cast<const char*>(data), size);
    int file = memory_file(bytes);
    Reading reading{"/proc/self/fd/" + std::to_string(file), state.get()};
    {
        CaughtRun run("");
        if (run.run(fuzz::read_file, &reading)) {
            check_diagnostic(run.diagnostic(), "11 named " + reading.name);
        } else {
            if (state->nt < 0) finding("negative sample count", std::to_string(state->nt));
            // A set takes at least two bytes ("4*" and a line end gives four null values).
            if (static_cast<std::size_t>(state->nt) * 2 > size + 2) {
                finding("more sample sets than the file can hold", std::to_string(state->nt));
            }
            if (!same_bits(state->dt, state->time[1] - state->time[0])) {
                finding("dt is not time(2) - time(1)", "");
            }
        }
    }
    if (memory_file_text(file) != bytes) finding("the waveform file was changed", "");
    ::close(file);
    return 0;
}
