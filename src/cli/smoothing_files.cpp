#include "cli/smoothing_files.hpp"

#include <algorithm>
#include <cmath>
#include <thread>

#include "cli/process_options.hpp"
#include "dialogue/spectrum_files.hpp"
#include "formats/file_trace.hpp"
#include "plot/hv_picture.hpp"
#include "records/csv_fields.hpp"
#include "smoothing/hv_ratio.hpp"
#include "smoothing/noise_windows.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec::cli {
namespace {

using smoothing::HorizontalMean;
using smoothing::SmoothingWindow;
using smoothing::WindowKind;

// The fewest samples a noise window may hold: below that it has hardly any spectrum.
constexpr std::size_t kFewestWindowSamples = 16;

std::vector<double> centres_for(const SmoothingOptions& options,
                                const std::vector<double>& frequencies) {
    if (options.at_bins || frequencies.empty()) return frequencies;
    return smoothing::log_spaced_centres(frequencies.front(), frequencies.back(),
                                         options.points_per_decade);
}

// The three spectra smoothed at the centres, and their H/V.
SmoothedRecord smooth_three(const SmoothingWindow& window, const SmoothingOptions& options,
                            const std::vector<double>& frequencies,
                            const std::array<std::vector<double>, 3>& amplitudes,
                            unsigned threads) {
    SmoothedRecord result;
    result.frequency = centres_for(options, frequencies);
    const std::span<const double> spectra[] = {amplitudes[0], amplitudes[1], amplitudes[2]};
    auto smoothed =
        smoothing::smooth_spectra(window, frequencies, spectra, result.frequency, threads);
    for (std::size_t c = 0; c < 3; ++c) result.smoothed[c] = std::move(smoothed[c]);
    result.hv = smoothing::hv_ratio(options.mean, result.smoothed[0], result.smoothed[1],
                                    result.smoothed[2]);
    return result;
}

// A component's name as a field of the header.
std::string name_field(const HeaderName& name) {
    return csv_field(trimmed_name(name_text(name)));
}

void append_row(std::string& text, std::initializer_list<double> values) {
    bool first = true;
    for (double v : values) {
        if (!first) text += ',';
        text += formats::shortest_text(v);
        first = false;
    }
}

std::string smoothed_csv(const SmoothedRecord& r, const RunState& state) {
    std::string text = "frequency(Hz)," + name_field(state.head[1]) + "," +
                       name_field(state.head[2]) + "," + name_field(state.head[3]) + ",H/V\n";
    for (std::size_t k = 0; k < r.frequency.size(); ++k) {
        append_row(text,
                   {r.frequency[k], r.smoothed[0][k], r.smoothed[1][k], r.smoothed[2][k], r.hv[k]});
        text += '\n';
    }
    return text;
}

std::string hv_csv(const NoiseHv& n) {
    std::string text = "frequency(Hz),mean,sigma_ln,mean*sigma_A,mean/sigma_A";
    for (std::size_t w = 1; w <= n.windows.size(); ++w) text += ",window" + std::to_string(w);
    text += '\n';
    for (std::size_t k = 0; k < n.frequency.size(); ++k) {
        double mean = n.statistics.mean[k];
        double sigma_a = portable_exp(n.statistics.sigma_ln[k]);
        append_row(
            text, {n.frequency[k], mean, n.statistics.sigma_ln[k], mean * sigma_a, mean / sigma_a});
        for (const auto& window : n.windows) text += "," + formats::shortest_text(window[k]);
        text += '\n';
    }
    return text;
}

std::string window_text(const SmoothingWindow& window) {
    if (window.kind == WindowKind::konno_ohmachi) {
        return "Konno-Ohmachi B=" + formats::shortest_text(window.width);
    }
    return "Parzen BW=" + formats::shortest_text(window.width) + " Hz";
}

std::string mean_text(HorizontalMean mean) {
    switch (mean) {
        case HorizontalMean::geometric:
            return "geometric";
        case HorizontalMean::quadratic:
            return "quadratic";
        case HorizontalMean::arithmetic:
            return "arithmetic";
        case HorizontalMean::total:
            return "total";
    }
    return "geometric";
}

std::string criterion_line(const char* what, const smoothing::Criterion& c, const char* relation) {
    return "  " + std::string(what) + ": " + formats::shortest_text(c.value) + " " + relation +
           " " + formats::shortest_text(c.threshold) + ": " + (c.passed ? "pass" : "fail") + "\n";
}

std::string summary_text(const NoiseHv& n, const SmoothingOptions& options) {
    const smoothing::SesameReport& r = n.report;
    std::string t = "H/V of ambient noise: " + std::to_string(n.windows.size()) + " windows of " +
                    formats::shortest_text(n.window_seconds) + " s (" +
                    std::to_string(n.window_samples) + " samples), " +
                    window_text(options.window_or_default()) + ", " + mean_text(options.mean) +
                    " mean of the horizontals\n";
    t +=
        "f0 = " + formats::shortest_text(r.f0) + " Hz, A0 = " + formats::shortest_text(r.a0) + "\n";
    t += "window peak frequencies: mean " + formats::shortest_text(n.peak_mean) +
         " Hz, standard deviation " + formats::shortest_text(n.peak_sd) + " Hz\n";
    t += std::string("reliability (all three must pass): ") + (r.reliable ? "pass" : "fail") + "\n";
    t += criterion_line("f0 > 10/lw", r.reliability[0], ">");
    t += criterion_line("nc = lw nw f0 > 200", r.reliability[1], ">");
    t += criterion_line("largest sigma_A for 0.5 f0 < f < 2 f0", r.reliability[2], "<");
    auto passed = std::count_if(r.clarity.begin(), r.clarity.end(),
                                [](const smoothing::Criterion& c) { return c.passed; });
    t += std::string("clarity (at least five of six must pass): ") + (r.clear ? "pass" : "fail") +
         " (" + std::to_string(passed) + " of 6)\n";
    t += criterion_line("lowest A in [f0/4, f0] against A0/2", r.clarity[0], "<");
    t += criterion_line("lowest A in [f0, 4 f0] against A0/2", r.clarity[1], "<");
    t += criterion_line("A0 > 2", r.clarity[2], ">");
    t += criterion_line("peaks of A sigma_A and A/sigma_A: largest distance from f0 / f0",
                        r.clarity[3], "<=");
    t += criterion_line("sigma_f < epsilon(f0)", r.clarity[4], "<");
    t += criterion_line("sigma_A(f0) < theta(f0)", r.clarity[5], "<");
    return t;
}

}  // namespace

