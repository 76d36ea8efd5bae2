#include "record_pipeline.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <utility>

#include "cli/finite_values.hpp"
#include "cli/full_layout_files.hpp"
#include "cli/option_bounds.hpp"
#include "cli/option_parser.hpp"
#include "cli/option_values.hpp"
#include "cli/record_bounds.hpp"
#include "cli/record_loading.hpp"
#include "cli/response_files.hpp"
#include "dialogue/output_waveform.hpp"
#include "dialogue/record_steps.hpp"
#include "dialogue/run_state.hpp"
#include "job/check_job.hpp"
#include "job/design_steps.hpp"
#include "records/shortest_text.hpp"
#include "run/record_runner.hpp"
#include "spectral/portable_math.hpp"
#include "spectral/wvfast.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::python {
namespace {

// Said of a record longer than the longest transform, after its count of sample sets.
constexpr const char* kLongestTransform = "; the transform takes at most 16777216";

// The run state as the tool holds a record it has read: times i * dt, the samples as given.
std::unique_ptr<RunState> loaded_state(const Components& record) {
    const std::size_t n = record.series[0].size();
    if (n > static_cast<std::size_t>(cli::kLongestFullRecord)) {
        throw Refused("more than 16777216 sample sets (" + std::to_string(n) + ")" +
                      kLongestTransform);
    }
    formats::WaveformRecord waveform;
    waveform.dt = record.dt;
    static constexpr const char* kNames[3] = {"1", "2", "3"};
    for (std::size_t c = 0; c < 3; ++c) {
        waveform.components[c].name = kNames[c];
        waveform.components[c].samples.assign(record.series[c].begin(), record.series[c].end());
    }
    auto state = cli::full_layout_state(n);
    cli::load_record(waveform, *state);
    if (auto why = forward_interval_problem(*state)) {
        throw Refused("no usable sampling interval: " + *why);
    }
    if (auto why = cli::non_finite_sample(*state)) throw Refused(*why);
    return state;
}

// A long record's transform tables (16 bytes a point in each direction) stay with the thread
// that laid them out: a Python thread holds them no longer than its call, as the tool does.
// The state is asked at the end through its holder: the pads may have replaced it.
struct TablesOfLongTransforms {
    const std::unique_ptr<RunState>& state;
    ~TablesOfLongTransforms() {
        if (state && state->nf > kMaxTransformLength) release_transform_tables();
    }
};

// Python keeps the processing's result (processed.csv's series) beside the output.
struct ProcessingKept : run::RecordSink {
    run::ProcessedAsRead* kept = nullptr;
    void processed(const run::ProcessedAsRead& result, const RunState&) override {
        if (kept != nullptr) *kept = result;
    }
};

void transform(RunState& state) {
    if (!compute_spectra(state, cli::kLongestFullRecord)) {
        throw Refused("more than 16777216 sample sets (" + std::to_string(state.nt) + ")" +
                      kLongestTransform);
    }
}

}  // namespace

void check_record(const Components& record) {
    loaded_state(record);
}

Fourier fourier(const Components& record) {
    auto state = loaded_state(record);
    TablesOfLongTransforms tables{state};
    transform(*state);
    Fourier result;
    const auto bins = static_cast<std::size_t>(std::max(state->nom, 0));
    result.frequency.reserve(bins);
    const ZeroedArray<Complex>* spectra[] = {&state->fx1, &state->fx2, &state->fx3};
    for (std::int32_t i = 1; i <= state->nom; ++i) {
        result.frequency.push_back(bin_frequency(i, state->dom));
    }
    for (std::size_t c = 0; c < 3; ++c) {
        result.spectrum[c].reserve(bins);
        result.amplitude[c].reserve(bins);
        for (std::size_t k = 0; k < bins; ++k) {
            result.spectrum[c].emplace_back((*spectra[c])[k].re, (*spectra[c])[k].im);
            result.amplitude[c].push_back(modulus((*spectra[c])[k]));
        }
    }
    return result;
}

std::array<std::vector<double>, 3> processed(const Components& record,
                                             const job::RecordJob& options,
                                             run::ProcessedAsRead* processing) {
    auto holder = loaded_state(record);
    TablesOfLongTransforms tables{holder};
    run::RunShape shape;
    shape.longest = cli::kLongestFullRecord;
    shape.too_long = kLongestTransform;
    ProcessingKept sink;
    sink.kept = processing;
    try {
        run::run_record_steps(holder, options, "record", shape, sink);
    } catch (const run::StepRefused& refused) {
        throw Refused(refused.what());
    }
    const RunState& state = *holder;
    const Thinning thinning = thinning_for(options.skip, state.nt);
    std::array<std::vector<double>, 3> out;
    const ZeroedArray<double>* series[] = {&state.x1, &state.x2, &state.x3};
    for (std::size_t c = 0; c < 3; ++c) {
        out[c].reserve(static_cast<std::size_t>(thinning.records));
        for (std::int64_t r = 0; r < thinning.records; ++r) {
            out[c].push_back((*series[c])[static_cast<std::size_t>(r * thinning.step)]);
        }
    }
    return out;
}

