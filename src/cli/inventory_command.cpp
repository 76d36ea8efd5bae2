#include "cli/inventory_command.hpp"

#include <cstdio>

#include "cli/command_line.hpp"
#include "cli/inventory_options.hpp"
#include "cli/smoothing_options.hpp"
#include "formats/file_trace.hpp"
#include "formats/formats.hpp"
#include "formats/mseed_segments.hpp"
#include "formats/stationxml_reader.hpp"
#include "instrument/epoch_matching.hpp"
#include "records/printable_text.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::cli {
namespace {

constexpr KnownOption kInventoryCommandOptions[] = {
    {"response", 0, true},
    {"frequencies", 0, true},
    {"units", 0, true},
    {"help", 'h', false},
};

constexpr double kDefaultLowestFrequency = 0.001;  // Hz
constexpr double kRateUnknownHighest = 100.0;      // Hz, when the channel gives no rate
constexpr std::size_t kDefaultFrequencyCount = 200;

struct InventoryRequest {
    std::string file;
    std::optional<ChannelRequest> channel;
    std::vector<double> frequencies;  // empty: the default grid up to the channel's Nyquist
    std::optional<instrument::Quantity> units;
    bool help = false;
};

InventoryRequest parse_inventory_request(std::span<const std::string> args) {
    ParsedArguments parsed = parse_options(args, kInventoryCommandOptions);
    InventoryRequest request;
    bool response_only = false;
    for (const ParsedOption& option : parsed.options) {
        if (option.long_name == "response") {
            request.channel = parse_channel_request(option.long_name, option.value);
        } else if (option.long_name == "frequencies") {
            request.frequencies = parse_frequencies(option.long_name, option.value);
            response_only = true;
        } else if (option.long_name == "units") {
            request.units = parse_quantity(option.long_name, option.value);
            response_only = true;
        } else if (option.long_name == "help") {
            request.help = true;
        }
    }
    if (request.help) return request;
    if (response_only && !request.channel) {
        throw UsageError("--frequencies and --units go with --response");
    }
    if (parsed.operands.size() != 1) throw UsageError("expected one StationXML file");
    request.file = parsed.operands.front();
    return request;
}

std::string time_text(std::int64_t us) {
    if (us == instrument::kOpenEnd) return "open";
    if (us == std::numeric_limits<std::int64_t>::min()) return "open";
    return formats::iso_time(us);
}

std::string optional_degrees(const std::optional<double>& value) {
    return value ? shortest_text(*value) : std::string("unknown");
}

// One line of the listing: the metadata's words (codes, units) may hold control characters,
// printed as their escapes so that no line of the listing splits.
void add_line(std::string& out, const std::string& text) {
    out += printable_line(text) + "\n";
}

void list_epoch(const instrument::ChannelEpoch& epoch, std::string& out) {
    add_line(out, epoch.code() + " from " + time_text(epoch.start_us) + " to " +
                      time_text(epoch.end_us));
    add_line(out, "  sample rate " + shortest_text(epoch.sample_rate) + " Hz, azimuth " +
                      optional_degrees(epoch.azimuth) + ", dip " + optional_degrees(epoch.dip));
    std::string units = !epoch.stages.empty() ? epoch.stages.front().input_units
                        : epoch.sensitivity   ? epoch.sensitivity->input_units
                                              : std::string();
    add_line(out, "  input units " + (units.empty() ? std::string("unknown") : units));
    if (epoch.sensitivity) {
        add_line(out, "  sensitivity " + shortest_text(epoch.sensitivity->value) + " at " +
                          shortest_text(epoch.sensitivity->frequency) + " Hz");
    } else {
        add_line(out, "  no sensitivity");
    }
    for (const instrument::Stage& stage : epoch.stages) {
        add_line(out, "  " + instrument::describe_stage(stage));
    }
    std::vector<std::string> warnings = instrument::response_warnings(epoch);
    if (warnings.empty()) {
        add_line(out, epoch.sensitivity && !epoch.stages.empty()
                          ? "  checks: units chain, gains agree with the sensitivity"
                          : "  checks: nothing to compare the sensitivity with");
    }
    for (const std::string& warning : warnings) add_line(out, "  warning: " + warning);
}

const instrument::ChannelEpoch& requested_epoch(const std::vector<instrument::ChannelEpoch>& epochs,
                                                const ChannelRequest& request) {
    instrument::ChannelAt wanted{request.network, request.station, request.location,
                                 request.channel, request.time_us.value_or(0)};
    if (request.time_us) return instrument::epoch_at(epochs, wanted, request.time_text);
    // Without a time the channel must have one epoch only.
    const instrument::ChannelEpoch* found = nullptr;
    std::size_t count = 0;
    for (const instrument::ChannelEpoch& epoch : epochs) {
        if (epoch.network == wanted.network && epoch.station == wanted.station &&
            epoch.location == wanted.location && epoch.channel == wanted.channel) {
            found = &epoch;
            ++count;
        }
    }
    std::string code =
        wanted.network + "." + wanted.station + "." + wanted.location + "." + wanted.channel;
    if (count == 0) throw instrument::ResponseError(code + ": not in the inventory");
    if (count > 1) {
        throw instrument::ResponseError(code + ": " + std::to_string(count) +
                                        " epochs; give one time as " + code + "@TIME");
    }
    return *found;
}

void write_response(const instrument::ChannelEpoch& epoch, const InventoryRequest& request,
                    std::string& out) {
    instrument::Quantity quantity = request.units.value_or(instrument::input_quantity(epoch));
    std::vector<double> frequencies = request.frequencies;
    if (frequencies.empty()) {
        double highest = epoch.sample_rate > 0.0 ? epoch.sample_rate / 2.0 : kRateUnknownHighest;
        frequencies =
            smoothing::log_spaced_between(kDefaultLowestFrequency, highest, kDefaultFrequencyCount);
    }
    out += "frequency(Hz),amplitude,phase(deg)\n";
    for (double f : frequencies) {
        Complex value = instrument::response_to(epoch, f, quantity);
        double amplitude = modulus(value);
        if (!std::isfinite(amplitude)) {
            throw instrument::ResponseError(epoch.code() + ": the response at " + shortest_text(f) +
                                            " Hz is not finite");
        }
        out += shortest_text(f) + "," + shortest_text(amplitude) + "," +
               shortest_text(instrument::phase_degrees(value)) + "\n";
    }
}

}  // namespace

int run_inventory(std::span<const std::string> args) {
    InventoryRequest request;
    try {
        request = parse_inventory_request(args);
    } catch (const UsageError& error) {
        report_usage_error("inventory", error.what());
        return kUsageError;
    }
    if (request.help) return print_help("inventory");
    std::string out;
    try {
        auto epochs =
            formats::read_stationxml(request.file, formats::read_whole_file(request.file));
        if (request.channel) {
            const instrument::ChannelEpoch& epoch = requested_epoch(epochs, *request.channel);
            write_response(epoch, request, out);
        } else {
            for (const instrument::ChannelEpoch& epoch : epochs) list_epoch(epoch, out);
        }
    } catch (const formats::FormatError& error) {
        std::fprintf(stderr, "wavespec inventory: %s\n", printable_line(error.what()).c_str());
        return kSomeRecordFailed;
    } catch (const instrument::ResponseError& error) {
        std::fprintf(stderr, "wavespec inventory: %s: %s\n", printable_name(request.file).c_str(),
                     printable_line(error.what()).c_str());
        return kSomeRecordFailed;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("wavespec inventory: standard output: write error\n", stderr);
        return kSomeRecordFailed;
    }
    return kSuccess;
}

}  // namespace wavespec::cli
