// Fuzz target: arbitrary bytes as an ESM ASCII file, its header alone and the whole file.
#include <cstdint>

#include "formats/esm_reader.hpp"
#include "formats/formats.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        formats::read_esm_identity("fuzz.txt", bytes);
    } catch (const formats::FormatError&) {
    }
    try {
        formats::FileTrace trace = formats::read_esm("fuzz.txt", bytes);
        fuzz::check_trace(trace, size, 2);  // a digit and a line end at least
        if (trace.samples.size() < 1) fuzz::finding("accepted without values", "");
    } catch (const formats::FormatError&) {
    }
    return 0;
}
