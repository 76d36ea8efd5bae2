#include "processing/processing_chain.hpp"

#include <algorithm>
#include <cmath>

#include "processing/hann_taper.hpp"
#include "processing/polynomial_baseline.hpp"
#include "processing/trapezoid.hpp"

namespace wavespec::processing {

bool ProcessingSteps::any() const {
    return detrend != Detrend::none || taper > 0.0 || pad || baseline || filtered(0) ||
           filtered(1) || filtered(2);
}

std::optional<Pads> pads_for(const ProcessingSteps& steps, double dt, std::int64_t most) {
    if (!steps.pad) return Pads{};
    if (!steps.pad->transient) {
        auto total = pad_samples_for(steps.pad->seconds, dt, most);
        if (!total) return std::nullopt;
        return split_pads(*total);
    }
    std::int64_t longest = 0;
    for (const ComponentFilters& filters : steps.filters) {
        if (!filters.highpass) continue;
        auto total = transient_pad_samples(filters.highpass->order, filters.highpass->hz, dt, most);
        if (!total) return std::nullopt;
        longest = std::max(longest, *total);
    }
    return split_pads(longest);
}

std::vector<Section> cascade_of(const ComponentFilters& filters, double dt) {
    std::vector<Section> cascade;
    if (filters.highpass) {
        cascade =
            butterworth_sections(Band::highpass, filters.highpass->order, filters.highpass->hz, dt);
    }
    if (filters.lowpass) {
        std::vector<Section> low =
            butterworth_sections(Band::lowpass, filters.lowpass->order, filters.lowpass->hz, dt);
        cascade.insert(cascade.end(), low.begin(), low.end());
    }
    return cascade;
}

namespace {

// The residual velocity and displacement at the last sample and the peak displacement,
// integrating by the trapezoid rule from rest a sample at a time.
struct Integrals {
    double velocity = 0.0, displacement = 0.0, peak_displacement = 0.0;
};

Integrals integrals_of(std::span<const double> a, double dt) {
    TrapezoidIntegrals running;
    double peak = 0.0;
    for (std::size_t i = 1; i < a.size(); ++i) {
        running.step(a[i - 1], a[i], dt);
        peak = std::max(peak, std::fabs(running.displacement));
    }
    return {running.velocity, running.displacement, peak};
}

std::vector<double> processed_component(std::span<const double> record, double dt,
                                        const ProcessingSteps& steps, std::size_t component,
                                        Pads pads, ProcessingQuality& quality) {
    std::vector<double> series(record.size() + static_cast<std::size_t>(pads.total()), 0.0);
    const std::span<double> own(series.data() + pads.before, record.size());
    std::copy(record.begin(), record.end(), own.begin());
    apply_detrend(steps.detrend, own);
    apply_hann_taper(own, steps.taper);
    if (steps.filtered(component)) {
        const std::vector<Section> cascade = cascade_of(steps.filters[component], dt);
        run_forward(cascade, series);
        if (!steps.causal) run_backward(cascade, series);
    }
    Integrals before = integrals_of(series, dt);
    quality.peak_displacement_before = before.peak_displacement;
    if (steps.baseline && remove_polynomial_baseline(series, dt)) before = integrals_of(series, dt);
    quality.peak_displacement_after = before.peak_displacement;
    quality.residual_velocity = before.velocity;
    quality.residual_displacement = before.displacement;
    return series;
}

}  // namespace

ProcessedRecord process_record(const std::array<std::span<const double>, 3>& components, double dt,
                               const ProcessingSteps& steps) {
    ProcessedRecord out;
    out.pads = pads_for(steps, dt, INT64_MAX / 4).value_or(Pads{});
    for (std::size_t c = 0; c < 3; ++c) {
        out.acceleration[c] =
            processed_component(components[c], dt, steps, c, out.pads, out.quality[c]);
    }
    return out;
}

}  // namespace wavespec::processing