std::string hv_picture_svg(const NoiseHv& noise, const std::string& record,
                           const SmoothingOptions& options) {
    std::size_t n = noise.frequency.size();
    std::vector<double> upper(n), lower(n);
    for (std::size_t k = 0; k < n; ++k) {
        double sigma_a = portable_exp(noise.statistics.sigma_ln[k]);
        upper[k] = noise.statistics.mean[k] * sigma_a;
        lower[k] = noise.statistics.mean[k] / sigma_a;
    }
    plot::HvPicture picture{.record = record,
                            .smoothing = window_text(options.window_or_default()) + ", " +
                                         mean_text(options.mean) + " mean of the horizontals",
                            .frequency = noise.frequency,
                            .mean = noise.statistics.mean,
                            .lower = lower,
                            .upper = upper,
                            .windows = {}};
    for (const auto& window : noise.windows) picture.windows.push_back(window);
    return plot::hv_svg(picture);
}

unsigned smoothing_threads(const ProcessOptions& options) {
    return options.threads_per_record;
}

std::optional<std::string> RecordSmoothing::compute(const RunState& state,
                                                    const SmoothingOptions& options,
                                                    unsigned threads) {
    if (options.window) {
        AmplitudeSpectra spectra = amplitude_spectra(state);
        record_ =
            smooth_three(*options.window, options, spectra.frequency, spectra.amplitude, threads);
    }
    if (!options.hv_window_seconds) return std::nullopt;
    double seconds = *options.hv_window_seconds;
    double record_seconds = static_cast<double>(state.nt) * state.dt;
    std::string asked = "--hv-windows=" + formats::shortest_text(seconds);
    if (!(seconds / state.dt <= static_cast<double>(state.nt))) {
        return asked + ": the record of " + formats::shortest_text(record_seconds) +
               " s holds no window that long";
    }
    auto samples = static_cast<std::size_t>(std::llround(seconds / state.dt));
    if (samples < kFewestWindowSamples) {
        return asked + ": a window would hold fewer than " + std::to_string(kFewestWindowSamples) +
               " samples";
    }
    auto n = static_cast<std::size_t>(state.nt);
    std::array<std::span<const double>, 3> series = {std::span<const double>(state.xr1).first(n),
                                                     std::span<const double>(state.xr2).first(n),
                                                     std::span<const double>(state.xr3).first(n)};
    smoothing::WindowSpectra windows = smoothing::window_spectra(series, state.dt, samples);
    if (windows.amplitudes.size() < 2) {
        return asked + ": the record holds fewer than two windows, too few for a spread";
    }
    NoiseHv noise;
    noise.window_seconds = static_cast<double>(samples) * state.dt;
    noise.window_samples = samples;
    SmoothingWindow window = options.window_or_default();
    for (const auto& amplitudes : windows.amplitudes) {
        SmoothedRecord one =
            smooth_three(window, options, windows.frequencies, amplitudes, threads);
        noise.frequency = std::move(one.frequency);
        noise.windows.push_back(std::move(one.hv));
    }
    noise.statistics = smoothing::lognormal_statistics(noise.frequency, noise.windows);
    const auto& peaks = noise.statistics.window_peaks;
    double sum = 0.0;
    for (double f : peaks) sum += f;
    noise.peak_mean = sum / static_cast<double>(peaks.size());
    double squares = 0.0;
    for (double f : peaks) squares += (f - noise.peak_mean) * (f - noise.peak_mean);
    noise.peak_sd = std::sqrt(squares / static_cast<double>(peaks.size() - 1));
    noise.report = smoothing::sesame_criteria({.frequencies = noise.frequency,
                                               .mean = noise.statistics.mean,
                                               .sigma_ln = noise.statistics.sigma_ln,
                                               .window_seconds = noise.window_seconds,
                                               .windows = noise.windows.size(),
                                               .peak_frequency_sd = noise.peak_sd});
    noise_ = std::move(noise);
    return std::nullopt;
}

std::optional<std::string> RecordSmoothing::write(StagedFiles& staged, const RunState& state,
                                                  const SmoothingOptions& options) const {
    if (record_) {
        if (auto why = staged.write("smoothed.csv", smoothed_csv(*record_, state))) return why;
    }
    if (noise_) {
        if (auto why = staged.write("hv.csv", hv_csv(*noise_))) return why;
        if (auto why = staged.write("hv-summary.txt", summary_text(*noise_, options))) return why;
    }
    return std::nullopt;
}

}  // namespace wavespec::cli