std::array<response::GroundMotion, 3> measures(const Components& record) {
    check_record(record);
    std::array<response::GroundMotion, 3> result;
    for (std::size_t c = 0; c < 3; ++c) {
        result[c] = response::ground_motion(record.series[c], record.dt);
        const response::GroundMotion& g = result[c];
        for (double v : {g.pga, g.pgv, g.pgd, g.arias, g.d5_75, g.d5_95, g.cav}) {
            if (!std::isfinite(v)) {
                throw Refused("component " + std::to_string(c + 1) + ": a measure is not finite (" +
                              shortest_text(v) + "); the integration overflowed");
            }
        }
    }
    return result;
}

void check_response_work(std::size_t samples, double dt, const std::vector<double>& periods,
                         const std::vector<double>& dampings, response::Convention oscillator) {
    cli::ProcessOptions asked;
    asked.response_spectra = true;
    asked.oscillator = oscillator;
    asked.periods = periods;
    asked.dampings = dampings;
    const auto n = static_cast<std::int64_t>(samples);
    if (auto why = cli::record_bounds_problem(asked, n, dt, n)) throw Refused(*why);
}

void check_smoothing(const smoothing::SmoothingWindow& window, std::span<const double> frequencies,
                     std::span<const double> centres,
                     std::span<const std::span<const double>> spectra) {
    // No bins: every window sum would be 0 / 0.
    if (frequencies.empty()) throw Refused("smoothing: no frequencies; the spectra need a bin");
    for (auto [values, what] : {std::pair{frequencies, "frequency"}, {centres, "centre"}}) {
        for (double f : values) {
            if (!(f > 0.0) || !std::isfinite(f)) {
                throw Refused(std::string("smoothing: a ") + what + " of " + shortest_text(f) +
                              " Hz; every one must be finite and above zero");
            }
            const double phase = std::fabs(smoothing::window_phase(window, f));
            if (!(phase <= kLargestSinCosArgument)) {
                throw Refused("smoothing: the window's phase would reach " + shortest_text(phase) +
                              " at " + shortest_text(f) + " Hz, beyond " +
                              shortest_text(kLargestSinCosArgument) +
                              " where its sines stay exact");
            }
        }
    }
    for (std::span<const double> spectrum : spectra) {
        for (double a : spectrum) {
            if (!std::isfinite(a)) {
                throw Refused("smoothing: an amplitude of " + shortest_text(a) + " is not finite");
            }
        }
    }
    // Bounded as the tool bounds its smoothing. Amplitudes below zero are summed over every
    // bin, so there each centre sums all of them.
    bool below_zero = false;
    for (std::span<const double> spectrum : spectra) {
        below_zero = below_zero || std::any_of(spectrum.begin(), spectrum.end(),
                                               [](double a) { return a < 0.0; });
    }
    const double bins = static_cast<double>(frequencies.size());
    const double points =
        below_zero || frequencies.empty()
            ? bins
            : smoothing::summed_points_bound(window, frequencies.front(), frequencies.back(), bins);
    const double count = static_cast<double>(spectra.size());
    const double work = (bins + static_cast<double>(centres.size())) * count;
    if (auto why = cli::work_problem("smoothing: bins + centres", work, cli::kMostSmoothingWork)) {
        throw Refused(*why);
    }
    const double pairs = static_cast<double>(centres.size()) * points * count;
    if (auto why = cli::work_problem("smoothing: centres x summed points", pairs,
                                     cli::kMostSmoothingPairs)) {
        throw Refused(*why);
    }
}

smoothing::NoiseHv noise_hv(const Components& record, const cli::SmoothingOptions& options,
                            unsigned threads) {
    // The windows are cut from the series as read; the state needs no spectra for them.
    auto state = loaded_state(record);
    // Only the windows' spectra are smoothed: bounded as the tool bounds --hv-windows without
    // --smooth, which makes no smoothed.csv.
    cli::ProcessOptions asked;
    asked.smoothing = options;
    const auto nf = static_cast<std::int64_t>(std::bit_ceil(static_cast<std::uint64_t>(state->nt)));
    if (auto why = cli::record_bounds_problem(asked, state->nt, state->dt, nf)) throw Refused(*why);
    cli::RecordSmoothing smoothing;
    if (auto why = smoothing.compute_noise(*state, asked.smoothing, threads)) throw Refused(*why);
    return *smoothing.noise();
}

unsigned thread_count(std::optional<double> asked) {
    const cli::ValueRange& jobs = cli::value_range("jobs", "N");
    if (!asked) return std::clamp(processor_count(), 1u, static_cast<unsigned>(jobs.high));
    if (!cli::in_range(jobs, *asked)) {
        throw Refused("invalid value '" + shortest_text(*asked) + "' for threads: " +
                      std::string(jobs.value) + " must be " + cli::range_text(jobs));
    }
    return static_cast<unsigned>(*asked);
}

void check(const job::RecordJob& job) {
    checked([&] {
        job::check_job(job);
        return 0;
    });
}

}  // namespace wavespec::python
