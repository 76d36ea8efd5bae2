// Fuzz target: arbitrary bytes as a K-NET/KiK-net file, read with and without the offset.
#include <cstdint>

#include "formats/formats.hpp"
#include "formats/knet_reader.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (bool keep_offset : {false, true}) {
        try {
            formats::KnetTrace knet = formats::read_knet("fuzz.NS", bytes, keep_offset);
            if (knet.position < 0 || knet.position > 2)
                fuzz::finding("position", std::to_string(knet.position));
            fuzz::check_trace(knet.trace, size, 2);  // a count and a blank at least
        } catch (const formats::FormatError&) {
        }
    }
    return 0;
}
