// Fuzz target: arbitrary bytes as a StationXML file; each epoch read is evaluated, checked and
// removed from a short record, which must end in a value or a ResponseError, never a fault.
#include <cmath>
#include <cstdint>

#include "formats/formats.hpp"
#include "formats/stationxml_reader.hpp"
#include "formats/stationxml_time.hpp"
#include "fuzz/fuzz_support.hpp"
#include "instrument/deconvolution.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    formats::parse_iso_time(bytes.substr(0, 40));
    std::vector<instrument::ChannelEpoch> epochs;
    try {
        epochs = formats::read_stationxml("fuzz.xml", bytes);
    } catch (const formats::FormatError&) {
        return 0;
    }
    std::vector<double> record(50);
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = std::sin(0.3 * double(i));
    for (const instrument::ChannelEpoch& epoch : epochs) {
        try {
            instrument::response_warnings(epoch);
            for (const instrument::Stage& stage : epoch.stages) instrument::describe_stage(stage);
            for (double f : {0.0, 0.5, 7.0}) {
                instrument::response_to(epoch, f, instrument::Quantity::velocity);
            }
            std::vector<double> out = instrument::remove_response(record, 0.01, epoch, {});
            for (double x : out) {
                if (!std::isfinite(x)) fuzz::finding("deconvolved sample not finite", epoch.code());
            }
        } catch (const instrument::ResponseError&) {
        }
    }
    return 0;
}
