#include "cli/format_option.hpp"

#include <string>

#include "cli/option_parser.hpp"

namespace wavespec::cli {

formats::InputFormat parse_format_option(std::string_view value) {
    auto format = formats::input_format_named(value);
    if (!format) {
        throw UsageError("unknown format '" + std::string(value) +
                         "' (auto, csv, knet, at2, sac, mseed, esm, cosmos, smc, geonet, "
                         "csmip, cwa, afad, unam, renadic or bhrc)");
    }
    return *format;
}

formats::Quantity parse_quantity_option(std::string_view value) {
    for (auto quantity : {formats::Quantity::acceleration, formats::Quantity::velocity,
                          formats::Quantity::displacement}) {
        if (value == formats::quantity_name(quantity)) return quantity;
    }
    throw UsageError("--quantity is acceleration, velocity or displacement, not '" +
                     std::string(value) + "'");
}

}  // namespace wavespec::cli
