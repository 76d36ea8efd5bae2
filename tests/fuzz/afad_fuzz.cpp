// Fuzz target: arbitrary bytes as an AFAD file of three components.
#include <cstdint>

#include "formats/formats.hpp"
#include "formats/national_readers.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        for (const formats::FileTrace& trace : formats::read_afad("fuzz.txt", bytes)) {
            fuzz::check_trace(trace, size, 2);
        }
    } catch (const formats::FormatError&) {
    }
    return 0;
}
