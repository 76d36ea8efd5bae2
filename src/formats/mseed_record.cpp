#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>

#include "formats/channel_codes.hpp"
#include "formats/file_trace.hpp"
#include "formats/mseed_segments.hpp"

namespace wavespec::formats {
namespace {

std::string channel_name(const MseedSegment& s) {
    return s.network + "." + s.station + "." + s.location + "." + s.channel;
}

// The channel's segments that touch [start, end] must be one segment covering it all.
MseedSegment& covering_segment(std::vector<MseedSegment*> pieces, std::int64_t start,
                               std::int64_t end) {
    std::sort(pieces.begin(), pieces.end(),
              [](auto* a, auto* b) { return a->start_us < b->start_us; });
    for (MseedSegment* piece : pieces) {
        if (piece->start_us <= start && piece->end_us >= end) return *piece;
    }
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        const MseedSegment& a = *pieces[i];
        const MseedSegment& b = *pieces[i + 1];
        if (a.end_us < end && b.start_us > start) {
            bool gap = b.start_us > a.end_us;
            fail(a.file, std::string(gap ? "gap" : "overlap") + " in " + channel_name(a) +
                             " from " + iso_time(gap ? a.end_us : b.start_us) + " to " +
                             iso_time(gap ? b.start_us : a.end_us));
        }
    }
    const MseedSegment& first = *pieces.front();
    fail(first.file, "overlap in " + channel_name(first) + " between " + iso_time(start) + " and " +
                         iso_time(end));
}

}  // namespace

std::string channel_group_of(const MseedSegment& segment) {
    return segment.network + "." + segment.station + "." + segment.location + "." +
           segment.channel.substr(0, 2);
}

WaveformRecord assemble_mseed_record(std::vector<MseedSegment> segments, const std::string& group,
                                     const std::string& stem) {
    std::array<std::vector<MseedSegment*>, 3> channels;
    const MseedSegment* any = nullptr;
    for (MseedSegment& s : segments) {
        if (channel_group_of(s) != group) continue;
        any = &s;
        int position = component_position(s.channel);
        if (position < 0) {
            fail(s.file,
                 "channel " + channel_name(s) + " is not N, E, Z, 1 or 2 by its last letter");
        }
        auto& pieces = channels[static_cast<std::size_t>(position)];
        if (!pieces.empty() && pieces.front()->channel != s.channel) {
            fail(s.file, "two channels for one component: " + channel_name(*pieces.front()) +
                             " and " + channel_name(s));
        }
        pieces.push_back(&s);
    }
    if (any == nullptr) throw FormatError(group + ": no MiniSEED data for this channel group");
    static constexpr std::array<std::string_view, 3> kLetters = {"N or 1", "E or 2", "Z"};
    for (std::size_t c = 0; c < 3; ++c) {
        if (channels[c].empty()) {
            fail(any->file, "component missing: no channel " + group + std::string(kLetters[c]));
        }
    }
    const MseedSegment& reference = *channels[0].front();
    std::int64_t start = INT64_MIN, end = INT64_MAX;
    for (const auto& pieces : channels) {
        std::int64_t first = INT64_MAX, last = INT64_MIN;
        for (const MseedSegment* piece : pieces) {
            if (piece->rate != reference.rate) {
                fail(piece->file, "sampling rates differ: " + channel_name(reference) + " " +
                                      shortest_text(reference.rate) + " Hz, " +
                                      channel_name(*piece) + " " + shortest_text(piece->rate) +
                                      " Hz");
            }
            first = std::min(first, piece->start_us);
            last = std::max(last, piece->end_us);
        }
        start = std::max(start, first);
        end = std::min(end, last);
    }
    if (start > end) {
        fail(reference.file, "the channels of " + group + " share no time span");
    }
    if (!(reference.rate > 0.0) || !std::isfinite(reference.rate)) {
        fail(reference.file, "sampling rate " + shortest_text(reference.rate) + " of " +
                                 channel_name(reference) + " is not positive");
    }
    WaveformRecord record;
    record.stem = stem;
    record.dt = 1.0 / reference.rate;
    for (std::size_t c = 0; c < 3; ++c) {
        MseedSegment& piece = covering_segment(channels[c], start, end);
        if (piece.samples.empty()) fail(piece.file, channel_name(piece) + " holds no samples");
        if (!piece.drift.empty()) fail(piece.file, piece.drift);
        const double per_us = piece.rate / 1e6;
        auto first = static_cast<std::size_t>(
            std::llround(static_cast<double>(start - piece.start_us) * per_us));
        auto last = static_cast<std::size_t>(
            std::llround(static_cast<double>(end - piece.start_us) * per_us));
        last = std::min(last, piece.samples.size() - 1);
        first = std::min(first, last);
        record.components[c].name = plain_word(piece.channel, "CH");
        record.components[c].identity = ChannelIdentity{
            piece.network,
            piece.station,
            piece.location,
            piece.channel,
            piece.start_us +
                static_cast<std::int64_t>(std::llround(static_cast<double>(first) / per_us)),
            {}};
        // The segments are this call's own: the piece's samples are taken over, and cut in
        // place where the common span leaves some out.
        std::vector<double>& samples = piece.samples;
        samples.resize(last + 1);
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(first));
        record.components[c].samples = std::move(samples);
    }
    return record;
}

}  // namespace wavespec::formats
