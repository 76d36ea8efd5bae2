#include "cli/record_bounds.hpp"

#include <algorithm>
#include <cmath>

#include "cli/option_bounds.hpp"
#include "cli/response_options.hpp"
#include "records/shortest_text.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec::cli {
namespace {

using smoothing::SmoothingWindow;
using smoothing::WindowKind;

// The smoothing centres for spectra of `bins` bins above zero (frequencies k / (length dt)):
// every bin, or the log grid from the first bin to the last.
double centres_for(const SmoothingOptions& options, double bins) {
    if (!options.frequencies.empty()) return static_cast<double>(options.frequencies.size());
    if (options.at_bins) return bins;
    return std::floor(std::log10(bins) * options.points_per_decade + 1e-9) + 1.0;
}

std::string window_text(const SmoothingWindow& window) {
    bool parzen = window.kind == WindowKind::parzen;
    return std::string(parzen ? "parzen:" : "konno-ohmachi:") + shortest_text(window.width);
}

// The window's phase at the lowest and highest bin of a transform of `length` samples.
std::optional<std::string> phase_problem(const SmoothingWindow& window, double length, double dt) {
    double lowest = 1.0 / (length * dt), nyquist = 1.0 / (2.0 * dt);
    double largest = std::max(std::fabs(smoothing::window_phase(window, lowest)),
                              std::fabs(smoothing::window_phase(window, nyquist)));
    if (largest <= kLargestSinCosArgument) return std::nullopt;
    return "--smooth=" + window_text(window) + ": the window's phase would reach " +
           shortest_text(largest) + " over this record's frequencies (" + shortest_text(lowest) +
           " to " + shortest_text(nyquist) + " Hz), beyond " +
           shortest_text(kLargestSinCosArgument) + " where its sines stay exact";
}

// A fixed grid within the bins it smooths, from the lowest to the highest (within rounding):
// a point beyond them would be extrapolated from the nearest bins.
std::optional<std::string> grid_problem(const SmoothingOptions& options, double lowest,
                                        double highest, const std::string& whose) {
    if (options.frequencies.empty()) return std::nullopt;
    const double first = options.frequencies.front(), last = options.frequencies.back();
    constexpr double kSlack = 1e-9;
    if (first >= lowest * (1.0 - kSlack) && last <= highest * (1.0 + kSlack)) return std::nullopt;
    return "--frequencies: the grid from " + shortest_text(first) + " to " + shortest_text(last) +
           " Hz passes " + whose + " bins, which run from " + shortest_text(lowest) + " to " +
           shortest_text(highest) + " Hz";
}

std::optional<std::string> response_problem(const ProcessOptions& options, double nt, double dt) {
    if (!options.response_spectra) return std::nullopt;
    double periods =
        options.periods.empty() ? kDefaultPeriodCount : static_cast<double>(options.periods.size());
    double dampings = options.dampings.empty() ? 1.0 : static_cast<double>(options.dampings.size());
    if (auto why = work_problem("--response-spectra: periods x dampings x samples",
                                periods * dampings * nt, kMostOscillatorSteps)) {
        return why;
    }
    const std::vector<double> grid =
        options.periods.empty()
            ? response::log_spaced(kDefaultFirstPeriod, kDefaultLastPeriod, kDefaultPeriodCount)
            : options.periods;
    return response_record_problem(grid, static_cast<std::size_t>(dampings), options.oscillator, nt,
                                   dt);
}

// The points each centre sums for a transform of `length` samples: bins from the lowest to
// the Nyquist frequency.
double summed_points(const SmoothingWindow& window, double length, double dt) {
    return smoothing::summed_points_bound(window, 1.0 / (length * dt), 1.0 / (2.0 * dt),
                                          std::floor(length / 2));
}

std::optional<std::string> smoothing_problem(const ProcessOptions& options, double nt, double dt,
                                             double nf) {
    const SmoothingOptions& smoothing = options.smoothing;
    double work = 0.0, pairs = 0.0;
    if (smoothing.window) {
        if (auto why = phase_problem(*smoothing.window, nf, dt)) return why;
        if (auto why = grid_problem(smoothing, 1.0 / (nf * dt), 0.5 / dt, "the record's")) {
            return why;
        }
        const double centres = centres_for(smoothing, nf / 2);
        work += nf / 2 + centres;
        pairs += centres * summed_points(*smoothing.window, nf, dt);
    }
    if (smoothing.hv_window_seconds) {
        // A window's length as the H/V step takes it; one the record cannot hold is refused
        // there, with its own reason.
        // Each window is transformed over exactly its samples; H and V of each are smoothed,
        // and the rotated H once more for every azimuth.
        double samples = std::round(*smoothing.hv_window_seconds / dt);
        if (samples >= 1.0 && samples <= nt) {
            if (auto why = phase_problem(smoothing.window_or_default(), samples, dt)) return why;
            if (auto why =
                    grid_problem(smoothing, 1.0 / (samples * dt),
                                 std::floor(samples / 2) / (samples * dt), "a noise window's")) {
                return why;
            }
            double windows = std::floor(nt / samples);
            double bins = std::floor(samples / 2);
            double centres = centres_for(smoothing, bins);
            double azimuths =
                smoothing.hv_azimuth_step ? std::round(180.0 / *smoothing.hv_azimuth_step) : 0.0;
            work += windows * (bins + centres) * (2.0 + azimuths);
            pairs += windows * centres * (2.0 + azimuths) *
                     summed_points(smoothing.window_or_default(), samples, dt);
            if (auto why = work_problem("--hv-windows: windows x centres",
                                        windows * centres * (1.0 + azimuths), kMostHvValues)) {
                return why;
            }
        }
    }
    if (auto why = work_problem("smoothing: bins + centres", work, kMostSmoothingWork)) {
        return why;
    }
    return work_problem("smoothing: centres x summed points", pairs, kMostSmoothingPairs);
}

}  // namespace

std::optional<std::string> record_bounds_problem(const ProcessOptions& options, std::int64_t nt,
                                                 double dt, std::int64_t nf) {
    if (auto why = response_problem(options, static_cast<double>(nt), dt)) return why;
    return smoothing_problem(options, static_cast<double>(nt), dt, static_cast<double>(nf));
}

}  // namespace wavespec::cli
