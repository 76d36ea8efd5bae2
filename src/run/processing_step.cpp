#include "run/processing_step.hpp"

#include <algorithm>
#include <span>
#include <vector>

#include "processing/polynomial_baseline.hpp"
#include "processing/snr_corners.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::run {
namespace {

using cli::CornerRow;
using cli::CornerSource;
using cli::ProcessingOptions;
using processing::ProcessedRecord;

std::optional<std::string> corner_problem(const char* which, const processing::Corner& corner,
                                          double dt) {
    const double nyquist = 0.5 / dt;
    if (corner.hz < nyquist) return std::nullopt;
    return std::string("the ") + which + " corner " + shortest_text(corner.hz) +
           " Hz is not below the Nyquist frequency " + shortest_text(nyquist) + " Hz";
}

// The record-dependent bounds: the corners below the Nyquist frequency, the pads within the
// layout's length, enough samples for the baseline.
std::optional<std::string> processing_problem(const processing::ProcessingSteps& steps,
                                              std::int64_t n, double dt, std::int64_t most) {
    if (!(dt > 0.0)) {
        return "the processing needs a positive sampling interval, not " + shortest_text(dt) + " s";
    }
    for (const processing::ComponentFilters& filters : steps.filters) {
        if (filters.highpass) {
            if (auto why = corner_problem("high-pass", *filters.highpass, dt)) return why;
        }
        if (filters.lowpass) {
            if (auto why = corner_problem("low-pass", *filters.lowpass, dt)) return why;
        }
    }
    auto pads = n > most ? std::nullopt : processing::pads_for(steps, dt, most - n);
    if (!pads) {
        return "the record of " + std::to_string(n) + " sample sets with its pads would pass " +
               std::to_string(most) + ", the most this layout takes";
    }
    if (steps.baseline && n + pads->total() < std::int64_t{processing::kFewestBaselineSamples}) {
        return "the baseline correction needs at least " +
               std::to_string(processing::kFewestBaselineSamples) + " samples";
    }
    return std::nullopt;
}

std::string corner_words(const std::optional<processing::Corner>& corner, const char* which,
                         CornerSource source) {
    static constexpr const char* kSources[] = {"option", "SNR", "table"};
    if (!corner) return std::string("no ") + which;
    return std::string(which) + " " + shortest_text(corner->hz) + " Hz order " +
           std::to_string(corner->order) + " (" + kSources[static_cast<int>(source)] + ")";
}

using SnrSet = std::array<processing::SnrCurves, 3>;

// Each component's corners from its signal-to-noise ratio, the horizontals taking the larger
// high-pass and the smaller low-pass corner of the two; why not, where one has none.
std::optional<std::string> corners_from_noise(const ProcessingOptions& options,
                                              const std::array<std::span<const double>, 3>& series,
                                              const std::array<std::string, 3>& names, double dt,
                                              processing::ProcessingSteps& steps, SnrSet& curves) {
    std::array<processing::SnrCorners, 3> corners;
    for (std::size_t c = 0; c < 3; ++c) {
        std::vector<double> detrended(series[c].begin(), series[c].end());
        processing::apply_detrend(steps.detrend, detrended);
        auto snr = processing::snr_curves(detrended, dt, *options.signal_start);
        if (!snr) {
            return "--signal-start=" + shortest_text(*options.signal_start) +
                   " s leaves no noise window before it or no signal window after it";
        }
        curves[c] = std::move(*snr);
        double largest = 0.0;
        auto chosen = processing::corners_from_snr(curves[c], options.snr, dt, largest);
        if (!chosen) {
            return "component " + std::to_string(c + 1) + " (" + names[c] +
                   "): the SNR falls below " + shortest_text(options.snr.threshold) + " between " +
                   shortest_text(options.snr.low) + " and " + shortest_text(options.snr.high) +
                   " Hz (largest SNR in the band " + shortest_text(largest) + ")";
        }
        corners[c] = *chosen;
    }
    const double high = std::max(corners[0].highpass, corners[1].highpass);
    const double low = std::min(corners[0].lowpass, corners[1].lowpass);
    corners[0] = corners[1] = {high, low};
    for (std::size_t c = 0; c < 3; ++c) {
        if (!(corners[c].highpass < corners[c].lowpass)) {
            return "component " + std::to_string(c + 1) + " (" + names[c] +
                   "): the SNR gives a high-pass corner " + shortest_text(corners[c].highpass) +
                   " Hz not below its low-pass corner " + shortest_text(corners[c].lowpass) + " Hz";
        }
        steps.filters[c].highpass = processing::Corner{corners[c].highpass, options.corner_order};
        steps.filters[c].lowpass = processing::Corner{corners[c].lowpass, options.corner_order};
    }
    return std::nullopt;
}

// The corners of --corners=FILE.csv for this record, the same for its three components.
std::optional<std::string> corners_from_table(const ProcessingOptions& options,
                                              const std::string& record,
                                              processing::ProcessingSteps& steps) {
    const CornerRow* row = options.table_row(record);
    if (row == nullptr) return "no row of " + options.table_path + " names this record";
    for (processing::ComponentFilters& filters : steps.filters) {
        filters.highpass = processing::Corner{row->highpass, options.corner_order};
        filters.lowpass = processing::Corner{row->lowpass, options.corner_order};
    }
    return std::nullopt;
}

std::string processing_text(const ProcessingOptions& options,
                            const processing::ProcessingSteps& steps, const ProcessedRecord& record,
                            const std::array<std::string, 3>& names, std::int64_t samples,
                            double dt) {
    std::string text = "steps: " + options.steps_text() + "\n";
    text += "samples: " + std::to_string(samples) + " of the record, " +
            std::to_string(record.pads.before) + " of pads before it, " +
            std::to_string(record.pads.after) + " after it\n";
    text += "record start: sample " + std::to_string(record.pads.before + 1) +
            " at time 0 s; the first sample at " +
            shortest_text(static_cast<double>(-record.pads.before) * dt) + " s\n";
    for (std::size_t c = 0; c < 3; ++c) {
        const processing::ComponentFilters& filters = steps.filters[c];
        const processing::ProcessingQuality& q = record.quality[c];
        text += "component " + std::to_string(c + 1) + " (" + names[c] +
                "): " + corner_words(filters.highpass, "high-pass", options.corner_source) + ", " +
                corner_words(filters.lowpass, "low-pass", options.corner_source) + "\n";
        text += "component " + std::to_string(c + 1) + " (" + names[c] + "): residual velocity " +
                shortest_text(q.residual_velocity) + ", residual displacement " +
                shortest_text(q.residual_displacement) + ", peak displacement " +
                shortest_text(q.peak_displacement_before) + " before the baseline correction, " +
                shortest_text(q.peak_displacement_after) + " after it\n";
    }
    return text;
}

// A state whose arrays hold `samples` sample sets, with the names and sampling of `state`.
std::unique_ptr<RunState> longer_state(const RunState& state, std::size_t samples) {
    auto longer = std::make_unique<RunState>(samples);
    longer->infile = state.infile;
    longer->head = state.head;
    longer->dt = state.dt;
    return longer;
}

}  // namespace

