// PEER NGA files: AT2 (acceleration in g), VT2 (velocity in cm/s), DT2 (displacement in cm).
// Four header lines, the fourth giving the count and the interval, then the values.
#pragma once

#include <string_view>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

// Standard gravity in cm/s^2: AT2 values in g become gal.
inline constexpr double kStandardGravityGal = 980.665;

// Reads one file; `component` names the trace. AT2 values are converted to gal; whether the
// file is AT2 is told by the name's extension (VT2 and DT2 keep their units).
FileTrace read_at2(std::string_view file, std::string_view bytes, std::string_view component);

// True when the fourth line gives NPTS and DT.
bool looks_like_at2(std::string_view bytes);

}  // namespace wavespec::formats
