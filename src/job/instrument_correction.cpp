#include "job/instrument_correction.hpp"

#include "formats/channel_codes.hpp"
#include "formats/mseed_segments.hpp"
#include "instrument/epoch_matching.hpp"
#include "instrument/horizontal_rotation.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::job {
namespace {

using cli::InventoryOptions;
using formats::FormatError;
using instrument::ChannelEpoch;

const ChannelEpoch& epoch_of(const formats::ComponentTrace& component,
                             const InventoryOptions& options) {
    if (!component.identity) {
        throw FormatError(component.name + ": the record names no channel to match in " +
                          *options.inventory);
    }
    const formats::ChannelIdentity& id = *component.identity;
    std::string code = id.network + "." + id.station + "." + id.location + "." + id.channel;
    if (!id.physical_units.empty()) {
        throw FormatError(code + ": the SAC header says the samples are " + id.physical_units +
                          " already (idep); --inventory takes records in counts");
    }
    if (!id.start_us) {
        throw FormatError(code + ": the SAC header gives no reference time to find the epoch by");
    }
    try {
        return instrument::epoch_at(*options.epochs,
                                    {id.network, id.station, id.location, id.channel, *id.start_us},
                                    formats::iso_time(*id.start_us));
    } catch (const instrument::ResponseError& error) {
        throw FormatError(std::string(error.what()) + " (" + *options.inventory + ")");
    }
}

void check_sample_rate(const formats::WaveformRecord& record, const ChannelEpoch& epoch,
                       const InventoryOptions& options) {
    if (instrument::sample_rate_agrees(epoch, record.dt)) return;
    throw FormatError(epoch.code() + ": the inventory's sample rate " +
                      shortest_text(epoch.sample_rate) + " Hz is not the record's " +
                      shortest_text(1.0 / record.dt) + " Hz (" + *options.inventory + ")");
}

void turn_vertical_up(formats::WaveformRecord& record, const ChannelEpoch& epoch) {
    if (!instrument::points_down(epoch)) return;
    for (double& x : record.components[2].samples) x = 0.0 - x;  // no negative zeros
    record.notes.push_back(record.stem + ": " + epoch.code() + " dips " +
                           shortest_text(*epoch.dip) +
                           " degrees (positive down): its sign is turned to positive up");
}

// The horizontals turned to north and east from the azimuths given, where they are not
// north and east already; the words for the run's line. The names and `source` ("the file",
// "the inventory") are for the message when an azimuth is unknown.
std::string turn_horizontals(formats::WaveformRecord& record, std::optional<double> a0,
                             std::optional<double> a1, const std::string& first_name,
                             const std::string& second_name, std::string_view source) {
    if (!a0 || !a1) {
        throw FormatError("--rotate: " + std::string(source) + " gives no azimuth for " +
                          (a0 ? second_name : first_name));
    }
    if (instrument::points_north_east(*a0, *a1)) {
        return "azimuths " + shortest_text(*a0) + ", " + shortest_text(*a1);
    }
    if (!instrument::rotate_to_north_east(record.components[0].samples,
                                          record.components[1].samples, *a0, *a1)) {
        throw FormatError("--rotate: the horizontals' azimuths " + shortest_text(*a0) + " and " +
                          shortest_text(*a1) + " are too near parallel to rotate");
    }
    for (std::size_t c = 0; c < 2; ++c) {
        std::string& name = record.components[c].name;
        name = formats::rotated_component_name(name, c == 0 ? 'N' : 'E');
    }
    return "rotated from azimuths " + shortest_text(*a0) + ", " + shortest_text(*a1) +
           " to north, east";
}

std::string convert_to_physical_units(formats::WaveformRecord& record,
                                      const InventoryOptions& options) {
    std::array<const ChannelEpoch*, 3> epochs{};
    for (std::size_t c = 0; c < 3; ++c) {
        epochs[c] = &epoch_of(record.components[c], options);
        check_sample_rate(record, *epochs[c], options);
    }
    // The three channels' responses are most often the same: evaluated once.
    instrument::BinResponses responses(record.components[0].samples.size(), record.dt,
                                       options.deconvolution);
    for (std::size_t c = 0; c < 3; ++c) {
        for (const std::string& warning : instrument::response_warnings(*epochs[c])) {
            record.notes.push_back(record.stem + ": warning: " + warning);
        }
        try {
            record.components[c].samples =
                instrument::remove_response(record.components[c].samples, record.dt, *epochs[c],
                                            options.deconvolution, responses);
        } catch (const instrument::ResponseError& error) {
            const auto& id = *record.components[c].identity;
            throw FormatError(std::string(error.what()) + " (at " +
                              formats::iso_time(*id.start_us) + ")");
        }
    }
    turn_vertical_up(record, *epochs[2]);
    std::string words = "in " + std::string(unit_text(options.deconvolution.wanted));
    const std::optional<double>& a0 = epochs[0]->azimuth;
    const std::optional<double>& a1 = epochs[1]->azimuth;
    if (options.rotate) {
        return words + "; " +
               turn_horizontals(record, a0, a1, epochs[0]->code(), epochs[1]->code(),
                                "the inventory");
    }
    auto azimuth = [](const std::optional<double>& a) {
        return a ? shortest_text(*a) : std::string("unknown");
    };
    return words + "; azimuths " + azimuth(a0) + ", " + azimuth(a1);
}

}  // namespace

formats::ReadOptions reading_for(formats::ReadOptions read, const InventoryOptions& options) {
    read.counts = options.inventory.has_value();
    return read;
}

std::string correct_record(formats::WaveformRecord& record, const InventoryOptions& options) {
    if (options.epochs) return convert_to_physical_units(record, options);
    if (!options.rotate) return {};
    const formats::ComponentTrace& first = record.components[0];
    const formats::ComponentTrace& second = record.components[1];
    return turn_horizontals(record, first.azimuth, second.azimuth, first.name, second.name,
                            "the file");
}

std::string_view unit_text(instrument::Quantity quantity) {
    switch (quantity) {
        case instrument::Quantity::displacement:
            return "cm";
        case instrument::Quantity::velocity:
            return "cm/s";
        default:
            return "cm/s^2";
    }
}

}  // namespace wavespec::job
