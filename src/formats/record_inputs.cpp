// Grouping the user's paths into records of three components.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

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
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

namespace fs = std::filesystem;

struct Given {
    std::string path;
    std::size_t order;  // position among the user's paths
    std::string head;   // the file's beginning where it was read to tell the format
};

struct Grouped {
    std::size_t order;
    RecordInput input;
};

struct Failed {
    std::size_t order;
    std::string message;
    // A set that lacks files which failed themselves: reported after the files' own lines.
    bool follows_from_others = false;
};

// What the grouping of one format gives: its records and the files or sets that make none.
struct Outcome {
    std::vector<Grouped> records;
    std::vector<Failed> failures;

    // Runs one step of the grouping; a FormatError fails that step alone.
    template <typename Step>
    void attempt(std::size_t order, Step&& step, bool follows_from_others = false) {
        try {
            step();
        } catch (const FormatError& error) {
            failures.push_back({order, error.what(), follows_from_others});
        }
    }
};

std::string extension_of(const std::string& path) {
    std::string name = base_name(path);
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

constexpr std::size_t kHeadBytes = 4096;

// The beginning of a file: enough to tell its format by content and to hold a SAC header.
std::string read_head(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, std::string("cannot open: ") + std::strerror(errno));
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

InputFormat detect_format(std::string_view head) {
    if (looks_like_sac(head)) return InputFormat::sac;
    if (looks_like_knet(head)) return InputFormat::knet;
    if (looks_like_mseed(head)) return InputFormat::mseed;
    if (looks_like_cosmos(head)) return InputFormat::cosmos;
    if (looks_like_geonet(head)) return InputFormat::geonet;
    if (looks_like_esm(head)) return InputFormat::esm;
    if (looks_like_smc(head)) return InputFormat::smc;
    if (looks_like_csmip(head)) return InputFormat::csmip;
    if (looks_like_cwa(head)) return InputFormat::cwa;
    if (looks_like_afad(head)) return InputFormat::afad;
    if (looks_like_unam(head)) return InputFormat::unam;
    if (looks_like_renadic(head)) return InputFormat::renadic;
    if (looks_like_bhrc(head)) return InputFormat::bhrc;
    if (looks_like_at2(head)) return InputFormat::at2;
    return InputFormat::csv;
}

// K-NET: BASE.NS/.EW/.UD; KiK-net: BASE.NS1/.EW1/.UD1 (borehole) and .NS2/... (surface).
void group_knet(const std::vector<Given>& files, Outcome& outcome) {
    std::set<std::string> seen;
    for (const Given& given : files)
        outcome.attempt(given.order, [&] {
            std::string extension = extension_of(given.path);
            std::string kind = ascii_upper(extension);
            std::string site = kind.size() == 3 ? kind.substr(2) : "";
            std::string direction = kind.substr(0, 2);
            if ((kind.size() != 2 && !(kind.size() == 3 && (site == "1" || site == "2"))) ||
                (direction != "NS" && direction != "EW" && direction != "UD")) {
                fail(given.path,
                     "a K-NET file is named BASE.NS, .EW or .UD (KiK-net .NS1 or .NS2 and "
                     "so on), so that its set can be found");
            }
            std::string base = given.path.substr(0, given.path.size() - extension.size() - 1);
            if (!seen.insert(base + "|" + site).second) return;
            bool lower = std::islower(static_cast<unsigned char>(extension[0])) != 0;
            RecordInput input;
            input.format = InputFormat::knet;
            input.stem = file_stem(given.path);
            if (site == "1") input.stem += "-borehole";
            if (site == "2") input.stem += "-surface";
            for (std::string_view d : {"NS", "EW", "UD"}) {
                std::string sibling_extension = std::string(d) + site;
                if (lower) {
                    for (char& c : sibling_extension) c = static_cast<char>(std::tolower(c));
                }
                std::string sibling = base + "." + sibling_extension;
                std::error_code error;
                if (!fs::is_regular_file(sibling, error)) {
                    fail(given.path, "component missing: " + base_name(sibling) + " not found");
                }
                input.paths.push_back(sibling);
            }
            outcome.records.push_back({given.order, std::move(input)});
        });
}

RecordInput at2_record(std::vector<std::string> paths) {
    RecordInput input;
    input.format = InputFormat::at2;
    std::vector<std::string> stems;
    for (const std::string& path : paths) stems.push_back(file_stem(path));
    input.stem = common_stem(stems);
    input.paths = std::move(paths);
    return input;
}

// "RSN1063_..." gives 1063; other names nothing.
std::optional<std::string> rsn_of(const std::string& path) {
    std::string name = ascii_upper(base_name(path));
    if (!name.starts_with("RSN")) return std::nullopt;
    std::size_t end = 3;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end]))) ++end;
    if (end == 3 || end >= name.size() || name[end] != '_') return std::nullopt;
    return name.substr(0, end + 1);
}

