// Builds without libmseed (the Windows build): MiniSEED files are recognised and refused.
#include "formats/file_trace.hpp"
#include "formats/mseed_segments.hpp"

namespace wavespec::formats {

bool mseed_supported() {
    return false;
}

bool looks_like_mseed(std::string_view bytes) {
    // A fixed header begins with a six-digit sequence number and a quality letter.
    if (bytes.size() < 48) return false;
    for (std::size_t i = 0; i < 6; ++i) {
        char c = bytes[i];
        if (!((c >= '0' && c <= '9') || c == ' ')) return false;
    }
    return bytes[6] == 'D' || bytes[6] == 'R' || bytes[6] == 'Q' || bytes[6] == 'M';
}

std::vector<MseedSegment> read_mseed_segments(std::string_view file, std::string) {
    fail(file, "MiniSEED support is not built in");
}

void collect_mseed_channel_groups(std::string_view file, std::string, std::vector<std::string>&) {
    fail(file, "MiniSEED support is not built in");
}

}  // namespace wavespec::formats
