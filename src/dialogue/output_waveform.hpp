// The output waveform file: a header record, then one record per written sample with its
// time computed from dt and the three output series.
#pragma once

#include <cstdint>
#include <string_view>

#include "dialogue/run_state.hpp"
#include "records/record_layer.hpp"

namespace wavespec {

inline constexpr int kOutputUnit = 11;

// The positions written for a skip answer: every step-th sample from the first. A negative
// answer counts as 0 (every sample); the step and the count use 64-bit arithmetic so that the
// largest answer still writes exactly the first sample.
struct Thinning {
    std::int64_t step;
    std::int64_t records;
};
Thinning thinning_for(std::int32_t iskip, std::int32_t nt);

// Opens the named file, writes the header and the data records, and closes it.
void write_output_waveform(RecordLayer& layer, std::string_view name, const RunState& state,
                           Thinning thinning);

}  // namespace wavespec
