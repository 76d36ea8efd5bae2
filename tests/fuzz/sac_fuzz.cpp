// Fuzz target: arbitrary bytes as a SAC file (header identity and trace).
#include <cstdint>

#include "formats/formats.hpp"
#include "formats/sac_reader.hpp"
#include "fuzz/format_fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        formats::SacIdentity identity = formats::read_sac_identity("fuzz.SAC", bytes);
        if (identity.position < -1 || identity.position > 2)
            fuzz::finding("position", identity.component);
        formats::FileTrace trace = formats::read_sac("fuzz.SAC", bytes);
        if (trace.samples.size() * 4 + formats::kSacHeaderBytes != size) {
            fuzz::finding("samples do not fill the file", std::to_string(trace.samples.size()));
        }
        fuzz::check_trace(trace, size, 4);
    } catch (const formats::FormatError&) {
    }
    return 0;
}
