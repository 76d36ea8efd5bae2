// What a record holds, without its samples, as `wavespec info` prints it: lines of
// "key: value", or one JSON object on one line (JSON Lines).
#pragma once

#include <string>

#include "formats/formats.hpp"

namespace wavespec::cli {

// "key: value" lines, each ending "\n", beginning with "record: STEM".
std::string describe_record_text(const formats::WaveformRecord& record);

// One JSON object and "\n": format, network, station, location, components (code, azimuth,
// dip), units, quantity, start, dt, nt, stated, filter and notes; null where unknown.
std::string describe_record_json(const formats::WaveformRecord& record);

}  // namespace wavespec::cli
