#include "cli/smoothing_files.hpp"

#include <algorithm>
#include <cmath>
#include <thread>

#include "cli/full_layout_files.hpp"
#include "cli/process_options.hpp"
#include "dialogue/spectrum_files.hpp"
#include "formats/file_trace.hpp"
#include "smoothing/hv_ratio.hpp"
#include "smoothing/hv_report.hpp"
#include "smoothing/noise_windows.hpp"
#include "smoothing/table_texts.hpp"

namespace wavespec::cli {
namespace {

using smoothing::NoiseHv;
using smoothing::SmoothingWindow;

// The fewest samples a noise window may hold: below that it has hardly any spectrum.
constexpr std::size_t kFewestWindowSamples = 16;

// The three spectra and H, combined from the raw horizontals, smoothed at the centres.
SmoothedRecord smooth_record(const SmoothingWindow& window, const SmoothingOptions& options,
                             const std::vector<double>& frequencies,
                             const std::array<std::vector<double>, 3>& amplitudes,
                             unsigned threads) {
    SmoothedRecord result;
    result.frequency = options.centres().centres_for(frequencies);
    const std::vector<double> h =
        smoothing::combined_horizontal(options.mean, amplitudes[0], amplitudes[1]);
    const std::span<const double> spectra[] = {amplitudes[0], amplitudes[1], amplitudes[2], h};
    auto smoothed =
        smoothing::smooth_spectra(window, frequencies, spectra, result.frequency, threads);
    result.hv = smoothing::ratio(smoothed[3], smoothed[2]);
    for (std::size_t c = 0; c < 3; ++c) result.smoothed[c] = std::move(smoothed[c]);
    return result;
}

// The settings of the noise windows as the options give them.
smoothing::NoiseHvSettings settings_of(const SmoothingOptions& options, std::size_t samples,
                                       unsigned threads) {
    smoothing::NoiseHvSettings settings{.window = options.window_or_default(),
                                        .mean = options.mean,
                                        .centres = options.centres(),
                                        .window_samples = samples,
                                        .taper_fraction = options.hv_taper,
                                        .reject = options.hv_reject,
                                        .azimuth_step = options.hv_azimuth_step,
                                        .threads = threads};
    if (options.hv_range) {
        settings.low = (*options.hv_range)[0];
        settings.high = (*options.hv_range)[1];
    }
    return settings;
}

}  // namespace

unsigned smoothing_threads(const ProcessOptions& options) {
    return options.threads_per_record;
}

std::optional<std::string> RecordSmoothing::compute_smoothed(const RunState& state,
                                                             const SmoothingOptions& options,
                                                             unsigned threads) {
    if (!options.window) return std::nullopt;
    AmplitudeSpectra spectra = amplitude_spectra(state);
    record_ =
        smooth_record(*options.window, options, spectra.frequency, spectra.amplitude, threads);
    return std::nullopt;
}

std::optional<std::string> RecordSmoothing::compute_noise(const RunState& state,
                                                          const SmoothingOptions& options,
                                                          unsigned threads) {
    if (!options.hv_window_seconds) return std::nullopt;
    const double seconds = *options.hv_window_seconds;
    const auto n = static_cast<std::size_t>(state.nt);
    const std::string asked = "--hv-windows=" + formats::shortest_text(seconds);
    const std::size_t samples = smoothing::window_samples(seconds, state.dt, n);
    if (samples == 0) {
        return asked + ": the record of " +
               formats::shortest_text(static_cast<double>(state.nt) * state.dt) +
               " s holds no window that long";
    }
    if (samples < kFewestWindowSamples) {
        return asked + ": a window would hold fewer than " + std::to_string(kFewestWindowSamples) +
               " samples";
    }
    smoothing::NoiseHvSettings settings = settings_of(options, samples, threads);
    const std::array<std::span<const double>, 3> series = {
        std::span<const double>(state.xr1).first(n), std::span<const double>(state.xr2).first(n),
        std::span<const double>(state.xr3).first(n)};
    NoiseHv noise = smoothing::noise_hv(series, state.dt, settings);
    if (const auto& silent = noise.silent) {
        const std::string turned =
            silent->azimuth ? " turned to " + formats::shortest_text(*silent->azimuth) + " degrees"
                            : "";
        return asked + ": window " + std::to_string(silent->window + 1) + " has " +
               (silent->horizontal ? "H" + turned : std::string("V")) + " = " +
               formats::shortest_text(silent->value) + " at " +
               formats::shortest_text(silent->frequency) + " Hz, where its H/V has no value";
    }
    if (!noise.report) {
        return "--hv-range: no frequency of the H/V grid lies between " +
               formats::shortest_text(settings.low) + " and " +
               formats::shortest_text(settings.high) + " Hz";
    }
    noise_ = std::move(noise);
    noise_settings_ = settings;
    return std::nullopt;
}

std::optional<std::string> RecordSmoothing::write(StagedFiles& staged,
                                                  const RunState& state) const {
    if (record_) {
        const std::array<std::string, 3> names = component_names(state);
        const std::string text = smoothing::smoothed_table_text(
            record_->frequency, record_->smoothed, record_->hv, names);
        if (auto why = staged.write("smoothed.csv", text)) return why;
    }
    if (noise_) {
        if (auto why = staged.write("hv.csv", smoothing::hv_table_text(*noise_))) return why;
        if (auto why = staged.write("hv-summary.txt", hv_report_text(*noise_, noise_settings_)))
            return why;
        if (!noise_->azimuths.empty()) {
            if (auto why =
                    staged.write("hv-azimuth.csv", smoothing::hv_azimuth_table_text(*noise_)))
                return why;
        }
    }
    return std::nullopt;
}

}  // namespace wavespec::cli
