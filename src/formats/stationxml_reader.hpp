// FDSN StationXML (schema versions 1.0, 1.1 and 1.2): the channel epochs of a file with their
// sensitivities and response stages. A file that is not StationXML, is cut short or holds a
// value that is not a number is refused with one FormatError line naming the file and line.
#pragma once

#include <string_view>
#include <vector>

#include "instrument/response_model.hpp"

namespace wavespec::formats {

std::vector<instrument::ChannelEpoch> read_stationxml(std::string_view file,
                                                      std::string_view bytes);

// True when this build reads StationXML (it needs pugixml).
bool stationxml_supported();

}  // namespace wavespec::formats
