// The one channel epoch of an inventory that holds a channel at a time, and what that epoch
// says of a record of the channel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "instrument/response_evaluation.hpp"
#include "instrument/response_model.hpp"

namespace wavespec::instrument {

struct ChannelAt {
    std::string network, station, location, channel;  // location "--" is the empty one
    std::int64_t time_us = 0;
};

// The epoch whose [start, end) holds the time, matched on network, station, location and
// channel; a ResponseError naming the channel and the time when there is none or more than one.
// `time_text` is the time as the message shows it.
const ChannelEpoch& epoch_at(const std::vector<ChannelEpoch>& epochs, const ChannelAt& wanted,
                             const std::string& time_text);

// Whether the epoch's sample rate, where it gives one, is 1/dt within 1e-6 of it: a response
// evaluated at another rate would be wrong at every frequency of a digital stage.
bool sample_rate_agrees(const ChannelEpoch& epoch, double dt);

// Whether the epoch says its channel points down (a positive Dip): such a vertical's samples
// change sign to be positive up, as a Dip of -90 gives them.
bool points_down(const ChannelEpoch& epoch);

}  // namespace wavespec::instrument
