#include "cli/format_option.hpp"

#include <algorithm>
#include <charconv>
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

std::vector<std::size_t> parse_channels_option(std::string_view value) {
    std::vector<std::size_t> channels;
    std::string_view rest = value;
    for (;;) {
        std::size_t comma = rest.find(',');
        std::string_view number = rest.substr(0, comma);
        std::size_t channel = 0;
        auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), channel);
        if (error != std::errc() || end != number.data() + number.size() || number.empty() ||
            channel < 1 || channel > 100000 ||
            std::find(channels.begin(), channels.end(), channel - 1) != channels.end()) {
            channels.clear();
            break;
        }
        channels.push_back(channel - 1);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (channels.size() != 3) {
        throw UsageError(
            "--channels is three different channels counted from 1 in the file, "
            "like 1,2,3, not '" +
            std::string(value) + "'");
    }
    return channels;
}

}  // namespace wavespec::cli
