#include "cli/smoothing_options.hpp"

#include <cmath>

#include "cli/option_values.hpp"
#include "records/shortest_text.hpp"
#include "spectral/portable_math.hpp"

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

std::vector<double> parse_frequencies(std::string_view name, const std::string& value) {
    const std::size_t first = value.find(':');
    const std::size_t second = first == std::string::npos ? first : value.find(':', first + 1);
    if (second == std::string::npos) refuse_value(name, value, "expected FROM:TO:COUNT");
    const std::string_view text = value;
    const double from = read_in_range(value_range(name, "FROM"), text, text.substr(0, first));
    const double to =
        read_in_range(value_range(name, "TO"), text, text.substr(first + 1, second - first - 1));
    const auto count = static_cast<std::size_t>(
        read_in_range(value_range(name, "COUNT"), text, text.substr(second + 1)));
    if (!(to > from)) refuse_value(name, value, "expected FROM < TO");
    return smoothing::log_spaced_between(from, to, count);
}

namespace {

std::array<double, 2> parse_range(std::string_view name, const std::string& value) {
    const std::string_view text = value;
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) refuse_value(name, value, "expected FMIN,FMAX");
    const double low = read_in_range(value_range(name, "FMIN"), text, text.substr(0, comma));
    const double high = read_in_range(value_range(name, "FMAX"), text, text.substr(comma + 1));
    if (!(high > low)) refuse_value(name, value, "expected FMIN < FMAX");
    return {low, high};
}

double parse_azimuth_step(std::string_view name, const std::string& value) {
    const double step = parse_in_range(value_range(name, "STEP"), value);
    const double count = std::round(180.0 / step);
    if (std::fabs(count * step - 180.0) > 1e-9 * 180.0) {
        refuse_value(name, value, "STEP must divide 180 degrees");
    }
    return step;
}

// The window's phase at the ends of a fixed grid (it rises or falls with frequency), against
// the bound the record's bins are held to: beyond it the sines of the phases lose accuracy.
void check_grid_phase(const SmoothingOptions& options) {
    if (options.frequencies.empty()) return;
    const smoothing::SmoothingWindow window = options.window_or_default();
    for (double f : {options.frequencies.front(), options.frequencies.back()}) {
        const double phase = std::fabs(smoothing::window_phase(window, f));
        if (phase <= kLargestSinCosArgument) continue;
        const bool parzen = window.kind == smoothing::WindowKind::parzen;
        throw UsageError("--frequencies reaches " + shortest_text(f) + " Hz, where the phase of " +
                         (parzen ? "--smooth=parzen:" : "--smooth=konno-ohmachi:") +
                         shortest_text(window.width) + " would be " + shortest_text(phase) +
                         ", beyond " + shortest_text(kLargestSinCosArgument) +
                         " where its sines stay exact");
    }
}

}  // namespace

bool take_smoothing_option(std::string_view name, const std::string& value,
                           SmoothingOptions& options) {
    if (name == "smooth") {
        options.window = parse_window(value);
    } else if (name == "smooth-points") {
        options.points_given = true;
        options.at_bins = value == "bins";
        if (!options.at_bins) {
            options.points_per_decade =
                static_cast<int>(parse_in_range(value_range(name, "N"), value));
        }
    } else if (name == "hv") {
        options.mean = parse_mean(value);
        options.mean_given = true;
    } else if (name == "hv-windows") {
        options.hv_window_seconds = parse_in_range(value_range(name, "SECONDS"), value);
    } else if (name == "frequencies") {
        options.frequencies = parse_frequencies(name, value);
    } else if (name == "hv-taper") {
        options.hv_taper = parse_in_range(value_range(name, "FRACTION"), value);
        options.hv_taper_given = true;
    } else if (name == "hv-range") {
        options.hv_range = parse_range(name, value);
    } else if (name == "hv-reject") {
        options.hv_reject = parse_in_range(value_range(name, "N"), value);
    } else if (name == "hv-azimuths") {
        options.hv_azimuth_step = parse_azimuth_step(name, value);
    } else {
        return false;
    }
    return true;
}

void check_smoothing_options(const SmoothingOptions& options) {
    const bool smooth_points_given = options.points_given, hv_given = options.mean_given;
    if (!options.frequencies.empty() && smooth_points_given) {
        throw UsageError("--frequencies and --smooth-points both set the grid: give one");
    }
    if (!options.hv_window_seconds) {
        if (options.hv_taper_given) throw UsageError("--hv-taper needs --hv-windows");
        if (options.hv_range) throw UsageError("--hv-range needs --hv-windows");
        if (options.hv_reject) throw UsageError("--hv-reject needs --hv-windows");
        if (options.hv_azimuth_step) throw UsageError("--hv-azimuths needs --hv-windows");
    }
    check_grid_phase(options);
    if (options.window || options.hv_window_seconds) return;
    if (!options.frequencies.empty()) {
        throw UsageError("--frequencies needs --smooth or --hv-windows");
    }
    if (smooth_points_given) throw UsageError("--smooth-points needs --smooth or --hv-windows");
    if (hv_given) throw UsageError("--hv needs --smooth or --hv-windows");
}

}  // namespace wavespec::cli
