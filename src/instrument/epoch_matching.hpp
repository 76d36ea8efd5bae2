// The one channel epoch of an inventory that holds a channel at a time.
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

}  // namespace wavespec::instrument
