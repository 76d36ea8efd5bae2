// Fuzz target: arbitrary bytes as a CSMIP V1/V2 file, read for each quantity.
#include <cstdint>

#include "formats/csmip_reader.hpp"
#include "formats/formats.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto quantity : {formats::Quantity::acceleration, formats::Quantity::velocity,
                          formats::Quantity::displacement}) {
        try {
            for (const formats::CsmipChannel& channel :
                 formats::read_csmip("fuzz.V2", bytes, quantity)) {
                fuzz::check_trace(channel.trace, size, 1);  // a block may give one column a field
                if (channel.position < -1 || channel.position > 2)
                    fuzz::finding("position", std::to_string(channel.position));
            }
        } catch (const formats::FormatError&) {
        }
    }
    return 0;
}
