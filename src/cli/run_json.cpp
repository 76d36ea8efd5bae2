#include "cli/run_json.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/response_files.hpp"
#include "records/json_text.hpp"
#include "records/shortest_text.hpp"
#include "records/whole_file.hpp"

#ifndef WAVESPEC_VERSION
#define WAVESPEC_VERSION "unknown"
#endif
#ifndef WAVESPEC_SOURCE_COMMIT
#define WAVESPEC_SOURCE_COMMIT ""
#endif

namespace wavespec::cli {
namespace {

namespace fs = std::filesystem;

std::string number(double value) {
    return json::number(value);
}

std::string optional_text(const std::optional<std::string>& text) {
    return text ? json::quoted(*text) : "null";
}

template <typename Each>
std::string list(std::span<const Each> items, std::string (*text)(const Each&)) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + text(items[i]);
    return out + "]";
}

std::string number_of(const double& value) {
    return number(value);
}
std::string text_of(const std::string& value) {
    return json::quoted(value);
}
std::string flag_of(const bool& value) {
    return value ? "true" : "false";
}

std::string numbers(std::span<const double> values) {
    return list(values, &number_of);
}

std::string optional_number(const std::optional<double>& value) {
    return json::number(value);
}

// Members of one object, one to a line at the given indent.
class Members {
  public:
    explicit Members(std::string indent) : indent_(std::move(indent)) {}
    Members& add(std::string_view key, const std::string& value) {
        out_ += (out_.empty() ? "" : ",\n") + indent_ + json::quoted(key) + ": " + value;
        return *this;
    }
    std::string object() const {
        return "{\n" + out_ + "\n" + indent_.substr(0, indent_.size() - 2) + "}";
    }