// The files of one recording named the NGA way: those given and those beside them with the
// same RSN number and extension, ordered horizontal, horizontal, vertical.
std::vector<std::string> complete_rsn_set(const std::vector<std::string>& given,
                                          const std::string& rsn) {
    std::set<std::string> names(given.begin(), given.end());
    const std::string extension = ascii_upper(extension_of(given.front()));
    fs::path directory = fs::path(given.front()).parent_path();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory.empty() ? "." : directory, error)) {
        std::string name = entry.path().filename().string();
        if (ascii_upper(name).starts_with(rsn) && ascii_upper(extension_of(name)) == extension &&
            entry.is_regular_file(error)) {
            std::string path = directory.empty() ? name : (directory / name).string();
            bool known = std::any_of(names.begin(), names.end(), [&](const std::string& p) {
                std::error_code e;
                return fs::equivalent(p, path, e);
            });
            if (!known) names.insert(path);
        }
    }
    std::vector<std::string> set(names.begin(), names.end());
    if (set.size() != 3) {
        fail(given.front(), "component missing: the set " + rsn.substr(0, rsn.size() - 1) + " ." +
                                extension + " has " + std::to_string(set.size()) +
                                " files beside each other, not 3");
    }
    std::array<std::string, 3> components = at2_component_names(set);
    std::vector<std::string> horizontal, vertical;
    for (std::size_t i = 0; i < 3; ++i) {
        (is_vertical_at2_name(components[i]) ? vertical : horizontal).push_back(set[i]);
    }
    if (vertical.size() != 1) {
        fail(given.front(), "cannot tell the vertical component of " +
                                rsn.substr(0, rsn.size() - 1) + " (UP, V or DWN in one name)");
    }
    horizontal.push_back(vertical.front());
    return horizontal;
}

void group_at2(const std::vector<Given>& files, Outcome& outcome) {
    std::map<std::string, std::pair<std::size_t, std::vector<std::string>>> by_rsn;
    std::vector<Given> others;
    for (const Given& given : files) {
        if (auto rsn = rsn_of(given.path)) {
            std::string key = *rsn + "|" + ascii_upper(extension_of(given.path));
            auto [it, added] = by_rsn.try_emplace(key, given.order, std::vector<std::string>{});
            it->second.second.push_back(given.path);
        } else {
            others.push_back(given);
        }
    }
    for (auto& keyed : by_rsn) {
        // Named, not bound: lambdas may not capture structured bindings before clang 16.
        const std::string& key = keyed.first;
        auto& entry = keyed.second;
        outcome.attempt(entry.first, [&] {
            std::string rsn = key.substr(0, key.find('|'));
            outcome.records.push_back(
                {entry.first, at2_record(complete_rsn_set(entry.second, rsn))});
        });
    }
    std::size_t whole = others.size() - others.size() % 3;
    if (whole < others.size()) {
        outcome.attempt(others[whole].order, [&] {
            fail(others[whole].path,
                 "component missing: AT2 files not named RSN..._ make records three at a time, "
                 "and " +
                     std::to_string(others.size() - whole) + " are left over");
        });
    }
    for (std::size_t i = 0; i < whole; i += 3) {
        outcome.records.push_back({others[i].order, at2_record({others[i].path, others[i + 1].path,
                                                                others[i + 2].path})});
    }
}

