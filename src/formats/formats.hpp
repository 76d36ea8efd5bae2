// Records in the formats the recording networks deliver: K-NET/KiK-net ASCII, PEER AT2 (and
// VT2/DT2), SAC binary and MiniSEED. The paths a user gives are grouped into records of three
// components, each read into one WaveformRecord, which can be written as the tool's own CSV.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::formats {

enum class InputFormat {
    automatic,
    csv,
    knet,
    at2,
    sac,
    mseed,
    esm,
    cosmos,
    smc,
    geonet,
    csmip,
    cwa,
    afad,
    unam,
    renadic,
    bhrc
};

// "auto", "csv", "knet", "at2", "sac", "mseed", "esm", "cosmos", "smc", "geonet", "csmip",
// "cwa", "afad", "unam", "renadic" or "bhrc"; nothing for any other name.
std::optional<InputFormat> input_format_named(std::string_view name);
std::string_view input_format_name(InputFormat format);

// Where a component's samples come from, for formats that say it (SAC, MiniSEED): what
// station metadata is matched on.
struct ChannelIdentity {
    std::string network, station, location, channel;
    std::optional<std::int64_t> start_us;  // the first sample's time, microseconds since 1970
    std::string physical_units;  // SAC: "displacement", "velocity" or "acceleration" if so marked
};

struct ComponentTrace {
    std::string name;  // one plain word of at most 20 characters
    std::vector<double> samples;
    std::optional<ChannelIdentity> identity;
    // What the file says of the component, where it says it: its code as written (a channel
    // code, "N-S", "360"), its azimuth in degrees clockwise from north and its dip in degrees
    // below the horizontal (a vertical pointing up has azimuth 0 and dip -90, as in SEED).
    std::optional<std::string> code;
    std::optional<double> azimuth, dip;
};

// The ground motion a record's samples are.
enum class Quantity { acceleration, velocity, displacement };
std::string_view quantity_name(Quantity quantity);   // "acceleration", "velocity", ...
std::string_view quantity_units(Quantity quantity);  // "cm/s/s", "cm/s" or "cm"

// A number the file's header states of the record (a peak and when it happens), as typed.
struct StatedValue {
    std::string component;  // the component's code or name
    std::string quantity;   // "acceleration", "velocity" or "displacement"
    double value = 0.0;
    std::optional<double> time;  // s from the first sample, where stated
    std::string units;           // as the samples' units ("cm/s/s", ...)
};

// The corners of the filter an agency applied to a processed record, in Hz.
struct FilterCorners {
    std::optional<double> highpass, lowpass;
};

struct WaveformRecord {
    std::string stem;                          // the record's name (common stem of its files)
    double dt = 0.0;                           // sampling interval in s
    std::array<ComponentTrace, 3> components;  // N/E/Z or horizontal, horizontal, vertical
    // The first sample's time in UTC, microseconds since 1970, where the files give it: K-NET's
    // Record Time less its 15 s pre-trigger, SAC's reference time plus b and MiniSEED's start,
    // each of the first component.
    std::optional<std::int64_t> start_us;
    std::vector<std::string> notes;  // one-line notes for standard error
    // What the files say of the record: the format read (with its version or kind: "knet",
    // "at2", "vt2", "sac", ...), the station's codes ("" where not given), the quantity and
    // units of the samples (nothing, "", where the format does not say) and the header's own
    // numbers.
    std::string format;
    std::string network, station, location;
    std::optional<Quantity> quantity;
    std::string units;
    std::vector<StatedValue> stated;
    std::optional<FilterCorners> filter;
};

// A user's error in an input file: what() is one line "FILE: PLACE: what is wrong" (PLACE is
// "line N" or "byte N"), or "FILE: what is wrong" where there is no place.
class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct RecordInput {
    std::string stem;
    InputFormat format = InputFormat::automatic;
    std::vector<std::string> paths;
    // MiniSEED: the channel group "NET.STA.LOC.CH" this record takes from the paths.
    std::string channel_group;
    // Formats of several channels a file (COSMOS): the channel each path gives, counted from
    // 0 in the file; empty where each path gives its only channel.
    std::vector<std::size_t> channels;
};

// Groups the paths into records; fails with the first file that makes none. Files of one-component
// formats are completed from their directory where the set can be found from one name (K-NET .NS ->
// .EW, .UD; NGA AT2 by RSN), each set once; a CSV path is a record of its own with format csv. With
// `automatic` each file's format is decided by its content.
// `chosen_channels` (from 0, in file order; --channels) picks the three channels of a file
// that holds more than three of one station; empty, such a file makes no record.
std::vector<RecordInput> group_record_inputs(std::span<const std::string> paths,
                                             InputFormat requested,
                                             std::span<const std::size_t> chosen_channels = {});

// The records the paths make, and one line for each file or set that makes none (a file whose
// name or header cannot be read, a set that cannot be completed): the others still make their
// records. Only names and headers are read here; MiniSEED files are parsed without their
// samples.
struct GroupedInputs {
    std::vector<RecordInput> records;
    std::vector<std::string> failures;  // "FILE: what is wrong", in the order of the paths
};
GroupedInputs group_each_record_input(std::span<const std::string> paths, InputFormat requested,
                                      std::span<const std::size_t> chosen_channels = {});

struct ReadOptions {
    bool keep_offset = false;  // K-NET: keep the mean of the counts instead of removing it
    // Files of several quantities (COSMOS V2): the one read.
    Quantity quantity = Quantity::acceleration;
    // Files of more than three channels of one station (--channels): the three, counted from
    // 0 in the file, that make the record; given to the grouping.
    std::vector<std::size_t> channels;
    // Records in counts kept as recorded, for station metadata to convert: COSMOS V0 counts
    // are not scaled by the file's own sensitivity.
    bool counts = false;
};

// Reads a record of any format but csv.
WaveformRecord read_record(const RecordInput& input, const ReadOptions& options);

// The tool's own CSV: "time,NAME1,NAME2,NAME3", then "t,v1,v2,v3" with t = double(i) * dt,
// every number the shortest text that reads back to the same double, lines ending "\n".
void write_record_csv(const WaveformRecord& record, std::string& out);

// True when this build reads MiniSEED (it needs libmseed).
bool mseed_supported();

}  // namespace wavespec::formats
