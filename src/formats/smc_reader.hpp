// USGS SMC files (the National Strong-Motion Project's archive): one channel a file. Eleven
// text lines (the first "1 UNCORRECTED ACCELEROGRAM" or "2 CORRECTED ACCELEROGRAM", the
// station's code in the third line's first four columns), 48 integers (8I10), 50 reals
// (5E15.7), the comment lines the integers count, then the acceleration in cm/s^2, eight
// values of ten columns a line.
#pragma once

#include <string>
#include <string_view>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

struct SmcChannel {
    FileTrace trace;
    std::string set_key;  // the station and the sensor's floor
    int position = -1;    // 2 vertical, 0 azimuth 0 (or 360), 1 azimuth 90, -1 another horizontal
};

SmcChannel read_smc(std::string_view file, std::string_view bytes);

// True when the first line, without its blanks, is one of the two volumes' titles.
bool looks_like_smc(std::string_view bytes);

}  // namespace wavespec::formats
