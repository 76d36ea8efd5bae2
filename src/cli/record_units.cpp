#include "cli/record_units.hpp"

#include <cmath>

#include "formats/channel_codes.hpp"
#include "formats/mseed_segments.hpp"
#include "instrument/epoch_matching.hpp"
#include "records/shortest_text.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec::cli {
namespace {

using formats::FormatError;
using instrument::ChannelEpoch;

constexpr double kDegree = 3.141592653589793 / 180.0;
constexpr double kAngleTolerance = 0.01;  // degrees
constexpr double kRateAgreement = 1e-6;   // relative

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

bool near(double degrees, double wanted) {
    double off = std::fmod(std::fabs(degrees - wanted), 360.0);
    return std::min(off, 360.0 - off) <= kAngleTolerance;
}

// Horizontals that read x_c = N cos(a_c) + E sin(a_c) solved for N and E.
void rotate_to_north_east(formats::WaveformRecord& record, double a0, double a1) {
    // Whole turns off first: any finite azimuth of the metadata stays in the sine's range.
    SineCosine s0 = portable_sin_cos(std::fmod(a0, 360.0) * kDegree);
    SineCosine s1 = portable_sin_cos(std::fmod(a1, 360.0) * kDegree);
    double det = s0.cos * s1.sin - s0.sin * s1.cos;
    if (std::fabs(det) < 0.01) {
        throw FormatError("--rotate: the horizontals' azimuths " + shortest_text(a0) + " and " +
                          shortest_text(a1) + " are too near parallel to rotate");
    }
    std::vector<double>& x0 = record.components[0].samples;
    std::vector<double>& x1 = record.components[1].samples;
    for (std::size_t i = 0; i < x0.size() && i < x1.size(); ++i) {
        double north = (x0[i] * s1.sin - x1[i] * s0.sin) / det;
        double east = (x1[i] * s0.cos - x0[i] * s1.cos) / det;
        x0[i] = north;
        x1[i] = east;
    }
    for (std::size_t c = 0; c < 2; ++c) {
        std::string& name = record.components[c].name;
        name = formats::rotated_component_name(name, c == 0 ? 'N' : 'E');
    }
}

// The inventory's sample rate where it gives one must be the record's: a response evaluated
// at the wrong rate would be wrong at every frequency of a digital stage.
void check_sample_rate(const formats::WaveformRecord& record, const ChannelEpoch& epoch,
                       const InventoryOptions& options) {
    const double rate = 1.0 / record.dt;
    if (epoch.sample_rate > 0.0 &&
        !(std::fabs(epoch.sample_rate - rate) <= kRateAgreement * rate)) {
        throw FormatError(epoch.code() + ": the inventory's sample rate " +
                          shortest_text(epoch.sample_rate) + " Hz is not the record's " +
                          shortest_text(rate) + " Hz (" + *options.inventory + ")");
    }
}

// A vertical whose Dip is positive points down (Dip +90): its samples change sign, so that
// the record's vertical is positive up, as a Dip of -90 gives it.
void turn_vertical_up(formats::WaveformRecord& record, const ChannelEpoch& epoch) {
    if (!epoch.dip || !(*epoch.dip > 0.0)) return;
    for (double& x : record.components[2].samples) x = 0.0 - x;  // no negative zeros
    record.notes.push_back(record.stem + ": " + epoch.code() + " dips " +
                           shortest_text(*epoch.dip) +
                           " degrees (positive down): its sign is turned to positive up");
}

}  // namespace

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
    bool north_east = a0 && a1 && near(*a0, 0.0) && near(*a1, 90.0);
    if (options.rotate && !north_east) {
        if (!a0 || !a1) {
            throw FormatError("--rotate: the inventory gives no azimuth for " +
                              (a0 ? epochs[1] : epochs[0])->code());
        }
        rotate_to_north_east(record, *a0, *a1);
        return words + "; rotated from azimuths " + shortest_text(*a0) + ", " + shortest_text(*a1) +
               " to north, east";
    }
    auto azimuth = [](const std::optional<double>& a) {
        return a ? shortest_text(*a) : std::string("unknown");
    };
    return words + "; azimuths " + azimuth(a0) + ", " + azimuth(a1);
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

}  // namespace wavespec::cli
