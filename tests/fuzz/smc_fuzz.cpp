// Fuzz target: arbitrary bytes as a USGS SMC file.
#include <cstdint>

#include "formats/formats.hpp"
#include "formats/smc_reader.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        formats::SmcChannel channel = formats::read_smc("fuzz.smc", bytes);
        fuzz::check_trace(channel.trace, size, 10);  // a field of ten columns a sample
        if (channel.position < -1 || channel.position > 2)
            fuzz::finding("position", std::to_string(channel.position));
    } catch (const formats::FormatError&) {
    }
    return 0;
}
