// Builds without pugixml (the Windows build): StationXML files are refused.
#include "formats/file_trace.hpp"
#include "formats/stationxml_reader.hpp"

namespace wavespec::formats {

bool stationxml_supported() {
    return false;
}

std::vector<instrument::ChannelEpoch> read_stationxml(std::string_view file, std::string_view) {
    fail(file, "StationXML support is not built in");
}

}  // namespace wavespec::formats
