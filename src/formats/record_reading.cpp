// Reading one grouped record: its three files, then the checks that make them one record.
#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

#include "formats/at2_reader.hpp"
#include "formats/channel_codes.hpp"
#include "formats/cosmos_reader.hpp"
#include "formats/csmip_reader.hpp"
#include "formats/esm_reader.hpp"
#include "formats/file_trace.hpp"
#include "formats/formats.hpp"
#include "formats/geonet_reader.hpp"
#include "formats/knet_reader.hpp"
#include "formats/mseed_segments.hpp"
#include "formats/national_readers.hpp"
#include "formats/record_sets.hpp"
#include "formats/sac_reader.hpp"
#include "formats/smc_reader.hpp"

namespace wavespec::formats {
namespace {

constexpr std::array<std::string_view, 3> kPositionNames = {"N-S", "E-W", "U-D"};

std::array<FileTrace, 3> read_knet_set(const RecordInput& input, const ReadOptions& options,
                                       std::optional<std::int64_t>& start_us) {
    std::array<FileTrace, 3> traces;
    int site = -1;
    for (std::size_t c = 0; c < 3; ++c) {
        const std::string& path = input.paths[c];
        KnetTrace knet = read_knet(path, read_whole_file(path), options.keep_offset);
        if (knet.position != static_cast<int>(c)) {
            fail_at_line(path, 13,
                         "Dir. gives " + std::string(kPositionNames[knet.position]) +
                             ", but the file takes the set's " + std::string(kPositionNames[c]) +
                             " place");
        }
        if (site >= 0 && knet.site != site) {
            fail_at_line(path, 13, "Dir. is of another site than " + base_name(input.paths[0]));
        }
        site = knet.site;
        if (c == 0) start_us = knet.start_us;
        traces[c] = std::move(knet.trace);
    }
    return traces;
}

std::array<FileTrace, 3> read_at2_set(const RecordInput& input) {
    std::array<std::string, 3> names = at2_component_names(input.paths);
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        traces[c] = read_at2(input.paths[c], read_whole_file(input.paths[c]), names[c]);
    }
    return traces;
}

std::array<FileTrace, 3> read_sac_set(const RecordInput& input) {
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        traces[c] = read_sac(input.paths[c], read_whole_file(input.paths[c]));
    }
    return traces;
}

std::array<FileTrace, 3> read_esm_set(const RecordInput& input) {
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        traces[c] = read_esm(input.paths[c], read_whole_file(input.paths[c]));
    }
    return traces;
}

// Each file read once with the quantity asked for; each path gives its channel.
std::array<FileTrace, 3> read_cosmos_set(const RecordInput& input, const ReadOptions& options) {
    std::map<std::string, std::vector<CosmosChannel>> files;
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        const std::string& path = input.paths[c];
        auto [it, added] = files.try_emplace(path);
        if (added)
            it->second = read_cosmos(path, read_whole_file(path), options.quantity, options.counts);
        const std::size_t index = input.channels.empty() ? 0 : input.channels[c];
        if (index >= it->second.size()) {
            fail(path, "holds " + std::to_string(it->second.size()) + " channels, not " +
                           std::to_string(index + 1));
        }
        traces[c] = std::move(it->second[index].trace);
    }
    return traces;
}

std::array<FileTrace, 3> read_csmip_set(const RecordInput& input, const ReadOptions& options) {
    std::map<std::string, std::vector<CsmipChannel>> files;
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        const std::string& path = input.paths[c];
        auto [it, added] = files.try_emplace(path);
        if (added) it->second = read_csmip(path, read_whole_file(path), options.quantity);
        const std::size_t index = input.channels.empty() ? 0 : input.channels[c];
        if (index >= it->second.size()) {
            fail(path, "holds " + std::to_string(it->second.size()) + " channels, not " +
                           std::to_string(index + 1));
        }
        traces[c] = std::move(it->second[index].trace);
    }
    return traces;
}

std::array<FileTrace, 3> read_smc_set(const RecordInput& input) {
    std::array<FileTrace, 3> traces;
    for (std::size_t c = 0; c < 3; ++c) {
        traces[c] = read_smc(input.paths[c], read_whole_file(input.paths[c])).trace;
    }
    return traces;
}

