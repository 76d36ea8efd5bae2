#include "cli/smoothing_options.hpp"

#include "cli/option_values.hpp"

namespace wavespec::cli {
namespace {

// "konno-ohmachi[:B]" or "parzen[:BW]".
smoothing::SmoothingWindow parse_window(const std::string& value) {
    std::string_view text = value;
    std::string_view kind = text.substr(0, text.find(':'));
    smoothing::SmoothingWindow window;
    if (kind == "konno-ohmachi") {
        window = {smoothing::WindowKind::konno_ohmachi, smoothing::kDefaultKonnoOhmachiB};
    } else if (kind == "parzen") {
        window = {smoothing::WindowKind::parzen, smoothing::kDefaultParzenBandwidth};
    } else {
        throw UsageError("invalid value '" + value +
                         "' for --smooth: expected konno-ohmachi[:B] or parzen[:BW]");
    }
    if (kind.size() < text.size()) {
        const ValueRange& range =
            value_range("smooth", window.kind == smoothing::WindowKind::parzen ? "BW" : "B");
        window.width = read_in_range(range, text, text.substr(kind.size() + 1));
    }
    return window;
}

smoothing::HorizontalMean parse_mean(const std::string& value) {
    if (value == "geometric") return smoothing::HorizontalMean::geometric;
    if (value == "quadratic") return smoothing::HorizontalMean::quadratic;
    if (value == "arithmetic") return smoothing::HorizontalMean::arithmetic;
    if (value == "total") return smoothing::HorizontalMean::total;
    throw UsageError("invalid value '" + value +
                     "' for --hv: expected geometric, quadratic, arithmetic or total");
}

}  // namespace

bool take_smoothing_option(std::string_view name, const std::string& value,
                           SmoothingOptions& options) {
    if (name == "smooth") {
        options.window = parse_window(value);
    } else if (name == "smooth-points") {
        options.at_bins = value == "bins";
        if (!options.at_bins) {
            options.points_per_decade =
                static_cast<int>(parse_in_range(value_range(name, "N"), value));
        }
    } else if (name == "hv") {
        options.mean = parse_mean(value);
    } else if (name == "hv-windows") {
        options.hv_window_seconds = parse_in_range(value_range(name, "SECONDS"), value);
    } else {
        return false;
    }
    return true;
}

void check_smoothing_options(const SmoothingOptions& options, bool smooth_points_given,
                             bool hv_given) {
    if (options.window || options.hv_window_seconds) return;
    if (smooth_points_given) throw UsageError("--smooth-points needs --smooth or --hv-windows");
    if (hv_given) throw UsageError("--hv needs --smooth or --hv-windows");
}

std::vector<std::string> smoothing_file_names(const SmoothingOptions& options, bool plot) {
    std::vector<std::string> names;
    if (options.window) names.push_back("smoothed.csv");
    if (options.hv_window_seconds) {
        names.insert(names.end(), {"hv.csv", "hv-summary.txt"});
        if (plot) names.push_back("hv.svg");
    }
    return names;
}

}  // namespace wavespec::cli
