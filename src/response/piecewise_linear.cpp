#include "response/piecewise_linear.hpp"

#include <algorithm>
#include <cmath>

#include "response/lane_step.hpp"

namespace wavespec::response {
namespace {

// Instants stepped at once: every one of them is kept, since the peaks are read at them.
constexpr int kChunk = 128;
// Instants whose box is tested against the rotated peaks before each instant is.
constexpr int kStretch = 32;

}  // namespace

int substeps_per_sample(double dt, double period) {
    const double quotient = 10.0 * dt / period;
    const double nearest = std::nearbyint(quotient);
    const double k = std::fabs(quotient - nearest) <= 1e-9 ? nearest : std::ceil(quotient);
    return k < 1.0 ? 1 : static_cast<int>(k);
}

OscillatorOutcome PiecewiseLinearRun::outcome(Oscillator o, double dt, int substeps) {
    const double h = dt / substeps;
    const Stepper stepper{step_coefficients(o, h), 2.0 * o.zeta * o.omega, o.omega * o.omega};
    if (!finite(stepper.k)) return undefined_outcome();
    fractions_.resize(static_cast<std::size_t>(substeps));
    for (int j = 0; j < substeps; ++j) fractions_[j] = static_cast<double>(j) / substeps;
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
        const std::array<const double*, 3> series = {series_[0].data(), series_[1].data(),
                                                     series_[2].data()};
        auto step = [&](double* values) {
            if (substeps > 1) {
                return step_resampled(series, first, substeps, fractions_.data(), count, stepper,
                                      state, values, largest);
            }
            // One substep a sample: the instants are the samples, stepped from the series.
            const std::array<const double*, 3> from_first = {series[0] + first, series[1] + first,
                                                             series[2] + first};
            step_samples(from_first, count, stepper, state, values, largest);
        };
        // Stepped for the largest values alone, and again keeping every instant's values when
        // the rotated peaks may need them (the same operations on the state both times).
        alignas(32) double start[2 * kLanes];
        std::copy(state, state + 2 * kLanes, start);
        step(nullptr);
        bool rotate[kQuantities] = {}, any = false;
        for (int q = 0; q < kQuantities; ++q) {
            for (int c = 0; c < 3; ++c) best[q][c] = std::max(best[q][c], largest[q * kLanes + c]);
            const double* m = largest + q * kLanes;
            rotate[q] = !line_ && rotated[q].may_leave(m[0], m[1], m[3], Stray{});
            any = any || rotate[q];
        }
        if (!any) continue;
        std::copy(start, start + 2 * kLanes, state);
        step(values_.data());
        for (int q = 0; q < kQuantities; ++q) {
            if (!rotate[q]) continue;
            // The peaks are read at the instants alone: the largest projections of the knots
            // are the rotated peaks, with no arcs between them. Stretches whose box lies within
            // them as a whole are passed over.
            const double* v = values_.data() + q * kLanes;
            for (int from = 0; from <= count; from += kStretch) {
                const int to = std::min(count, from + kStretch - 1);
                double x_most = 0.0, y_most = 0.0, sum_most = 0.0;
                for (int i = from; i <= to; ++i) {
                    const double* at = v + i * kKnotValues;
                    x_most = std::max(x_most, std::fabs(at[0]));
                    y_most = std::max(y_most, std::fabs(at[1]));
                    sum_most = std::max(sum_most, std::fabs(at[3]));
                }
                if (!rotated[q].may_leave(x_most, y_most, sum_most, Stray{})) continue;
                for (int i = from; i <= to; ++i) {
                    const double* at = v + i * kKnotValues;
                    rotated[q].offer_knot(at[0], at[1], Stray{});
                }
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
