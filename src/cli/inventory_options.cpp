#include "cli/inventory_options.hpp"

#include <algorithm>
#include <cmath>

#include "cli/option_bounds.hpp"
#include "cli/option_values.hpp"
#include "formats/file_trace.hpp"
#include "formats/stationxml_reader.hpp"
#include "formats/stationxml_time.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::cli {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

std::array<double, 4> pre_filter_corners(std::string_view option, const std::string& text) {
    std::vector<double> c = parse_list_in_range(value_range(option, "F1,F2,F3,F4"), text, 4, false);
    if (c.size() != 4 || !(c[0] < c[1] && c[1] <= c[2] && c[2] < c[3])) {
        refuse_value(option, text, "expected four corners F1 < F2 <= F3 < F4 in Hz");
    }
    return {c[0], c[1], c[2], c[3]};
}

}  // namespace

instrument::Quantity parse_quantity(std::string_view option, std::string_view text) {
    if (text == "acceleration") return instrument::Quantity::acceleration;
    if (text == "velocity") return instrument::Quantity::velocity;
    if (text == "displacement") return instrument::Quantity::displacement;
    refuse_value(option, text, "expected acceleration, velocity or displacement");
}

bool take_inventory_option(std::string_view name, const std::string& value,
                           InventoryOptions& options) {
    if (name == "inventory") {
        if (value.empty()) throw UsageError("--inventory needs a StationXML file");
        if (!formats::stationxml_supported()) {
            throw UsageError("--inventory: StationXML support is not built into this wavespec");
        }
        options.inventory = value;
    } else if (name == "units") {
        options.deconvolution.wanted = parse_quantity(name, value);
        options.units_given = true;
    } else if (name == "water-level") {
        if (value == "none") {
            options.deconvolution.water_level_db.reset();
        } else {
            options.deconvolution.water_level_db = parse_in_range(value_range(name, "DB"), value);
        }
    } else if (name == "pre-filter") {
        options.deconvolution.pre_filter = pre_filter_corners(name, value);
    } else if (name == "rotate") {
        options.rotate = true;
    } else {
        return false;
    }
    options.given.emplace_back(name);
    return true;
}

void check_inventory_options(const InventoryOptions& options, bool response_spectra) {
    if (!options.inventory) {
        for (const std::string& name : options.given) {
            // --rotate alone turns the horizontals by the file's own azimuths.
            if (name != "inventory" && name != "rotate") {
                throw UsageError("--" + name + " goes with --inventory");
            }
        }
        return;
    }
    if (response_spectra && options.deconvolution.wanted != instrument::Quantity::acceleration) {
        throw UsageError(
            "--units=" + std::string(instrument::quantity_name(options.deconvolution.wanted)) +
            " cannot go with --response-spectra, which needs acceleration");
    }
}

void load_inventory(InventoryOptions& options) {
    if (!options.inventory) return;
    options.epochs = std::make_shared<const std::vector<instrument::ChannelEpoch>>(
        formats::read_stationxml(*options.inventory, formats::read_whole_file(*options.inventory)));
}

void check_inventory_format(const InventoryOptions& options, formats::InputFormat format,
                            const std::string& record) {
    if (!options.inventory || format == formats::InputFormat::sac ||
        format == formats::InputFormat::mseed || format == formats::InputFormat::cosmos) {
        return;
    }
    throw UsageError(
        "--inventory needs SAC, MiniSEED or COSMOS V0 records, which name their channels; " +
        record + " is " + std::string(formats::input_format_name(format)));
}

ChannelRequest parse_channel_request(std::string_view option, std::string_view text) {
    ChannelRequest request;
    std::string_view code = text.substr(0, text.find('@'));
    if (code.size() < text.size()) {
        request.time_text = std::string(text.substr(code.size() + 1));
        request.time_us = formats::parse_iso_time(request.time_text);
        if (!request.time_us) refuse_value(option, text, "the time after @ is not ISO 8601");
    }
    std::vector<std::string_view> parts = split(code, '.');
    if (parts.size() != 4 || parts[1].empty() || parts[3].empty()) {
        refuse_value(option, text, "expected NET.STA.LOC.CHA[@TIME]");
    }
    request.network = parts[0];
    request.station = parts[1];
    request.location = parts[2] == "--" ? std::string() : std::string(parts[2]);
    request.channel = parts[3];
    return request;
}

}  // namespace wavespec::cli
