// What a run learns of its record, for run.json, under the keys `wavespec info --json` gives
// them: where the files say it, the station, the first sample's time and the units.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/inventory_options.hpp"
#include "dialogue/run_state.hpp"
#include "formats/formats.hpp"

namespace wavespec::cli {

struct RecordDescription {
    std::optional<std::string> network, station, location;
    std::array<std::string, 3> components;
    std::optional<std::string> units, quantity;
    std::optional<std::int64_t> start_us;  // the first sample, microseconds since 1970 UTC
    double dt = 0.0;
    std::int64_t nt = 0;
    std::vector<std::string> notes;
};

// What a record of the networks' formats says of itself, as read (after --inventory).
RecordDescription describe_read_record(const formats::WaveformRecord& record,
                                       const formats::RecordInput& input,
                                       const InventoryOptions& inventory);

// The component names, dt and nt of the state as read.
void describe_series(RecordDescription& description, const RunState& state);

}  // namespace wavespec::cli