  private:
    std::string indent_;
    std::string out_;
};

std::string_view operation_name(std::int32_t operation) {
    static constexpr std::string_view kNames[] = {"none", "integrate", "double-integrate",
                                                  "differentiate"};
    return kNames[operation];
}

std::string response_options(const ProcessOptions& options) {
    if (!options.response_spectra) return "null";
    std::vector<double> periods = response_periods(options);
    std::vector<double> dampings = response_dampings(options);
    return Members("      ")
        .add("periods", numbers(periods))
        .add("dampings", numbers(dampings))
        .add("oscillator", json::quoted(options.oscillator == response::Convention::piecewise_linear
                                            ? "piecewise-linear"
                                            : "band-limited"))
        .object();
}

std::string smoothing_options(const SmoothingOptions& s) {
    if (!s.window && !s.hv_window_seconds) return "null";
    smoothing::SmoothingWindow window = s.window_or_default();
    return Members("      ")
        .add("smooth",
             s.window ? json::quoted(window.kind == smoothing::WindowKind::parzen ? "parzen"
                                                                                  : "konno-ohmachi")
                      : "null")
        .add("width", number(window.width))
        .add("points", s.at_bins ? json::quoted("bins") : std::to_string(s.points_per_decade))
        .add("frequencies", numbers(s.frequencies))
        .add("hv", json::quoted(smoothing::horizontal_mean_name(s.mean)))
        .add("hv_windows", optional_number(s.hv_window_seconds))
        .add("hv_taper", number(s.hv_taper))
        .add("hv_range", s.hv_range ? numbers(*s.hv_range) : "null")
        .add("hv_reject", optional_number(s.hv_reject))
        .add("hv_azimuths", optional_number(s.hv_azimuth_step))
        .object();
}

std::string inventory_options(const InventoryOptions& inventory) {
    if (!inventory.inventory) return "null";
    const instrument::DeconvolutionSettings& d = inventory.deconvolution;
    return Members("      ")
        .add("units", json::quoted(instrument::quantity_name(d.wanted)))
        .add("water_level", d.water_level_db ? number(*d.water_level_db) : "null")
        .add("pre_filter", d.pre_filter ? numbers(*d.pre_filter) : "null")
        .add("rotate", flag_of(inventory.rotate))
        .object();
}

// The processing as asked, under the options' own names: the corners of --highpass and
// --lowpass, or where they come from (the noise, a table of corners: that table is listed
// among the metadata files), so that --resume redoes a record processed otherwise.
std::string processing_options(const ProcessingOptions& p) {
    if (!p.asked) return "null";
    static constexpr std::string_view kDetrend[] = {"none", "demean", "linear"};
    static constexpr std::string_view kSources[] = {"options", "snr", "table"};
    const processing::ProcessingSteps& steps = p.steps;
    const processing::ComponentFilters& filters = steps.filters[0];
    const bool from_options = p.corner_source == CornerSource::options;
    auto corner = [](const std::optional<processing::Corner>& c) {
        return c ? number(c->hz) : std::string("null");
    };
    auto order = [&](const std::optional<processing::Corner>& c) {
        if (!from_options) return std::to_string(p.corner_order);
        return c ? std::to_string(c->order) : std::string("null");
    };
    bool filtered = filters.highpass || filters.lowpass || !from_options;
    bool snr = p.corner_source == CornerSource::snr;
    return Members("      ")
        .add("detrend", json::quoted(kDetrend[static_cast<int>(steps.detrend)]))
        .add("taper", number(steps.taper))
        .add("pad", !steps.pad             ? "null"
                    : steps.pad->transient ? json::quoted("auto")
                                           : number(steps.pad->seconds))
        .add("highpass", corner(filters.highpass))
        .add("highpass_order", order(filters.highpass))
        .add("lowpass", corner(filters.lowpass))
        .add("lowpass_order", order(filters.lowpass))
        .add("filter", filtered ? json::quoted(steps.causal ? "causal" : "acausal") : "null")
        .add("baseline", steps.baseline ? json::quoted("polynomial") : "null")
        .add("corner_source", json::quoted(kSources[static_cast<int>(p.corner_source)]))
        .add("signal_start", snr ? optional_number(p.signal_start) : "null")
        .add("snr_threshold", snr ? number(p.snr.threshold) : "null")
        .add("snr_band", snr ? numbers(std::vector<double>{p.snr.low, p.snr.high}) : "null")
        .object();
}

// The options that change the files, each in one form whichever way it was typed.
std::string options_object(const ProcessOptions& options) {
    return Members("    ")
        .add("invert", list(std::span<const bool>(options.invert), &flag_of))
        .add("bandpass", options.bandpass ? numbers(*options.bandpass) : "null")
        .add("operation", json::quoted(operation_name(options.operation)))
        .add("window", options.window ? numbers(*options.window) : "null")
        .add("skip", std::to_string(options.skip))
        .add("output", json::quoted(options.output))
        .add("layout", json::quoted(options.layout == FileLayout::full ? "full" : "legacy"))
        .add("dumps", flag_of(options.dumps))
        .add("plot", flag_of(options.plot))
        .add("keep_offset", flag_of(options.read.keep_offset))
        .add("processing", processing_options(options.processing))
        .add("response_spectra", response_options(options))
        .add("smoothing", smoothing_options(options.smoothing))
        .add("inventory", inventory_options(options.inventory))
        .object();
}

std::string tool_object() {
    return "{\"name\": \"wavespec\", \"version\": " + json::quoted(WAVESPEC_VERSION) +
           ", \"commit\": " + json::quoted(WAVESPEC_SOURCE_COMMIT) + "}";
}

std::int64_t modification_ns(const fs::path& path) {
#if defined(_LIBCPP_VERSION)
    // libc++'s file clock (the WebAssembly build's) counts from 1970 and has no to_sys.
    auto since_1970 = fs::last_write_time(path).time_since_epoch();
#else
    auto since_1970 = std::chrono::file_clock::to_sys(fs::last_write_time(path)).time_since_epoch();
#endif
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since_1970).count();
}

std::string input_file(const std::string& path) {
    return "{\"name\": " + json::quoted(fs::path(path).filename().string()) +
           ", \"size\": " + std::to_string(fs::file_size(path)) +
           ", \"mtime_ns\": " + std::to_string(modification_ns(path)) + "}";
}

std::string input_files(std::span<const std::string> paths) {
    if (paths.empty()) return "[]";
    std::string out = "[";
    for (std::size_t i = 0; i < paths.size(); ++i) {
        out += std::string(i ? "," : "") + "\n    " + input_file(paths[i]);
    }
    return out + "\n  ]";
}

// The files beside the record that its run read: the station metadata of --inventory and the
// table of --corners=FILE.csv.
std::vector<std::string> metadata_paths(const ProcessOptions& options) {
    std::vector<std::string> paths;
    if (options.inventory.inventory) paths.push_back(*options.inventory.inventory);
    if (options.processing.corner_source == CornerSource::table) {
        paths.push_back(options.processing.table_path);
    }
    return paths;
}

std::string sized_file(const SizedFile& file) {
    return "{\"name\": " + json::quoted(file.name) + ", \"size\": " + std::to_string(file.size) +
           "}";
}

