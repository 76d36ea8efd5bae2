// MiniSEED data as continuous segments of one channel each, and the record three channels of
// one instrument make: cut to their common span, refused for gaps, overlaps or differing rates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/calendar.hpp"
#include "formats/formats.hpp"

namespace wavespec::formats {

// One continuous run of samples of one channel (times in microseconds since 1970).
struct MseedSegment {
    std::string file;
    std::string network, station, location, channel;
    std::int64_t start_us = 0;  // first sample
    std::int64_t end_us = 0;    // last sample
    double rate = 0.0;          // samples per second
    std::vector<double> samples;
    // A record of the segment whose start is more than half an interval off where the
    // segment's start and its sample count put it, in words; empty if none.
    std::string drift;
};

// All records of a file, joined into segments: a channel's records in time order, each
// continuing the one before within half a sampling interval. The bytes are parsed in place.
// Every sample is decoded once, straight into its segment. Fails naming the byte offset of a
// record that cannot be parsed; without libmseed, fails saying MiniSEED is not built in.
std::vector<MseedSegment> read_mseed_segments(std::string_view file, std::string bytes);

// The channel groups (see channel_group_of) of the records of a file that hold samples, each
// once, added to `groups` as they are met; the headers alone are parsed, no sample is decoded.
// Fails like read_mseed_segments on a record whose header cannot be parsed; the groups met
// before it stay in `groups`.
void collect_mseed_channel_groups(std::string_view file, std::string bytes,
                                  std::vector<std::string>& groups);

// True when the bytes begin like a MiniSEED record (a six-character sequence number and a
// quality letter).
bool looks_like_mseed(std::string_view bytes);

// "NET.STA.LOC.CH": network, station, location and the first two letters of the channel.
std::string channel_group_of(const MseedSegment& segment);

// The record of one channel group, named `stem`. A segment that is cut whole goes into the
// record without a copy of its samples.
WaveformRecord assemble_mseed_record(std::vector<MseedSegment> segments, const std::string& group,
                                     const std::string& stem);

}  // namespace wavespec::formats
