// The processing of a three-component record, each step only when asked and in this order:
// detrend, Hann taper, zero pads, the Butterworth cascade (high-pass sections, then low-pass
// sections, forward; for the acausal filter the same cascade backward), and the polynomial
// baseline correction.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "processing/butterworth.hpp"
#include "processing/detrend.hpp"
#include "processing/zero_pads.hpp"

namespace wavespec::processing {

struct Corner {
    double hz = 0.0;
    int order = 4;
};

// The filters of one component.
struct ComponentFilters {
    std::optional<Corner> highpass, lowpass;
};

// Zeros around the record: the Converse-Brady length of the high-pass filter, or seconds.
struct PadRequest {
    bool transient = false;  // --pad=auto
    double seconds = 0.0;
};

struct ProcessingSteps {
    Detrend detrend = Detrend::none;
    double taper = 0.0;  // fraction of the record at each end; 0 for none
    std::optional<PadRequest> pad;
    std::array<ComponentFilters, 3> filters;
    bool causal = false;
    bool baseline = false;

    bool any() const;
    bool filtered(std::size_t component) const {
        return filters[component].highpass || filters[component].lowpass;
    }
};

// The numbers a record's processing is judged by, per component.
struct ProcessingQuality {
    double residual_velocity = 0.0;         // at the processed series' last sample
    double residual_displacement = 0.0;     // the same
    double peak_displacement_before = 0.0;  // before the baseline correction
    double peak_displacement_after = 0.0;   // after it (the same without one)
};

struct ProcessedRecord {
    Pads pads;
    std::array<std::vector<double>, 3> acceleration;  // pads included
    std::array<ProcessingQuality, 3> quality;
};

// The zeros the steps add around a record of this sampling: for --pad=auto, the length of
// the high-pass filter with the smallest corner among the components. nullopt where their
// count passes `most`.
std::optional<Pads> pads_for(const ProcessingSteps& steps, double dt, std::int64_t most);

// The whole chain over the three components as read: every corner below the Nyquist
// frequency, the pads within bounds (pads_for gives them), at least kFewestBaselineSamples
// samples for the baseline.
ProcessedRecord process_record(const std::array<std::span<const double>, 3>& components, double dt,
                               const ProcessingSteps& steps);

// A component's cascade: its high-pass sections followed by its low-pass sections.
std::vector<Section> cascade_of(const ComponentFilters& filters, double dt);

}  // namespace wavespec::processing
