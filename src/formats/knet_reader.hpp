// K-NET and KiK-net ASCII files (NIED): 17 header lines, then integer counts, 8 per line.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

struct KnetTrace {
    FileTrace trace;   // in gal
    int position = 0;  // 0 N-S, 1 E-W, 2 U-D
    int site = 0;      // 0 K-NET, 1 KiK-net borehole (channels 1-3), 2 KiK-net surface (4-6)
    // The first sample's time in UTC, microseconds since 1970; nothing where Record Time is
    // not written "YYYY/MM/DD hh:mm:ss".
    std::optional<std::int64_t> start_us;
};

// Reads one file; the mean of the scaled trace is removed unless keep_offset.
KnetTrace read_knet(std::string_view file, std::string_view bytes, bool keep_offset);

// True when the bytes begin like a K-NET file.
bool looks_like_knet(std::string_view bytes);

}  // namespace wavespec::formats
