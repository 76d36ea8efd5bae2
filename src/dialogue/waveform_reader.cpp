#include "dialogue/waveform_reader.hpp"

#include <limits>

#include "records/list_input.hpp"

namespace wavespec {

void read_waveform_records(RecordLayer& layer, int unit, RunState& state) {
    {
        ListReader header(layer, unit, false);
        for (HeaderName& name : state.head) header.text(name);
        header.finish();
    }
    std::int64_t complete = 0;
    for (;;) {
        // Values of the set start as the arrays hold them (zero), so a null value keeps 0; an
        // incomplete last set stays stored at its index but is not counted.
        std::size_t index = static_cast<std::size_t>(complete);
        bool stored = index < state.time.size();
        double values[4] = {0.0, 0.0, 0.0, 0.0};
        if (stored) {
            values[0] = state.time[index];
            values[1] = state.xr1[index];
            values[2] = state.xr2[index];
            values[3] = state.xr3[index];
        }
        ListReader set(layer, unit, true);
        for (double& v : values) set.real(v);
        ListReader::Status status = set.finish();
        if (stored) {
            state.time[index] = values[0];
            state.xr1[index] = values[1];
            state.xr2[index] = values[2];
            state.xr3[index] = values[3];
        }
        if (status == ListReader::Status::end_of_file) break;
        if (complete < std::numeric_limits<std::int32_t>::max()) ++complete;
    }
    state.nt = static_cast<std::int32_t>(complete);
    state.dt = state.time[1] - state.time[0];
}

}  // namespace wavespec
