#include "cli/processing_options.hpp"

#include "cli/option_values.hpp"
#include "records/shortest_text.hpp"

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

void check_processing_options(const ProcessingOptions& options) {
    const processing::ComponentFilters& filters = options.steps.filters[0];
    if (options.steps.pad && options.steps.pad->transient && !filters.highpass) {
        throw UsageError("--pad=auto needs --highpass (or give --pad=SECONDS)");
    }
    if (options.filter_given && !filters.highpass && !filters.lowpass) {
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
    if (filters.highpass || filters.lowpass) {
        add(std::string("filter=") + (steps.causal ? "causal" : "acausal"));
    }
    if (steps.baseline) add("baseline=polynomial");
    return text;
}

std::vector<std::string> processing_file_names(const ProcessingOptions& options) {
    if (!options.asked) return {};
    return {kProcessingFileNames[0].data(), kProcessingFileNames[1].data()};
}

}  // namespace wavespec::cli