// A file's three components, the vertical last, the horizontals in the file's order.
std::array<FileTrace, 3> vertical_last(const std::string& path, std::array<FileTrace, 3> read) {
    std::array<FileTrace, 3> traces;
    std::size_t next = 0;
    bool vertical = false;
    for (FileTrace& trace : read) {
        if (trace.dip && *trace.dip == -90.0 && !vertical) {
            traces[2] = std::move(trace);
            vertical = true;
        } else if (next < 2) {
            traces[next++] = std::move(trace);
        } else {
            fail(path, "no vertical among the three components");
        }
    }
    return traces;
}

std::array<FileTrace, 3> read_whole_file_set(const RecordInput& input, const ReadOptions& options) {
    const std::string& path = input.paths.front();
    const std::string bytes = read_whole_file(path);
    switch (input.format) {
        case InputFormat::geonet:
            return vertical_last(path, read_geonet(path, bytes, options.quantity));
        case InputFormat::cwa:
            return vertical_last(path, read_cwa(path, bytes));
        case InputFormat::afad:
            return vertical_last(path, read_afad(path, bytes));
        case InputFormat::unam:
            return vertical_last(path, read_unam(path, bytes));
        case InputFormat::renadic:
            return vertical_last(path, read_renadic(path, bytes));
        default:
            return vertical_last(path, read_bhrc(path, bytes));
    }
}

WaveformRecord read_mseed_set(const RecordInput& input) {
    std::vector<MseedSegment> segments;
    for (const std::string& path : input.paths) {
        std::vector<MseedSegment> more = read_mseed_segments(path, read_whole_file(path));
        std::move(more.begin(), more.end(), std::back_inserter(segments));
    }
    std::string group = input.channel_group;
    if (group.empty()) {
        for (const MseedSegment& segment : segments) {
            std::string other = channel_group_of(segment);
            if (!group.empty() && other != group) {
                fail(input.paths.front(),
                     "more than one channel group: " + group + " and " + other);
            }
            group = other;
        }
        if (group.empty()) fail(input.paths.front(), "no MiniSEED samples");
    }
    WaveformRecord record = assemble_mseed_record(std::move(segments), group, input.stem);
    record.format = "mseed";
    record.units = "counts";
    for (ComponentTrace& component : record.components) {
        component.code = component.identity->channel;
        if (auto orientation = seed_orientation(*component.code)) {
            component.azimuth = orientation->azimuth;
            component.dip = orientation->dip;
        }
    }
    const ChannelIdentity& first = *record.components[0].identity;
    record.network = first.network;
    record.station = first.station;
    record.location = first.location;
    return record;
}

WaveformRecord record_of(const RecordInput& input, std::array<FileTrace, 3> traces) {
    WaveformRecord record;
    record.stem = input.stem;
    record.dt = traces[0].dt;
    for (std::size_t c = 0; c < 3; ++c) {
        if (traces[c].dt != record.dt) {
            fail(input.paths[c], "sampling interval " + shortest_text(traces[c].dt) +
                                     " s differs from the " + shortest_text(record.dt) + " s of " +
                                     base_name(input.paths[0]));
        }
        record.components[c] = {std::move(traces[c].component),
                                std::move(traces[c].samples),
                                std::move(traces[c].identity),
                                std::move(traces[c].code),
                                traces[c].azimuth,
                                traces[c].dip};
        for (StatedValue& value : traces[c].stated) record.stated.push_back(std::move(value));
        for (std::string& note : traces[c].notes) record.notes.push_back(std::move(note));
    }
    FileTrace& first = traces[0];
    record.format = first.format;
    record.network = first.network;
    record.station = first.station;
    record.location = first.location;
    record.quantity = first.quantity;
    record.units = first.units;
    record.filter = first.filter;
    record.start_us = first.start_us;
    return record;
}

