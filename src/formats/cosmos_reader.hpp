// COSMOS Strong Motion Data Format (version 1.20) files: V0 (counts), V1 (uncorrected
// acceleration) and V2 (corrected acceleration, velocity and displacement). Each channel in
// turn: a text header (its first line gives the number of its lines), an integer header and a
// real header each introduced by a line giving their count and Fortran layout, comment lines,
// then one data block a quantity, each introduced by a line with its count, units code and
// layout and closed by an "End-of-data" line. V3 (response spectra) is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

struct CosmosChannel {
    FileTrace trace;
    std::string set_key;  // network, station and the sensor's site: the record it belongs to
    int position = -1;    // 2 vertical, 0 azimuth 0 (or 360), 1 azimuth 90, -1 another horizontal
};

// Every channel of the file, its samples the block of `quantity` in cm/s^2, cm/s or cm (V0
// counts converted by the header's recorder LSB, sensor sensitivity and gain). With
// `keep_counts`, V0 counts stay as recorded (units "counts", no quantity) and carry the
// channel's SEED codes where a "|<SCNL>STA.CHA.NET.LOC" comment gives them, for station
// metadata to convert.
std::vector<CosmosChannel> read_cosmos(std::string_view file, std::string_view bytes,
                                       Quantity quantity, bool keep_counts = false);

// True when the first line names a COSMOS format version: "(Format v01.20 with 13 text lines)".
bool looks_like_cosmos(std::string_view bytes);

}  // namespace wavespec::formats
