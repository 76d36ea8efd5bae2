// Fuzz target: arbitrary bytes as a GeoNet V1A/V2A file, read for each quantity.
#include <cstdint>

#include "formats/formats.hpp"
#include "formats/geonet_reader.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto quantity : {formats::Quantity::acceleration, formats::Quantity::velocity,
                          formats::Quantity::displacement}) {
        try {
            for (const formats::FileTrace& trace :
                 formats::read_geonet("fuzz.V2A", bytes, quantity)) {
                fuzz::check_trace(trace, size, 8);  // a field of eight columns a sample
            }
        } catch (const formats::FormatError&) {
        }
    }
    return 0;
}
