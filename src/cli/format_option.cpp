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

namespace {
constexpr long long kMostChannels = 100000;

[[noreturn]] void refuse_channels(std::string_view text) {
    throw UsageError(
        "--channels is three different channels counted from 1 in the file, like 1,2,3, not '" +
        std::string(text) + "'");
}

std::vector<std::size_t> checked_channels(std::span<const long long> from_one,
                                          std::string_view text) {
    std::vector<std::size_t> channels;
    for (long long channel : from_one) {
        auto index = static_cast<std::size_t>(channel - 1);
        if (channel < 1 || channel > kMostChannels ||
            std::find(channels.begin(), channels.end(), index) != channels.end()) {
            refuse_channels(text);
        }
        channels.push_back(index);
    }
    if (channels.size() != 3) refuse_channels(text);
    return channels;
}
}  // namespace

std::vector<std::size_t> parse_channels_option(std::string_view value) {
    std::vector<long long> numbers;
    std::string_view rest = value;
    for (;;) {
        std::size_t comma = rest.find(',');
        std::string_view number = rest.substr(0, comma);
        long long channel = 0;
        auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), channel);
        if (error != std::errc() || end != number.data() + number.size() || number.empty()) {
            refuse_channels(value);
        }
        numbers.push_back(channel);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return checked_channels(numbers, value);
}

std::vector<std::size_t> chosen_channels(std::span<const long long> counted_from_one) {
    std::string text;
    for (long long channel : counted_from_one) {
        text += (text.empty() ? "" : ",") + std::to_string(channel);
    }
    return checked_channels(counted_from_one, text);
}

}  // namespace wavespec::cli