std::string output_files(std::span<const SizedFile> outputs) {
    std::string out = "[";
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        out += std::string(i ? "," : "") + "\n    " + sized_file(outputs[i]);
    }
    return out + "\n  ]";
}

std::string record_object(const RecordJob& job, const RecordDescription& record) {
    return Members("    ")
        .add("stem", json::quoted(job.stem))
        .add("format", json::quoted(formats::input_format_name(job.input.format)))
        .add("network", optional_text(record.network))
        .add("station", optional_text(record.station))
        .add("location", optional_text(record.location))
        .add("components", list(std::span<const std::string>(record.components), &text_of))
        .add("units", optional_text(record.units))
        .add("quantity", optional_text(record.quantity))
        .add("start", record.start_us ? json::quoted(iso_time_text(*record.start_us)) : "null")
        .add("dt", number(record.dt))
        .add("nt", std::to_string(record.nt))
        .add("notes", list(std::span<const std::string>(record.notes), &text_of))
        .object();
}

// The parts of run.json an earlier run must share for its files to be this run's.
bool same_making(const json::Value& earlier, const json::Value& now) {
    for (const char* key : {"tool", "options", "inputs", "metadata"}) {
        const json::Value* a = earlier.find(key);
        if (a == nullptr || !(*a == *now.find(key))) return false;
    }
    const json::Value* record = earlier.find("record");
    if (record == nullptr) return false;
    for (const char* key : {"stem", "format"}) {
        const json::Value* a = record->find(key);
        if (a == nullptr || !(*a == *now.find("record")->find(key))) return false;
    }
    return true;
}

}  // namespace

bool listed_outputs_present(const json::Value& run, const fs::path& directory,
                            std::string* missing) {
    const json::Value* outputs = run.find("outputs");
    if (outputs == nullptr || outputs->kind != json::Value::Kind::array) return false;
    for (const json::Value& file : outputs->items) {
        const json::Value* name = file.find("name");
        const json::Value* size = file.find("size");
        if (name == nullptr || size == nullptr || name->kind != json::Value::Kind::string ||
            !size->integer() || name->text.find_first_of("/\\") != std::string::npos) {
            return false;
        }
        std::error_code error;
        fs::path path = directory / name->text;
        bool present = fs::is_regular_file(fs::symlink_status(path, error));
        std::uintmax_t found = present ? fs::file_size(path, error) : 0;
        if (!present || error || found != static_cast<std::uintmax_t>(*size->integer())) {
            if (missing != nullptr) *missing = name->text;
            return false;
        }
    }
    return true;
}

std::string iso_time_text(std::int64_t microseconds) {
    std::int64_t days = microseconds / 86'400'000'000;
    std::int64_t rest = microseconds % 86'400'000'000;
    if (rest < 0) {
        rest += 86'400'000'000;
        --days;
    }
    // Days since 1970 to the proleptic Gregorian calendar (H. Hinnant's civil_from_days).
    std::int64_t z = days + 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld.%06lldZ",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(rest / 3'600'000'000),
                  static_cast<long long>(rest / 60'000'000 % 60),
                  static_cast<long long>(rest / 1'000'000 % 60),
                  static_cast<long long>(rest % 1'000'000));
    return text;
}

std::string run_json_text(const RecordJob& job, const ProcessOptions& options,
                          const RecordDescription& record, std::span<const SizedFile> outputs) {
    return "{\n  \"tool\": " + tool_object() + ",\n  \"record\": " + record_object(job, record) +
           ",\n  \"options\": " + options_object(options) +
           ",\n  \"inputs\": " + input_files(job.input.paths) +
           ",\n  \"metadata\": " + input_files(metadata_paths(options)) +
           ",\n  \"outputs\": " + output_files(outputs) + "\n}\n";
}

bool earlier_run_complete(const RecordJob& job, const ProcessOptions& options) {
    std::string text;
    if (read_whole_file((job.target / kRunFileName).string(), text)) return false;
    std::optional<json::Value> earlier = json::parse(text);
    if (!earlier || earlier->kind != json::Value::Kind::object) return false;
    std::optional<json::Value> now;
    try {
        now = json::parse(run_json_text(job, options, {}, {}));
    } catch (const fs::filesystem_error&) {
        return false;  // an input that cannot be looked at: the run says why
    }
    return now && same_making(*earlier, *now) && listed_outputs_present(*earlier, job.target);
}

}  // namespace wavespec::cli