// Files of one channel each whose first samples differ by half a sample or more are cut to
// their common start (their ends are cut by cut_to_shortest), with a note.
std::array<FileTrace, 3> aligned_to_common_start(const RecordInput& input,
                                                 std::array<FileTrace, 3> traces) {
    std::int64_t latest = INT64_MIN;
    for (const FileTrace& trace : traces) {
        if (!trace.start_us) return traces;
        latest = std::max(latest, *trace.start_us);
    }
    const double dt_us = traces[0].dt * 1e6;
    std::string cuts;
    for (std::size_t c = 0; c < 3; ++c) {
        FileTrace& trace = traces[c];
        const double behind = static_cast<double>(latest - *trace.start_us);
        if (behind < 0.5 * dt_us) continue;
        const auto cut = static_cast<std::size_t>(std::llround(behind / dt_us));
        if (cut >= trace.samples.size()) {
            fail(input.paths[c], "starts " + shortest_text(behind / 1e6) +
                                     " s before the set's latest start and ends before it");
        }
        trace.samples.erase(trace.samples.begin(),
                            trace.samples.begin() + static_cast<std::ptrdiff_t>(cut));
        *trace.start_us += std::llround(static_cast<double>(cut) * dt_us);
        cuts += (cuts.empty() ? "" : ", ") + trace.component + " " + std::to_string(cut);
    }
    if (!cuts.empty()) {
        traces[0].notes.push_back(input.stem +
                                  ": components cut to their common start (samples "
                                  "taken off the beginning: " +
                                  cuts + ")");
    }
    return traces;
}

// Components of different lengths are cut to the shortest, with a note.
void cut_to_shortest(WaveformRecord& record, const std::string& where) {
    std::size_t shortest = record.components[0].samples.size();
    std::size_t longest = shortest;
    for (const ComponentTrace& component : record.components) {
        shortest = std::min(shortest, component.samples.size());
        longest = std::max(longest, component.samples.size());
    }
    if (shortest < 2) {
        fail(where,
             "only " + std::to_string(shortest) + " sample(s) in a component; a record needs 2");
    }
    if (shortest == longest) return;
    std::string note = record.stem + ": components cut to the shortest, " +
                       std::to_string(shortest) + " samples (";
    for (std::size_t c = 0; c < 3; ++c) {
        ComponentTrace& component = record.components[c];
        note +=
            (c == 0 ? "" : ", ") + component.name + " " + std::to_string(component.samples.size());
        component.samples.resize(shortest);
    }
    record.notes.push_back(note + ")");
}

}  // namespace

WaveformRecord read_record(const RecordInput& input, const ReadOptions& options) {
    const std::string where = input.paths.empty() ? input.stem : input.paths.front();
    if (input.format != InputFormat::mseed && input.paths.size() != 3) {
        fail(where, "component missing: a record takes three files, not " +
                        std::to_string(input.paths.size()));
    }
    WaveformRecord record;
    std::optional<std::int64_t> knet_start;
    switch (input.format) {
        case InputFormat::knet:
            record = record_of(input, read_knet_set(input, options, knet_start));
            record.start_us = knet_start;
            break;
        case InputFormat::at2:
            record = record_of(input, read_at2_set(input));
            break;
        case InputFormat::sac:
            record = record_of(input, read_sac_set(input));
            break;
        case InputFormat::mseed:
            record = read_mseed_set(input);
            break;
        case InputFormat::esm:
            record = record_of(input, aligned_to_common_start(input, read_esm_set(input)));
            break;
        case InputFormat::geonet:
        case InputFormat::cwa:
        case InputFormat::afad:
        case InputFormat::unam:
        case InputFormat::renadic:
        case InputFormat::bhrc:
            record = record_of(input,
                               aligned_to_common_start(input, read_whole_file_set(input, options)));
            break;
        case InputFormat::csmip:
            record =
                record_of(input, aligned_to_common_start(input, read_csmip_set(input, options)));
            break;
        case InputFormat::smc:
            record = record_of(input, aligned_to_common_start(input, read_smc_set(input)));
            break;
        case InputFormat::cosmos:
            record =
                record_of(input, aligned_to_common_start(input, read_cosmos_set(input, options)));
            break;
        default:
            fail(where,
                 "is not a record of K-NET, AT2, SAC, MiniSEED, ESM, COSMOS, SMC, GeoNet, CSMIP, "
                 "CWA, AFAD, UNAM, RENADIC or BHRC files");
    }
    cut_to_shortest(record, where);
    if (const auto& identity = record.components[0].identity) record.start_us = identity->start_us;
    return record;
}

}  // namespace wavespec::formats
