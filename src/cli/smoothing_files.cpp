#include "cli/smoothing_files.hpp"

#include <algorithm>
#include <cmath>
#include <thread>

#include "cli/full_layout_files.hpp"
#include "cli/process_options.hpp"
#include "dialogue/spectrum_files.hpp"
#include "formats/file_trace.hpp"
#include "plot/hv_picture.hpp"
#include "records/csv_fields.hpp"
#include "smoothing/hv_ratio.hpp"
#include "smoothing/noise_windows.hpp"

namespace wavespec::cli {
namespace {

using smoothing::HorizontalMean;
using smoothing::NoiseHv;
using smoothing::SmoothingWindow;
using smoothing::Verdict;
using smoothing::WindowKind;

// The fewest samples a noise window may hold: below that it has hardly any spectrum.
constexpr std::size_t kFewestWindowSamples = 16;

std::string number(double v) {
    return formats::shortest_text(v);
}

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

// A component's name as a field of the header.
std::string name_field(const HeaderName& name) {
    return csv_field(trimmed_name(name_text(name)));
}

void append_row(std::string& text, std::initializer_list<double> values) {
    bool first = true;
    for (double v : values) {
        if (!first) text += ',';
        text += number(v);
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
    for (std::size_t w = 0; w < n.windows.size(); ++w) {
        text += ",window" + std::to_string(w + 1) + (n.kept[w] ? "" : "(rejected)");
    }
    text += '\n';
    for (std::size_t k = 0; k < n.frequency.size(); ++k) {
        double mean = n.statistics.mean[k];
        double sigma_a = smoothing::sigma_a(n.statistics.sigma_ln[k]);
        append_row(
            text, {n.frequency[k], mean, n.statistics.sigma_ln[k], mean * sigma_a, mean / sigma_a});
        for (const auto& window : n.windows) text += "," + number(window[k]);
        text += '\n';
    }
    return text;
}

std::string hv_azimuth_csv(const NoiseHv& n) {
    std::string text = "azimuth(deg),frequency(Hz),mean,sigma_ln\n";
    for (const smoothing::AzimuthHv& a : n.azimuths) {
        for (std::size_t k = 0; k < n.frequency.size(); ++k) {
            append_row(text,
                       {a.azimuth, n.frequency[k], a.statistics.mean[k], a.statistics.sigma_ln[k]});
            text += '\n';
        }
    }
    return text;
}

std::string window_text(const SmoothingWindow& window) {
    if (window.kind == WindowKind::konno_ohmachi) return "Konno-Ohmachi B=" + number(window.width);
    return "Parzen BW=" + number(window.width) + " Hz";
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

const char* verdict_text(Verdict v) {
    switch (v) {
        case Verdict::pass:
            return "pass";
        case Verdict::fail:
            return "fail";
        case Verdict::not_judged:
            return "not judged";
    }
    return "fail";
}

std::string criterion_line(const char* what, const smoothing::Criterion& c, const char* relation) {
    if (c.verdict == Verdict::not_judged) {
        return "  " + std::string(what) + ": against " + number(c.threshold) + ": not judged\n";
    }
    return "  " + std::string(what) + ": " + number(c.value) + " " + relation + " " +
           number(c.threshold) + ": " + verdict_text(c.verdict) + "\n";
}

// The settings a reader needs to repeat the curves: windows, taper, smoothing, mean.
std::string settings_text(const NoiseHv& n, const SmoothingOptions& options) {
    return std::to_string(n.windows.size()) + " windows of " + number(n.window_seconds) + " s (" +
           std::to_string(n.window_samples) + " samples), Tukey taper " + number(options.hv_taper) +
           ", " + window_text(options.window_or_default()) + ", " + mean_text(options.mean) +
           " mean of the horizontals";
}

std::string rejection_text(const NoiseHv& n, const SmoothingOptions& options) {
    if (!options.hv_reject) return "";
    std::string t = "window rejection (Cox et al. 2020, " + number(*options.hv_reject) +
                    " standard deviations): ";
    if (n.window_peaks.empty()) return t + "not run, no window peak in the range\n";
    const std::size_t rejected = n.windows.size() - n.kept_count();
    t += std::to_string(rejected) + " rejected in " + std::to_string(n.rejection_rounds) +
         " round" + (n.rejection_rounds == 1 ? "" : "s");
    for (std::size_t w = 0, listed = 0; w < n.windows.size(); ++w) {
        if (n.kept[w]) continue;
        t += (listed++ == 0 ? ": window" : ", window") + std::to_string(w + 1);
    }
    return t + "\n";
}

std::string summary_text(const NoiseHv& n, const SmoothingOptions& options) {
    const smoothing::SesameReport& r = *n.report;
    std::string t = "H/V of ambient noise: " + settings_text(n, options) + "\n";
    t += rejection_text(n, options);
    t += "f0 = " + number(r.f0) + " Hz, A0 = " + number(r.a0) + "\n";
    if (n.window_peaks.empty()) {
        t += "window peak frequencies: none within the searched range\n";
    } else {
        t += "window peak frequencies: mean " + number(n.peak_spread.mean) +
             " Hz, standard deviation " + number(n.peak_spread.deviation) + " Hz\n";
    }
    t += std::string("reliability (all three must pass): ") + verdict_text(r.reliable) + "\n";
    t += criterion_line("f0 > 10/lw", r.reliability[0], ">");
    t += criterion_line("nc = lw nw f0 > 200", r.reliability[1], ">");
    t += criterion_line("largest sigma_A for 0.5 f0 < f < 2 f0", r.reliability[2], "<");
    auto passed = std::count_if(r.clarity.begin(), r.clarity.end(),
                                [](const smoothing::Criterion& c) { return c.passed(); });
    t += std::string("clarity (at least five of six must pass): ") + verdict_text(r.clear) + " (" +
         std::to_string(passed) + " of 6 pass)\n";
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
        double sigma_a = smoothing::sigma_a(noise.statistics.sigma_ln[k]);
        upper[k] = noise.statistics.mean[k] * sigma_a;
        lower[k] = noise.statistics.mean[k] / sigma_a;
    }
    plot::HvPicture picture{.record = record,
                            .smoothing = settings_text(noise, options),
                            .frequency = noise.frequency,
                            .mean = noise.statistics.mean,
                            .lower = lower,
                            .upper = upper,
                            .windows = {},
                            .rejected = {},
                            .f0 = std::nullopt,
                            .f0_spread = noise.peak_spread.deviation};
    for (std::size_t w = 0; w < noise.windows.size(); ++w) {
        (noise.kept[w] ? picture.windows : picture.rejected).push_back(noise.windows[w]);
    }
    if (noise.report) picture.f0 = plot::HvPeak{noise.report->f0, noise.report->a0};
    return plot::hv_svg(picture);
}

std::string hv_azimuth_picture_svg(const NoiseHv& noise, const std::string& record) {
    plot::HvAzimuthPicture picture{
        .record = record, .frequency = noise.frequency, .azimuth = {}, .mean = {}, .f0 = {}};
    for (const smoothing::AzimuthHv& a : noise.azimuths) {
        picture.azimuth.push_back(a.azimuth);
        picture.mean.push_back(a.statistics.mean);
        picture.f0.push_back(a.peak ? noise.frequency[*a.peak] : NAN);
    }
    return plot::hv_azimuth_svg(picture);
}

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
    const std::string asked = "--hv-windows=" + number(seconds);
    const std::size_t samples = smoothing::window_samples(seconds, state.dt, n);
    if (samples == 0) {
        return asked + ": the record of " + number(static_cast<double>(state.nt) * state.dt) +
               " s holds no window that long";
    }
    if (samples < kFewestWindowSamples) {
        return asked + ": a window would hold fewer than " + std::to_string(kFewestWindowSamples) +
               " samples";
    }
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
    const std::array<std::span<const double>, 3> series = {
        std::span<const double>(state.xr1).first(n), std::span<const double>(state.xr2).first(n),
        std::span<const double>(state.xr3).first(n)};
    NoiseHv noise = smoothing::noise_hv(series, state.dt, settings);
    if (const auto& silent = noise.silent) {
        const std::string turned =
            silent->azimuth ? " turned to " + number(*silent->azimuth) + " degrees" : "";
        return asked + ": window " + std::to_string(silent->window + 1) + " has " +
               (silent->horizontal ? "H" + turned : std::string("V")) + " = " +
               number(silent->value) + " at " + number(silent->frequency) +
               " Hz, where its H/V has no value";
    }
    if (!noise.report) {
        return "--hv-range: no frequency of the H/V grid lies between " + number(settings.low) +
               " and " + number(settings.high) + " Hz";
    }
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
        if (!noise_->azimuths.empty()) {
            if (auto why = staged.write("hv-azimuth.csv", hv_azimuth_csv(*noise_))) return why;
        }
    }
    return std::nullopt;
}

}  // namespace wavespec::cli
