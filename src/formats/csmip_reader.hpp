// CSMIP (California Strong Motion Instrumentation Program, formerly DMG) volume 1 and 2 files:
// one channel or several in turn, each a text header (13 lines in V1, 25 in V2), 100 integers
// (16I5, 7 lines), reals (8F10: 50 on 7 lines in V1, 100 on 13 in V2), then its data blocks,
// each introduced by a line "N points of accel data equally spaced at DT sec, in UNITS.
// (Format: (8F10.3))" (V2 adds veloc and displ blocks), and an "End of data" line. The text
// gives the station ("Station No."), the channel's direction ("Chan  1:  90 Deg", "Up"), the
// record's start ("Rcrd of Thu Jul  4, 2019 10:33:48.0 PDT (UTC: 17:33:48.0)") and the peaks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

struct CsmipChannel {
    FileTrace trace;
    std::string set_key;  // network and station: the record the channel belongs to
    int position = -1;    // 2 vertical, 0 azimuth 0 (or 360), 1 azimuth 90, -1 another horizontal
};

// Every channel of the file, its samples the block of `quantity` in cm/s^2, cm/s or cm.
std::vector<CsmipChannel> read_csmip(std::string_view file, std::string_view bytes,
                                     Quantity quantity);

// True when the first line reads "UNCORRECTED ACCELEROGRAM DATA" (V1), or "CORRECTED
// ACCELEROGRAM" with the second "UNCORRECTED ACCELEROGRAM DATA" (V2), in any case.
bool looks_like_csmip(std::string_view bytes);

}  // namespace wavespec::formats
