// Fuzz target: arbitrary bytes as a PEER AT2 file.
#include <cstdint>

#include "formats/at2_reader.hpp"
#include "formats/formats.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        fuzz::check_trace(formats::read_at2("fuzz.AT2", bytes, "H1"), size, 2);
    } catch (const formats::FormatError&) {
    }
    return 0;
}