void group_sac(const std::vector<Given>& files, Outcome& outcome) {
    struct Station {
        std::size_t order = 0;
        std::array<std::string, 3> paths;
        std::string refused;  // why the files make no record, when they cannot
    };
    std::map<std::string, Station> stations;
    std::vector<std::string> keys;  // in order of appearance
    for (const Given& given : files)
        outcome.attempt(given.order, [&] {
            // The header alone tells the station; the samples are read with the record.
            SacIdentity identity = read_sac_identity(
                given.path, given.head.empty() ? read_head(given.path) : given.head);
            if (identity.position < 0) {
                fail(given.path, "kcmpnm '" + identity.component +
                                     "' does not end in N, E, Z, 1 or 2 to tell the component");
            }
            std::string key = identity.station_key();
            auto [it, added] = stations.try_emplace(key);
            if (added) {
                it->second.order = given.order;
                keys.push_back(key);
            }
            std::string& slot = it->second.paths[static_cast<std::size_t>(identity.position)];
            if (!slot.empty() && it->second.refused.empty()) {
                it->second.refused = given.path + ": two files for one component of station " +
                                     key + ": " + base_name(slot) + " and " + base_name(given.path);
            }
            slot = given.path;
        });
    static constexpr std::array<std::string_view, 3> kLetters = {"N (or 1)", "E (or 2)", "Z"};
    for (const std::string& key : keys) {
        Station& station = stations[key];
        outcome.attempt(
            station.order,
            [&] {
                if (!station.refused.empty()) throw FormatError(station.refused);
                for (std::size_t c = 0; c < 3; ++c) {
                    if (station.paths[c].empty()) {
                        const std::string& any = station.paths[c == 0 ? 1 : 0].empty()
                                                     ? station.paths[2]
                                                     : station.paths[c == 0 ? 1 : 0];
                        fail(any, "component missing: no " + std::string(kLetters[c]) +
                                      " file of station " + key + " among the files given");
                    }
                }
                RecordInput input;
                input.format = InputFormat::sac;
                std::vector<std::string> stems;
                for (const std::string& path : station.paths) stems.push_back(file_stem(path));
                input.stem = common_stem(stems);
                input.paths.assign(station.paths.begin(), station.paths.end());
                outcome.records.push_back({station.order, std::move(input)});
            },
            true);
    }
}

// Files of one channel each (or of several, COSMOS): the channels of one station and
// instrument make a record, the vertical last, horizontals named N (or 1) and E (or 2) in that
// order, other horizontals in the order given.
struct ChannelOfSet {
    std::string key;    // the station and instrument
    int position = -1;  // 0, 1 or 2 where the code tells it; -1 for another horizontal
};

struct PlacedChannel {
    std::string path;
    std::size_t index = 0;  // in its file
};

// Of a file's channels, the chosen ones where it holds more than three of one station.
std::vector<std::pair<std::size_t, ChannelOfSet>> chosen_of(const std::string& path,
                                                            std::vector<ChannelOfSet> channels,
                                                            std::span<const std::size_t> chosen) {
    std::map<std::string, std::size_t> per_station;
    bool crowded = false;
    for (const ChannelOfSet& channel : channels) crowded |= ++per_station[channel.key] > 3;
    std::vector<std::pair<std::size_t, ChannelOfSet>> kept;
    if (!crowded || chosen.empty()) {
        for (std::size_t i = 0; i < channels.size(); ++i) kept.emplace_back(i, channels[i]);
        return kept;
    }
    for (std::size_t index : chosen) {
        if (index >= channels.size()) {
            fail(path, "holds " + std::to_string(channels.size()) +
                           " channels; --channels asks for " + std::to_string(index + 1));
        }
        kept.emplace_back(index, channels[index]);
    }
    return kept;
}

