#include "job/check_job.hpp"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <string_view>

#include "cli/option_bounds.hpp"
#include "cli/option_parser.hpp"
#include "records/shortest_text.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec::job {
namespace {

// The values as the command line would have been given them.
std::string values_text(std::span<const double> values, char separator = ',') {
    std::string text;
    for (double v : values)
        text += (text.empty() ? "" : std::string(1, separator)) + shortest_text(v);
    return text;
}

[[noreturn]] void refuse(std::string_view option, std::string_view text, std::string_view why) {
    throw cli::UsageError("invalid value '" + std::string(text) + "' for --" + std::string(option) +
                          ": " + std::string(why));
}

// One value against its row; text is the option's whole value, which the refusal quotes.
void hold_to(std::string_view value, std::string_view text, double v, std::string_view option) {
    const cli::ValueRange& range = cli::value_range(option, value);
    if (cli::in_range(range, v)) return;
    std::string why = std::string(range.value) + " must be " + cli::range_text(range);
    const std::string part = shortest_text(v);
    if (part != text) why += ", not '" + part + "'";
    refuse(option, text, why);
}

void hold_one(std::string_view option, std::string_view value, double v) {
    hold_to(value, shortest_text(v), v, option);
}

void hold_each(std::string_view option, std::string_view value, std::span<const double> values) {
    const std::string text = values_text(values);
    for (double v : values) hold_to(value, text, v, option);
}

// At most `most` values, none twice.
void hold_list(std::string_view option, std::string_view value, std::span<const double> values,
               std::size_t most) {
    const std::string text = values_text(values);
    if (values.size() > most) {
        refuse(option, text, "at most " + std::to_string(most) + " values separated by commas");
    }
    hold_each(option, value, values);
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    if (auto twice = std::adjacent_find(sorted.begin(), sorted.end()); twice != sorted.end()) {
        refuse(option, text, std::string(value) + " " + shortest_text(*twice) + " is given twice");
    }
}

void check_steps(const DesignSteps& steps) {
    if (steps.bandpass) {
        const std::array<double, 4>& corners = *steps.bandpass;
        const std::string text = values_text(corners);
        static constexpr const char* kNames[] = {"FL1", "FL2", "FH1", "FH2"};
        for (std::size_t i = 1; i < corners.size(); ++i) {
            if (corners[i - 1] > corners[i]) {
                refuse("bandpass", text,
                       "the corners must rise, FL1 <= FL2 <= FH1 <= FH2, but " +
                           std::string(kNames[i - 1]) + " " + shortest_text(corners[i - 1]) +
                           " > " + kNames[i] + " " + shortest_text(corners[i]));
            }
        }
        hold_each("bandpass", "FL1,FL2,FH1,FH2", corners);
    }
    if (steps.operation < 0 || steps.operation > 3) {
        throw cli::UsageError("the operation " + std::to_string(steps.operation) +
                              " is none of 0 (none), 1 (integrate), 2 (double integrate) and 3 "
                              "(differentiate)");
    }
    if (steps.window) {
        const std::string text = values_text(*steps.window);
        hold_to("START", text, (*steps.window)[0], "window");
        hold_to("DURATION", text, (*steps.window)[1], "window");
    }
    hold_one("skip", "N", steps.skip);
}

void check_response(const ResponseJob& response) {
    hold_list("periods", "period", response.periods, cli::kMostPeriods);
    hold_list("damping", "damping", response.dampings, cli::kMostDampings);
}

void check_smoothing_values(const cli::SmoothingOptions& s) {
    for (const auto& window : {s.window, s.hv_window}) {
        if (!window) continue;
        const bool parzen = window->kind == smoothing::WindowKind::parzen;
        const std::string text =
            (parzen ? "parzen:" : "konno-ohmachi:") + shortest_text(window->width);
        hold_to(parzen ? "BW" : "B", text, window->width, "smooth");
    }
    hold_one("smooth-points", "N", s.points_per_decade);
    if (!s.frequencies.empty()) {
        const std::string text = shortest_text(s.frequencies.front()) + ":" +
                                 shortest_text(s.frequencies.back()) + ":" +
                                 std::to_string(s.frequencies.size());
        hold_to("COUNT", text, static_cast<double>(s.frequencies.size()), "frequencies");
        for (double f : s.frequencies) hold_to("FROM", text, f, "frequencies");
        if (!std::is_sorted(s.frequencies.begin(), s.frequencies.end()) ||
            !(s.frequencies.back() > s.frequencies.front())) {
            refuse("frequencies", text, "expected FROM < TO");
        }
    }
    if (s.hv_window_seconds) hold_one("hv-windows", "SECONDS", *s.hv_window_seconds);
    hold_one("hv-taper", "FRACTION", s.hv_taper);
    if (s.hv_range) {
        const std::string text = values_text(*s.hv_range);
        hold_to("FMIN", text, (*s.hv_range)[0], "hv-range");
        hold_to("FMAX", text, (*s.hv_range)[1], "hv-range");
        if (!((*s.hv_range)[1] > (*s.hv_range)[0]))
            refuse("hv-range", text, "expected FMIN < FMAX");
    }
    if (s.hv_reject) hold_one("hv-reject", "N", *s.hv_reject);
    if (s.hv_azimuth_step) {
        const double step = *s.hv_azimuth_step;
        hold_one("hv-azimuths", "STEP", step);
        if (std::fabs(std::round(180.0 / step) * step - 180.0) > 1e-9 * 180.0) {
            refuse("hv-azimuths", shortest_text(step), "STEP must divide 180 degrees");
        }
    }
}

void check_corner(std::string_view option, const std::optional<processing::Corner>& corner) {
    if (!corner) return;
    const std::string text = shortest_text(corner->hz) + "," + std::to_string(corner->order);
    hold_to("FC", text, corner->hz, option);
    hold_to("ORDER", text, corner->order, option);
}

void check_processing_values(const cli::ProcessingOptions& p) {
    hold_one("taper", "FRACTION", p.steps.taper);
    if (p.steps.pad && !p.steps.pad->transient) hold_one("pad", "SECONDS", p.steps.pad->seconds);
    for (const processing::ComponentFilters& filters : p.steps.filters) {
        check_corner("highpass", filters.highpass);
        check_corner("lowpass", filters.lowpass);
    }
    if (p.corner_source == cli::CornerSource::snr) {
        hold_to("ORDER", "snr," + std::to_string(p.corner_order), p.corner_order, "corners");
    }
    if (p.signal_start) hold_one("signal-start", "SECONDS", *p.signal_start);
    hold_one("snr-threshold", "R", p.snr.threshold);
    const std::string band = shortest_text(p.snr.low) + "," + shortest_text(p.snr.high);
    hold_to("F1", band, p.snr.low, "snr-band");
    hold_to("F2", band, p.snr.high, "snr-band");
    if (!(p.snr.high >= p.snr.low)) refuse("snr-band", band, "expected F1 <= F2");
}

void check_inventory_values(const cli::InventoryOptions& inventory) {
    const instrument::DeconvolutionSettings& d = inventory.deconvolution;
    if (d.water_level_db) hold_one("water-level", "DB", *d.water_level_db);
    if (d.pre_filter) {
        const std::array<double, 4>& c = *d.pre_filter;
        hold_each("pre-filter", "F1,F2,F3,F4", c);
        if (!(c[0] < c[1] && c[1] <= c[2] && c[2] < c[3])) {
            refuse("pre-filter", values_text(c), "expected four corners F1 < F2 <= F3 < F4 in Hz");
        }
    }
}

}  // namespace

void check_job(const RecordJob& job) {
    check_steps(job);
    check_response(job);
    check_smoothing_values(job.smoothing);
    check_processing_values(job.processing);
    check_inventory_values(job.inventory);
    cli::check_smoothing_options(job.smoothing);
    cli::check_inventory_options(job.inventory, job.response_spectra);
    cli::check_processing_options(job.processing);
}

std::array<bool, 3> inverted_components(std::span<const double> components) {
    const std::string text = values_text(components);
    std::array<bool, 3> invert{};
    for (double c : components) {
        hold_to("component", text, c, "invert");
        invert[static_cast<std::size_t>(c - 1)] = true;
    }
    return invert;
}

std::vector<double> frequency_grid(double from, double to, double count) {
    const std::string text =
        shortest_text(from) + ":" + shortest_text(to) + ":" + shortest_text(count);
    hold_to("FROM", text, from, "frequencies");
    hold_to("TO", text, to, "frequencies");
    hold_to("COUNT", text, count, "frequencies");
    if (!(to > from)) refuse("frequencies", text, "expected FROM < TO");
    return smoothing::log_spaced_between(from, to, static_cast<std::size_t>(count));
}

}  // namespace wavespec::job
