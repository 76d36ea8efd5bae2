#include <array>
#include <utility>

#include "formats/formats.hpp"

namespace wavespec::formats {
namespace {

constexpr std::array<std::pair<std::string_view, InputFormat>, 6> kNames = {{
    {"auto", InputFormat::automatic},
    {"csv", InputFormat::csv},
    {"knet", InputFormat::knet},
    {"at2", InputFormat::at2},
    {"sac", InputFormat::sac},
    {"mseed", InputFormat::mseed},
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