void group_station_channels(const std::vector<Given>& files, InputFormat format,
                            std::vector<ChannelOfSet> (*identify)(const std::string& path),
                            std::span<const std::size_t> chosen, Outcome& outcome) {
    struct Station {
        std::size_t order = 0;
        std::array<std::optional<PlacedChannel>, 3> placed;
        std::vector<PlacedChannel> horizontals;  // of no named place, in order
        std::size_t count = 0;
        std::string first_path;
        std::string refused;
    };
    std::map<std::string, Station> stations;
    std::vector<std::string> keys;
    bool several_in_a_file = false;
    for (const Given& given : files)
        outcome.attempt(given.order, [&] {
            std::vector<ChannelOfSet> all = identify(given.path);
            several_in_a_file = several_in_a_file || all.size() > 1;
            for (const auto& [i, channel] : chosen_of(given.path, std::move(all), chosen)) {
                auto [it, added] = stations.try_emplace(channel.key);
                Station& station = it->second;
                if (added) {
                    station.order = given.order;
                    station.first_path = given.path;
                    keys.push_back(channel.key);
                }
                ++station.count;
                PlacedChannel placed{given.path, i};
                if (channel.position < 0) {
                    station.horizontals.push_back(placed);
                    continue;
                }
                auto& slot = station.placed[static_cast<std::size_t>(channel.position)];
                if (slot && station.refused.empty()) {
                    station.refused = given.path + ": two channels for one component of " +
                                      channel.key + ": " + base_name(slot->path) + " and " +
                                      base_name(given.path);
                }
                slot = placed;
            }
        });
    for (const std::string& key : keys) {
        Station& station = stations[key];
        outcome.attempt(
            station.order,
            [&] {
                if (!station.refused.empty()) throw FormatError(station.refused);
                if (station.count != 3) {
                    fail(
                        station.first_path,
                        (station.count < 3 ? "component missing: " : "") + key + " has " +
                            std::to_string(station.count) +
                            " channels among the files given; a record takes 3" +
                            (station.count > 3 ? " (--channels=I,J,K picks three of a file)" : ""));
                }
                for (std::size_t c = 0; c < 2; ++c) {
                    if (!station.placed[c] && !station.horizontals.empty()) {
                        station.placed[c] = station.horizontals.front();
                        station.horizontals.erase(station.horizontals.begin());
                    }
                }
                if (!station.placed[2] || !station.horizontals.empty()) {
                    fail(station.first_path, "component missing: no vertical channel of " + key +
                                                 " among the files given");
                }
                RecordInput input;
                input.format = format;
                std::vector<std::string> stems;
                for (const auto& placed : station.placed) {
                    stems.push_back(file_stem(placed->path));
                    input.paths.push_back(placed->path);
                    input.channels.push_back(placed->index);
                }
                input.stem = common_stem(stems);
                if (!several_in_a_file) input.channels.clear();
                outcome.records.push_back({station.order, std::move(input)});
            },
            true);
    }
}

std::vector<ChannelOfSet> esm_channel(const std::string& path) {
    EsmIdentity identity = read_esm_identity(path, read_whole_file(path));
    return {{identity.set_key(), component_position(identity.stream)}};
}

std::vector<ChannelOfSet> cosmos_channels(const std::string& path) {
    std::vector<ChannelOfSet> channels;
    for (const CosmosChannel& channel :
         read_cosmos(path, read_whole_file(path), Quantity::acceleration, true)) {
        channels.push_back({channel.set_key, channel.position});
    }
    return channels;
}

std::vector<ChannelOfSet> csmip_channels(const std::string& path) {
    std::vector<ChannelOfSet> channels;
    for (const CsmipChannel& channel :
         read_csmip(path, read_whole_file(path), Quantity::acceleration)) {
        channels.push_back({channel.set_key, channel.position});
    }
    return channels;
}

std::vector<ChannelOfSet> smc_channel(const std::string& path) {
    SmcChannel channel = read_smc(path, read_whole_file(path));
    return {{channel.set_key, channel.position}};
}

// A file that holds its station's three components (GeoNet, CWA, AFAD, UNAM, RENADIC,
// BHRC): a record of its own.
void group_whole_files(const std::vector<Given>& files, InputFormat format, Outcome& outcome) {
    for (const Given& given : files) {
        RecordInput input;
        input.format = format;
        input.stem = file_stem(given.path);
        input.paths = {given.path, given.path, given.path};
        input.channels = {0, 1, 2};
        outcome.records.push_back({given.order, std::move(input)});
    }
}

