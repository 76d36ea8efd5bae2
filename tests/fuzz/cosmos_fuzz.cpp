// Fuzz target: arbitrary bytes as a COSMOS file, read for each quantity.
#include <cstdint>

#include "formats/cosmos_reader.hpp"
#include "formats/formats.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto quantity : {formats::Quantity::acceleration, formats::Quantity::velocity,
                          formats::Quantity::displacement}) {
        try {
            for (const formats::CosmosChannel& channel :
                 formats::read_cosmos("fuzz.v2", bytes, quantity)) {
                fuzz::check_trace(channel.trace, size, 1);
                if (channel.position < -1 || channel.position > 2)
                    fuzz::finding("position", std::to_string(channel.position));
            }
        } catch (const formats::FormatError&) {
        }
    }
    return 0;
}
