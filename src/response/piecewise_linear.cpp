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

void PiecewiseLinearRun::resample(std::size_t first, int count, int substeps) {
    // Sample by sample, the instants between it and the next one after it.
    const double* series[3] = {series_[0].data(), series_[1].data(), series_[2].data()};
    const std::size_t k = static_cast<std::size_t>(substeps);
    std::size_t sample = first / k, step = first % k;
    double* knot = knots_.data();
    for (int left = count + 1; left > 0; ++sample, step = 0) {
        const double a[3] = {series[0][sample], series[1][sample], series[2][sample]};
        if (step == 0) {
            knot[0] = a[0];
            knot[1] = a[1];
            knot[2] = a[2];
            knot[3] = a[0] + a[1];
            knot += kLanes;
            --left;
            ++step;
        }
        if (left == 0 || k == 1) continue;
        const double d[3] = {series[0][sample + 1] - a[0], series[1][sample + 1] - a[1],
                             series[2][sample + 1] - a[2]};
        for (; step < k && left > 0; ++step, --left, knot += kLanes) {
            const double f = fractions_[step];
            knot[0] = a[0] + d[0] * f;
            knot[1] = a[1] + d[1] * f;
            knot[2] = a[2] + d[2] * f;
            knot[3] = knot[0] + knot[1];
        }
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
        auto step = [&](double* values) {
            if (substeps > 1)
                return step_chunk(knots_.data(), count, stepper, state, values, largest);
            // One substep a sample: the instants are the samples, stepped from the series.
            const std::array<const double*, 3> from_first = {
                series_[0].data() + first, series_[1].data() + first, series_[2].data() + first};
            step_samples(from_first, count, stepper, state, values, largest);
        };
        if (substeps > 1) resample(first, count, substeps);
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