void group_mseed(const std::vector<Given>& files, Outcome& outcome) {
    std::vector<std::string> groups;
    std::map<std::string, std::pair<std::size_t, std::vector<std::string>>> paths_of;
    // A group with a file that cannot be read would lack that file's samples: it fails too.
    std::map<std::string, std::string> unreadable_file_of;
    std::string without_samples;  // the first file read that holds none
    for (const Given& given : files) {
        std::vector<std::string> found;
        outcome.attempt(given.order, [&] {
            try {
                collect_mseed_channel_groups(given.path, read_whole_file(given.path), found);
            } catch (const FormatError&) {
                for (const std::string& group : found)
                    unreadable_file_of.emplace(group, given.path);
                throw;
            }
            if (found.empty() && without_samples.empty()) without_samples = given.path;
            for (const std::string& group : found) {
                auto [it, added] =
                    paths_of.try_emplace(group, given.order, std::vector<std::string>{});
                if (added) groups.push_back(group);
                it->second.second.push_back(given.path);
            }
        });
    }
    if (groups.empty() && !without_samples.empty()) {
        outcome.attempt(files.front().order, [&] { fail(without_samples, "no MiniSEED samples"); });
    }
    for (const std::string& group : groups) {
        auto& [order, paths] = paths_of[group];
        if (auto unreadable = unreadable_file_of.find(group);
            unreadable != unreadable_file_of.end()) {
            outcome.failures.push_back({order,
                                        paths.front() + ": the channel group " + group +
                                            " is not read: its file " + unreadable->second +
                                            " cannot be read",
                                        true});
            continue;
        }
        RecordInput input;
        input.format = InputFormat::mseed;
        input.channel_group = group;
        input.paths = paths;
        if (groups.size() == 1) {
            std::vector<std::string> stems;
            for (const std::string& path : input.paths) stems.push_back(file_stem(path));
            input.stem = common_stem(stems);
        } else {
            input.stem = plain_word(group, "mseed");
        }
        outcome.records.push_back({order, std::move(input)});
    }
}

}  // namespace

GroupedInputs group_each_record_input(std::span<const std::string> paths, InputFormat requested,
                                      std::span<const std::size_t> chosen_channels) {
    std::map<InputFormat, std::vector<Given>> by_format;
    std::set<std::string> seen;
    Outcome outcome;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!seen.insert(paths[i]).second) continue;
        outcome.attempt(i, [&] {
            Given given{paths[i], i, {}};
            InputFormat format = requested;
            if (requested == InputFormat::automatic) {
                given.head = read_head(paths[i]);
                format = detect_format(given.head);
            }
            if (format == InputFormat::csv) {
                outcome.records.push_back(
                    {i, RecordInput{file_stem(paths[i]), InputFormat::csv, {paths[i]}, {}, {}}});
            } else {
                by_format[format].push_back(std::move(given));
            }
        });
    }
    group_knet(by_format[InputFormat::knet], outcome);
    group_at2(by_format[InputFormat::at2], outcome);
    group_sac(by_format[InputFormat::sac], outcome);
    group_mseed(by_format[InputFormat::mseed], outcome);
    group_station_channels(by_format[InputFormat::esm], InputFormat::esm, esm_channel, {}, outcome);
    group_station_channels(by_format[InputFormat::cosmos], InputFormat::cosmos, cosmos_channels,
                           chosen_channels, outcome);
    group_station_channels(by_format[InputFormat::smc], InputFormat::smc, smc_channel, {}, outcome);
    group_station_channels(by_format[InputFormat::csmip], InputFormat::csmip, csmip_channels,
                           chosen_channels, outcome);
    for (InputFormat format : {InputFormat::geonet, InputFormat::cwa, InputFormat::afad,
                               InputFormat::unam, InputFormat::renadic, InputFormat::bhrc}) {
        group_whole_files(by_format[format], format, outcome);
    }
    std::stable_sort(outcome.records.begin(), outcome.records.end(),
                     [](const Grouped& a, const Grouped& b) { return a.order < b.order; });
    std::stable_sort(outcome.failures.begin(), outcome.failures.end(),
                     [](const Failed& a, const Failed& b) {
                         return std::pair(a.follows_from_others, a.order) <
                                std::pair(b.follows_from_others, b.order);
                     });
    GroupedInputs result;
    for (Grouped& grouped : outcome.records) result.records.push_back(std::move(grouped.input));
    for (Failed& failed : outcome.failures) result.failures.push_back(std::move(failed.message));
    return result;
}

std::vector<RecordInput> group_record_inputs(std::span<const std::string> paths,
                                             InputFormat requested,
                                             std::span<const std::size_t> chosen_channels) {
    GroupedInputs grouped = group_each_record_input(paths, requested, chosen_channels);
    if (!grouped.failures.empty()) throw FormatError(grouped.failures.front());
    return std::move(grouped.records);
}

}  // namespace wavespec::formats