std::optional<std::string> process_as_read(const RunState& state, const ProcessingOptions& options,
                                           std::int64_t most, const std::string& record_name,
                                           ProcessedAsRead& out) {
    const std::int64_t n = state.nt;
    const double dt = state.dt;
    if (n > most) {
        return "more than " + std::to_string(most) + " sample sets (" + std::to_string(n) + ")";
    }
    const auto count = static_cast<std::size_t>(n);
    const std::array<std::span<const double>, 3> series = {
        std::span<const double>(state.xr1.data(), count),
        std::span<const double>(state.xr2.data(), count),
        std::span<const double>(state.xr3.data(), count)};
    out.names = component_names(state);
    out.steps = options.steps;
    if (options.corner_source == CornerSource::snr) {
        if (!(dt > 0.0)) return "--corners=snr needs a positive sampling interval";
        out.snr.emplace();
        if (auto why = corners_from_noise(options, series, out.names, dt, out.steps, *out.snr)) {
            return why;
        }
    }
    if (options.corner_source == CornerSource::table) {
        if (auto why = corners_from_table(options, record_name, out.steps)) return why;
    }
    if (auto why = processing_problem(out.steps, n, dt, most)) return why;
    out.record = processing::process_record(series, dt, out.steps);
    out.report = processing_text(options, out.steps, out.record, out.names, n, dt);
    return std::nullopt;
}

void put_processed(std::unique_ptr<RunState>& state, processing::ProcessedRecord& record) {
    const double dt = state->dt;
    const std::size_t padded = record.acceleration[0].size();
    if (padded > state->xr1.size()) state = longer_state(*state, padded);
    ZeroedArray<double>* targets[] = {&state->xr1, &state->xr2, &state->xr3};
    for (std::size_t c = 0; c < 3; ++c) {
        std::copy(record.acceleration[c].begin(), record.acceleration[c].end(), targets[c]->data());
        record.acceleration[c] = {};
    }
    for (std::size_t i = 0; i < std::min(padded, state->time.size()); ++i) {
        state->time[i] =
            static_cast<double>(static_cast<std::int64_t>(i) - record.pads.before) * dt;
    }
    state->nt = static_cast<std::int32_t>(padded);
}

}  // namespace wavespec::run
