#include "instrument/epoch_matching.hpp"

#include <cmath>

namespace wavespec::instrument {
namespace {

std::string location_key(const std::string& location) {
    return location == "--" ? std::string() : location;
}

}  // namespace

const ChannelEpoch& epoch_at(const std::vector<ChannelEpoch>& epochs, const ChannelAt& wanted,
                             const std::string& time_text) {
    const ChannelEpoch* found = nullptr;
    std::size_t count = 0;
    for (const ChannelEpoch& epoch : epochs) {
        if (epoch.network != wanted.network || epoch.station != wanted.station ||
            location_key(epoch.location) != location_key(wanted.location) ||
            epoch.channel != wanted.channel) {
            continue;
        }
        if (wanted.time_us < epoch.start_us || wanted.time_us >= epoch.end_us) continue;
        if (found == nullptr) found = &epoch;
        ++count;
    }
    std::string code = wanted.network + "." + wanted.station + "." + location_key(wanted.location) +
                       "." + wanted.channel;
    if (found == nullptr) {
        throw ResponseError(code + " at " + time_text + ": no epoch of the inventory holds it");
    }
    if (count > 1) {
        throw ResponseError(code + " at " + time_text + ": " + std::to_string(count) +
                            " epochs of the inventory hold it");
    }
    return *found;
}

bool sample_rate_agrees(const ChannelEpoch& epoch, double dt) {
    constexpr double kRateAgreement = 1e-6;  // relative
    const double rate = 1.0 / dt;
    return !(epoch.sample_rate > 0.0) ||
           std::fabs(epoch.sample_rate - rate) <= kRateAgreement * rate;
}

bool points_down(const ChannelEpoch& epoch) {
    return epoch.dip && *epoch.dip > 0.0;
}

}  // namespace wavespec::instrument
