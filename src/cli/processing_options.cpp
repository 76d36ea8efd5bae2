#include "cli/processing_options.hpp"

#include <cmath>
#include <filesystem>

#include "cli/option_values.hpp"
#include "records/csv_fields.hpp"
#include "records/number_chars.hpp"
#include "records/shortest_text.hpp"
#include "records/whole_file.hpp"

namespace wavespec::cli {
namespace {

processing::Detrend parse_detrend(const std::string& value) {
    if (value == "demean") return processing::Detrend::demean;
    if (value == "linear") return processing::Detrend::linear;
    throw UsageError("invalid value '" + value + "' for --detrend: expected demean or linear");
}

// "FC[,ORDER]", ORDER 4 when not given.
processing::Corner parse_corner(std::string_view name, const std::string& value) {
    const std::string_view text = value;
    const std::size_t comma = text.find(',');
    processing::Corner corner;
    corner.hz = read_in_range(value_range(name, "FC"), text, text.substr(0, comma));
    if (comma != std::string_view::npos) {
        corner.order = static_cast<int>(
            read_in_range(value_range(name, "ORDER"), text, text.substr(comma + 1)));
    }
    return corner;
}

processing::PadRequest parse_pad(const std::string& value) {
    if (value == "auto") return {.transient = true};
    return {.transient = false, .seconds = parse_in_range(value_range("pad", "SECONDS"), value)};
}

// A corner of the table: a finite number above zero, or nullopt.
std::optional<double> table_corner(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = read_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value) ||
        !(value > 0.0)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::vector<CornerRow> read_corner_table(const std::string& path) {
    std::string content;
    if (auto why = read_whole_file(path, content)) {
        throw UsageError("--corners: cannot read " + path + ": " + *why);
    }
    std::vector<CornerRow> rows;
    std::size_t line_number = 0;
    for (std::size_t at = 0; at < content.size();) {
        std::size_t end = content.find('\n', at);
        if (end == std::string::npos) end = content.size();
        std::string_view line(content.data() + at, end - at);
        at = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string place = path + ":" + std::to_string(line_number);
        auto fields = csv_fields(line);
        if (line_number == 1) {
            if (!fields || *fields != std::vector<std::string>{"record", "highpass", "lowpass"}) {
                throw UsageError("--corners: " + place +
                                 ": expected the header record,highpass,lowpass");
            }
            continue;
        }
        if (line.empty()) continue;
        if (!fields || fields->size() != 3) {
            throw UsageError("--corners: " + place + ": expected record,highpass,lowpass");
        }
        auto high = table_corner((*fields)[1]), low = table_corner((*fields)[2]);
        if (!high || !low || *low < *high) {
            throw UsageError("--corners: " + place +
                             ": the corners must be finite, above zero, the low-pass at or "
                             "above the high-pass");
        }
        rows.push_back({(*fields)[0], *high, *low});
    }
    return rows;
}

namespace {

// "snr[,ORDER]" or the path of a table.
void parse_corners(const std::string& value, ProcessingOptions& options) {
    const std::string_view text = value;
    if (text == "snr" || text.starts_with("snr,")) {
        options.corner_source = CornerSource::snr;
        if (text.size() > 3) {
            options.corner_order = static_cast<int>(
                read_in_range(value_range("corners", "ORDER"), text, text.substr(4)));
        }
        return;
    }
    if (value.empty()) throw UsageError("--corners needs snr[,ORDER] or a table's file name");
    options.corner_source = CornerSource::table;
    options.table_path = value;
    options.table = read_corner_table(value);
}

std::array<double, 2> parse_snr_band(const std::string& value) {
    const std::string_view text = value;
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) refuse_value("snr-band", value, "expected F1,F2");
    const double low = read_in_range(value_range("snr-band", "F1"), text, text.substr(0, comma));
    const double high = read_in_range(value_range("snr-band", "F2"), text, text.substr(comma + 1));
    if (!(high >= low)) refuse_value("snr-band", value, "expected F1 <= F2");
    return {low, high};
}

std::string corner_text(const processing::Corner& corner) {
    return shortest_text(corner.hz) + "," + std::to_string(corner.order);
}

}  // namespace

bool take_processing_option(std::string_view name, const std::string& value,
                            ProcessingOptions& options) {
    processing::ProcessingSteps& steps = options.steps;
    if (name == "detrend") {
        steps.detrend = parse_detrend(value);
    } else if (name == "taper") {
        steps.taper = parse_in_range(value_range(name, "FRACTION"), value);
    } else if (name == "pad") {
        steps.pad = parse_pad(value);
    } else if (name == "highpass" || name == "lowpass") {
        const processing::Corner corner = parse_corner(name, value);
        for (processing::ComponentFilters& filters : steps.filters) {
            (name == "highpass" ? filters.highpass : filters.lowpass) = corner;
        }
    } else if (name == "filter") {
        if (value != "acausal" && value != "causal") {
            throw UsageError("invalid value '" + value +
                             "' for --filter: expected acausal or causal");
        }
        steps.causal = value == "causal";
        options.filter_given = true;
    } else if (name == "corners") {
        parse_corners(value, options);
    } else if (name == "signal-start") {
        options.signal_start = parse_in_range(value_range(name, "SECONDS"), value);
    } else if (name == "snr-threshold") {
        options.snr.threshold = parse_in_range(value_range(name, "R"), value);
        options.snr_threshold_given = true;
    } else if (name == "snr-band") {
        const auto band = parse_snr_band(value);
        options.snr.low = band[0];
        options.snr.high = band[1];
        options.snr_band_given = true;
    } else if (name == "baseline") {
        if (value != "polynomial") {
            throw UsageError("invalid value '" + value + "' for --baseline: expected polynomial");
        }
        steps.baseline = true;
    } else {
        return false;
    }
    options.asked = true;
    return true;
}

namespace {

// --corners against the options it replaces or needs.
void check_corner_options(const ProcessingOptions& options) {
    const processing::ComponentFilters& filters = options.steps.filters[0];
    if (options.corner_source != CornerSource::options && (filters.highpass || filters.lowpass)) {
        throw UsageError("--corners chooses the corners: give it without --highpass and --lowpass");
    }
    const bool snr = options.corner_source == CornerSource::snr;
    if (snr && !options.signal_start) {
        throw UsageError("--corners=snr needs --signal-start, the time of the first arrival");
    }
    if (!snr && (options.signal_start || options.snr_threshold_given || options.snr_band_given)) {
        throw UsageError("--signal-start, --snr-threshold and --snr-band go with --corners=snr");
    }
}

}  // namespace

void check_processing_options(const ProcessingOptions& options) {
    check_corner_options(options);
    const bool chosen_corners = options.corner_source != CornerSource::options;
    const processing::ComponentFilters& filters = options.steps.filters[0];
    if (options.steps.pad && options.steps.pad->transient && !filters.highpass && !chosen_corners) {
        throw UsageError("--pad=auto needs --highpass (or give --pad=SECONDS)");
    }
    if (options.filter_given && !filters.highpass && !filters.lowpass && !chosen_corners) {
        throw UsageError("--filter needs --highpass or --lowpass");
    }
    if (filters.highpass && filters.lowpass && filters.lowpass->hz < filters.highpass->hz) {
        throw UsageError("the --lowpass corner " + shortest_text(filters.lowpass->hz) +
                         " Hz is below the --highpass corner " +
                         shortest_text(filters.highpass->hz) + " Hz");
    }
}

std::string ProcessingOptions::steps_text() const {
    static constexpr const char* kDetrend[] = {"", "demean", "linear"};
    std::string text;
    auto add = [&text](const std::string& option) {
        text += (text.empty() ? "--" : " --") + option;
    };
    if (steps.detrend != processing::Detrend::none) {
        add(std::string("detrend=") + kDetrend[static_cast<int>(steps.detrend)]);
    }
    if (steps.taper > 0.0) add("taper=" + shortest_text(steps.taper));
    if (steps.pad)
        add("pad=" + (steps.pad->transient ? "auto" : shortest_text(steps.pad->seconds)));
    const processing::ComponentFilters& filters = steps.filters[0];
    if (filters.highpass) add("highpass=" + corner_text(*filters.highpass));
    if (filters.lowpass) add("lowpass=" + corner_text(*filters.lowpass));
    if (corner_source == CornerSource::snr) {
        add("corners=snr," + std::to_string(corner_order));
        add("signal-start=" + shortest_text(*signal_start));
        add("snr-threshold=" + shortest_text(snr.threshold));
        add("snr-band=" + shortest_text(snr.low) + "," + shortest_text(snr.high));
    }
    if (corner_source == CornerSource::table) add("corners=" + table_path);
    if (filters.highpass || filters.lowpass || corner_source != CornerSource::options) {
        add(std::string("filter=") + (steps.causal ? "causal" : "acausal"));
    }
    if (steps.baseline) add("baseline=polynomial");
    return text;
}

const CornerRow* ProcessingOptions::table_row(const std::string& record) const {
    const std::filesystem::path path(record);
    const std::string file = path.filename().string(), stem = path.stem().string();
    for (const CornerRow& row : table) {
        if (row.record == record || row.record == file || row.record == stem) return &row;
    }
    return nullptr;
}

}  // namespace wavespec::cli
