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

double peak_of(std::span<const double> series) {
    double peak = 0.0;
    for (double x : series) peak = std::max(peak, std::fabs(x));
    return peak;
}

std::vector<double> processed_component(std::span<const double> record, double dt,
                                        const ProcessingSteps& steps, std::size_t component,
                                        Pads pads, ProcessingQuality& quality) {
    std::vector<double> series(record.begin(), record.end());
    apply_detrend(steps.detrend, series);
    apply_hann_taper(series, steps.taper);
    series = padded(series, pads);
    if (steps.filtered(component)) {
        const std::vector<Section> cascade = cascade_of(steps.filters[component], dt);
        run_forward(cascade, series);
        if (!steps.causal) run_backward(cascade, series);
    }
    const std::vector<double> velocity = trapezoid_integral(series, dt);
    const std::vector<double> displacement = trapezoid_integral(velocity, dt);
    quality.peak_displacement_before = peak_of(displacement);
    quality.peak_displacement_after = quality.peak_displacement_before;
    quality.residual_velocity = velocity.empty() ? 0.0 : velocity.back();
    quality.residual_displacement = displacement.empty() ? 0.0 : displacement.back();
    if (steps.baseline && remove_polynomial_baseline(series, dt)) {
        const std::vector<double> v = trapezoid_integral(series, dt);
        const std::vector<double> d = trapezoid_integral(v, dt);
        quality.peak_displacement_after = peak_of(d);
        quality.residual_velocity = v.back();
        quality.residual_displacement = d.back();
    }
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
