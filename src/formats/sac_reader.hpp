// SAC binary files in either byte order: a 632-byte header (70 floats, 40 integers, 192 bytes
// of text, header version 6), then npts 32-bit floats.
#pragma once

#include <string>
#include <string_view>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

inline constexpr std::size_t kSacHeaderBytes = 632;

// What sets SAC files into records: the station and the component's last letter.
struct SacIdentity {
    std::string network, station, hole, component;  // knetwk, kstnm, khole, kcmpnm; "" if unset
    int position = -1;  // 0 for N or 1, 1 for E or 2, 2 for Z; -1 otherwise
    std::string station_key() const { return network + "." + station + "." + hole; }
};

// Reads the header's identity (checks only that the header is there and of version 6).
SacIdentity read_sac_identity(std::string_view file, std::string_view bytes);

// Reads one file: an evenly spaced time series.
FileTrace read_sac(std::string_view file, std::string_view bytes);

bool looks_like_sac(std::string_view bytes);

}  // namespace wavespec::formats
