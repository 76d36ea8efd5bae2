#include <array>
#include <utility>

#include "formats/formats.hpp"

namespace wavespec::formats {
namespace {

constexpr std::array<std::pair<std::string_view, InputFormat>, 16> kNames = {{
    {"auto", InputFormat::automatic},
    {"csv", InputFormat::csv},
    {"knet", InputFormat::knet},
    {"at2", InputFormat::at2},
    {"sac", InputFormat::sac},
    {"mseed", InputFormat::mseed},
    {"esm", InputFormat::esm},
    {"cosmos", InputFormat::cosmos},
    {"smc", InputFormat::smc},
    {"geonet", InputFormat::geonet},
    {"csmip", InputFormat::csmip},
    {"cwa", InputFormat::cwa},
    {"afad", InputFormat::afad},
    {"unam", InputFormat::unam},
    {"renadic", InputFormat::renadic},
    {"bhrc", InputFormat::bhrc},
}};

}  // namespace

std::optional<InputFormat> input_format_named(std::string_view name) {
    for (const auto& [text, format] : kNames) {
        if (text == name) return format;
    }
    return std::nullopt;
}

std::string_view input_format_name(InputFormat format) {
    for (const auto& [text, value] : kNames) {
        if (value == format) return text;
    }
    return "auto";
}

}  // namespace wavespec::formats

namespace wavespec::formats {

std::string_view quantity_name(Quantity quantity) {
    switch (quantity) {
        case Quantity::velocity:
            return "velocity";
        case Quantity::displacement:
            return "displacement";
        default:
            return "acceleration";
    }
}

std::string_view quantity_units(Quantity quantity) {
    switch (quantity) {
        case Quantity::velocity:
            return "cm/s";
        case Quantity::displacement:
            return "cm";
        default:
            return "cm/s/s";
    }
}

}  // namespace wavespec::formats
