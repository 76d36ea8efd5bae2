// The options that take records in counts to physical units with a StationXML inventory:
// --inventory, --units, --water-level, --pre-filter and --rotate (process and convert), and
// the values of "wavespec inventory": --response's channel and --frequencies.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_parser.hpp"
#include "formats/formats.hpp"
#include "instrument/deconvolution.hpp"

namespace wavespec::cli {

inline constexpr KnownOption kInventoryOptions[] = {
    {"inventory", 0, true},  {"units", 0, true},   {"water-level", 0, true},
    {"pre-filter", 0, true}, {"rotate", 0, false},
};

struct InventoryOptions {
    std::optional<std::string> inventory;  // the StationXML file
    instrument::DeconvolutionSettings deconvolution;
    bool units_given = false;
    bool rotate = false;
    std::vector<std::string> given;  // the names of these options met, for the checks
    // The inventory's channel epochs, read once before the records run.
    std::shared_ptr<const std::vector<instrument::ChannelEpoch>> epochs;
};

// Reads the --inventory file into options.epochs; a FormatError names the file and line.
void load_inventory(InventoryOptions& options);

// Refuses (UsageError) --inventory for records of a format that carries no channel codes.
void check_inventory_format(const InventoryOptions& options, formats::InputFormat format,
                            const std::string& record);

// A table of options and one more, as one.
template <std::size_t A, std::size_t B>
constexpr std::array<KnownOption, A + B> joined_options(const std::array<KnownOption, A>& a,
                                                        const KnownOption (&b)[B]) {
    std::array<KnownOption, A + B> all{};
    for (std::size_t i = 0; i < A; ++i) all[i] = a[i];
    for (std::size_t i = 0; i < B; ++i) all[A + i] = b[i];
    return all;
}

// Takes one of these options; false for any other name. Throws UsageError for a value it
// refuses.
bool take_inventory_option(std::string_view name, const std::string& value,
                           InventoryOptions& options);

// Refuses (UsageError) these options but --rotate without --inventory, and a quantity other than
// acceleration together with --response-spectra.
void check_inventory_options(const InventoryOptions& options, bool response_spectra);

// --units: acceleration, velocity or displacement.
instrument::Quantity parse_quantity(std::string_view option, std::string_view text);

// --response=NET.STA.LOC.CHA[@TIME]; the location may be empty or "--".
struct ChannelRequest {
    std::string network, station, location, channel;
    std::optional<std::int64_t> time_us;
    std::string time_text;
};
ChannelRequest parse_channel_request(std::string_view option, std::string_view text);

}  // namespace wavespec::cli
