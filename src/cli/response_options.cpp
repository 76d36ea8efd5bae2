#include "cli/response_options.hpp"

#include <algorithm>
#include <string>

#include "cli/option_bounds.hpp"
#include "cli/option_values.hpp"
#include "records/shortest_text.hpp"
#include "response/response_spectra.hpp"

namespace wavespec::cli {
namespace {

// FROM:TO:COUNT, COUNT periods spaced evenly in their logarithm.
std::vector<double> spaced_periods(std::string_view option, std::string_view text) {
    std::size_t first_colon = text.find(':');
    std::size_t second_colon = text.find(':', first_colon + 1);
    if (second_colon == std::string_view::npos ||
        text.find(':', second_colon + 1) != std::string_view::npos) {
        refuse_value(option, text, "expected FROM:TO:COUNT or a list");
    }
    const ValueRange& period = value_range("periods", "period");
    double first = read_in_range(period, text, text.substr(0, first_colon));
    double last =
        read_in_range(period, text, text.substr(first_colon + 1, second_colon - first_colon - 1));
    double count =
        read_in_range(value_range("periods", "COUNT"), text, text.substr(second_colon + 1));
    std::vector<double> periods = response::log_spaced(first, last, static_cast<int>(count));
    // Ends too close for the count give equal periods once rounded.
    std::vector<double> sorted = periods;
    std::sort(sorted.begin(), sorted.end());
    auto twice = std::adjacent_find(sorted.begin(), sorted.end());
    if (twice != sorted.end()) {
        refuse_value(option, text, "period " + shortest_text(*twice) + " s comes twice");
    }
    return periods;
}

}  // namespace

std::vector<double> parse_periods(std::string_view option, std::string_view text) {
    if (text.find(':') != std::string_view::npos) return spaced_periods(option, text);
    return parse_list_in_range(value_range("periods", "period"), text, kMostPeriods, true);
}

std::vector<double> parse_dampings(std::string_view, std::string_view text) {
    return parse_list_in_range(value_range("damping", "damping"), text, kMostDampings, true);
}

std::optional<std::string> response_record_problem(std::span<const double> periods,
                                                   std::size_t dampings,
                                                   response::Convention convention, double nt,
                                                   double dt) {
    double steps = 0.0;
    for (double period : periods) {
        if (period < dt / 1000.0) {
            return "--periods: period " + shortest_text(period) +
                   " s is below a thousandth of the record's sampling interval " +
                   shortest_text(dt) + " s";
        }
        if (convention == response::Convention::piecewise_linear) {
            steps += static_cast<double>(response::substeps_per_sample(dt, period));
        }
    }
    return work_problem("--oscillator=piecewise-linear: substeps x dampings x samples",
                        steps * static_cast<double>(dampings) * nt, kMostOscillatorSteps);
}

response::Convention parse_oscillator(std::string_view option, std::string_view text) {
    if (text == "band-limited") return response::Convention::band_limited;
    if (text == "piecewise-linear") return response::Convention::piecewise_linear;
    refuse_value(option, text, "expected band-limited or piecewise-linear");
}

}  // namespace wavespec::cli
