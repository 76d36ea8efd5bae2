// Fuzz target: arbitrary bytes as a MiniSEED file: its segments, then the record of each
// channel group.
#include <cmath>
#include <cstdint>
#include <set>

#include "formats/formats.hpp"
#include "formats/mseed_segments.hpp"
#include "fuzz/fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<formats::MseedSegment> segments;
    try {
        segments = formats::read_mseed_segments("fuzz.mseed", std::string(bytes));
    } catch (const formats::FormatError&) {
        return 0;
    }
    std::set<std::string> groups;
    for (const formats::MseedSegment& segment : segments) {
        if (segment.samples.empty()) fuzz::finding("empty segment", segment.channel);
        groups.insert(formats::channel_group_of(segment));
    }
    for (const std::string& group : groups) {
        try {
            formats::WaveformRecord record =
                formats::assemble_mseed_record(segments, group, "fuzz");
            if (!(record.dt > 0.0) || !std::isfinite(record.dt)) fuzz::finding("interval", group);
            for (const auto& component : record.components) {
                if (component.samples.empty()) fuzz::finding("empty component", component.name);
                for (double v : component.samples) {
                    if (!std::isfinite(v)) fuzz::finding("non-finite sample", component.name);
                }
            }
        } catch (const formats::FormatError&) {
        }
    }
    return 0;
}
