#include "response/piecewise_linear.hpp"

#include <algorithm>
#include <cmath>

#include "response/lane_step.hpp"

namespace wavespec::response {
namespace {

// Instants stepped at once: every one of them is kept, since the peaks are read at them.
constexpr int kChunk = 256;

}  // namespace

int substeps_per_sample(double dt, double period) {
    const double quotient = 10.0 * dt / period;
    const double nearest = std::nearbyint(quotient);
    const double k = std::fabs(quotient - nearest) <= 1e-9 ? nearest : std::ceil(quotient);
    return k < 1.0 ? 1 : static_cast<int>(k);
}

void PiecewiseLinearRun::resample(std::size_t first, int count, int substeps) {
    for (int i = 0; i <= count; ++i) {
        const std::size_t instant = first + static_cast<std::size_t>(i);
        const std::size_t sample = instant / static_cast<std::size_t>(substeps);
        const std::size_t step = instant % static_cast<std::size_t>(substeps);
        double* knot = knots_.data() + static_cast<std::size_t>(i) * kLanes;
        for (int c = 0; c < 3; ++c) {
            const double a = series_[c][sample];
            knot[c] = step == 0 ? a : a + (series_[c][sample + 1] - a) * fractions_[step];
        }
        knot[3] = knot[0] + knot[1];
    }
}

OscillatorOutcome PiecewiseLinearRun::outcome(Oscillator o, double dt, int substeps) {
    const double h = dt / substeps;
    const Stepper stepper{step_coefficients(o, h), 2.0 * o.zeta * o.omega, o.omega * o.omega};
    if (!finite(stepper.k)) return undefined_outcome();
    fractions_.resize(static_cast<std::size_t>(substeps));
    for (int j = 0; j < substeps; ++j) fractions_[j] = static_cast<double>(j) / substeps;
    knots_.resize((kChunk + 1) * kLanes);
    values_.resize((kChunk + 1) * kKnotValues);
    RotatedPeaks rotated[kQuantities];
    for (int q = 0; q < kQuantities; ++q) rotated[q].lend_storage(std::move(storage_[q]));
    alignas(32) double state[2 * kLanes] = {};
    alignas(32) double largest[5 * kLanes] = {};
    double best[kQuantities][3] = {};
    const std::size_t samples = series_[0].size();
    const std::size_t instants = samples == 0 ? 0 : (samples - 1) * substeps + 1;
    for (std::size_t first = 0; first + 1 < instants; first += kChunk) {
        const int count = static_cast<int>(std::min<std::size_t>(kChunk, instants - 1 - first));
        resample(first, count, substeps);
        step_chunk(knots_.data(), count, stepper, state, values_.data(), largest);
        for (int q = 0; q < kQuantities; ++q) {
            for (int c = 0; c < 3; ++c) best[q][c] = std::max(best[q][c], largest[q * kLanes + c]);
            const double* m = largest + q * kLanes;
            if (line_ || !rotated[q].may_leave(m[0], m[1], m[3], Stray{})) continue;
            // The peaks are read at the instants alone: the largest projections of the knots
            // are the rotated peaks, with no arcs between them.
            for (int i = 0; i <= count; ++i) {
                const double* v = values_.data() + i * kKnotValues + q * kLanes;
                rotated[q].offer_knot(v[0], v[1], Stray{});
            }
        }
    }
    // A value that overflowed leaves the state NaN or infinite for good (the maxima above pass
    // over NaN).
    for (double v : state) {
        if (!std::isfinite(v)) {
            for (int q = 0; q < kQuantities; ++q) storage_[q] = rotated[q].take_storage();
            return undefined_outcome();
        }
    }
    std::array<Peaks, 3> components;
    for (int c = 0; c < 3; ++c) components[c] = {best[0][c], best[1][c], best[2][c]};
    std::array<std::array<double, kAngles>, kQuantities> peaks;
    for (int q = 0; q < kQuantities; ++q) {
        peaks[q] = line_ ? peaks_on_line(*line_, best[q][line_->lead]) : rotated[q].peaks();
        storage_[q] = rotated[q].take_storage();
    }
    return summarise(components, peaks);
}

}  // namespace wavespec::response
