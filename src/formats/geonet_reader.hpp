// GeoNet (New Zealand) V1A and V2A files: three components in turn, each with 16 text lines
// (the first names the volume, the second's second word the station, the thirteenth's second
// word the component: N28E, S72W, UP ...), 40 integers (10I8), 60 reals (10F8), then the
// values ten of eight columns a line: acceleration in mm/s^2, and for V2A velocity in mm/s
// and displacement in mm. Times are UTC; the zeros padded at each end are samples.
#pragma once

#include <array>
#include <string_view>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

// The three components in the file's order, their samples the quantity asked for in cm/s^2,
// cm/s or cm.
std::array<FileTrace, 3> read_geonet(std::string_view file, std::string_view bytes,
                                     Quantity quantity);

// True when the first line names GNS Science and a corrected or uncorrected accelerogram.
bool looks_like_geonet(std::string_view bytes);

}  // namespace wavespec::formats
