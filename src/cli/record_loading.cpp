#include "cli/record_loading.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace wavespec::cli {
namespace {

// A header name as the reader keeps it: at most its first characters, padded with blanks.
// Component names are plain words, which the reader takes whole.
void set_name(HeaderName& name, std::string_view text) {
    name.fill(' ');
    std::copy_n(text.begin(), std::min(text.size(), name.size()), name.begin());
}

}  // namespace

void load_record(const formats::WaveformRecord& record, RunState& state) {
    set_name(state.head[0], "time");
    for (std::size_t c = 0; c < 3; ++c) set_name(state.head[c + 1], record.components[c].name);
    std::size_t count = record.components[0].samples.size();
    std::size_t stored = std::min(count, state.time.size());
    for (std::size_t i = 0; i < stored; ++i) {
        state.time[i] = static_cast<double>(i) * record.dt;
        state.xr1[i] = record.components[0].samples[i];
        state.xr2[i] = record.components[1].samples[i];
        state.xr3[i] = record.components[2].samples[i];
    }
    constexpr auto kMostCounted =
        static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    state.nt = static_cast<std::int32_t>(std::min(count, kMostCounted));
    state.dt = state.time[1] - state.time[0];
}

}  // namespace wavespec::cli
