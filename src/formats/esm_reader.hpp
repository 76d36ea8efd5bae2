// ESM / ITACA ASCII files (the European engineering strong-motion database): one component a
// file, a header of "KEY: value" lines (64 of them in the database's files), then one value a
// line. Times are UTC.
#pragma once

#include <string>
#include <string_view>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

// What sets ESM files into records: the station, the instrument (the stream's first two
// letters) and the component.
struct EsmIdentity {
    std::string network, station, location, stream;
    std::string set_key() const;
};

// Reads the header alone.
EsmIdentity read_esm_identity(std::string_view file, std::string_view bytes);

// Reads one file; the samples are converted from UNITS to cm/s^2, cm/s or cm.
FileTrace read_esm(std::string_view file, std::string_view bytes);

// True when the file begins with the "EVENT_NAME:" line and its header has
// "SAMPLING_INTERVAL_S:".
bool looks_like_esm(std::string_view bytes);

}  // namespace wavespec::formats
