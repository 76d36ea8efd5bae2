// The tool's own CSV record, read by the dialogue's reader into a WaveformRecord, for the
// commands that describe or hand on a record rather than process it.
#pragma once

#include <string>

#include "formats/formats.hpp"

namespace wavespec::cli {

// Fails with a FormatError "FILE: PLACE: what is wrong" for a file the reader refuses.
formats::WaveformRecord read_csv_record(const std::string& path);

}  // namespace wavespec::cli
