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

namespace {

// One oscillator's run: its step, state, largest values and rotated peaks.
struct Track {
    Stepper stepper;
    alignas(32) double state[2 * kLanes] = {};
    alignas(32) double start[2 * kLanes] = {};
    alignas(32) double largest[5 * kLanes] = {};
    double best[kQuantities][3] = {};
    RotatedPeaks rotated[kQuantities];
};

// The peaks are read at the instants alone: the largest projections of the instants' values
// (kKnotValues apart, instants 0 .. count) are the rotated peaks, with no arcs between them.
// Stretches whose box lies within them as a whole are passed over.
void offer_instants(RotatedPeaks& rotated, const double* v, int count) {
    for (int from = 0; from <= count; from += kStretch) {
        const int to = std::min(count, from + kStretch - 1);
        double x_most = 0.0, y_most = 0.0, sum_most = 0.0;
        for (int i = from; i <= to; ++i) {
            const double* at = v + i * kKnotValues;
            x_most = std::max(x_most, std::fabs(at[0]));
            y_most = std::max(y_most, std::fabs(at[1]));
            sum_most = std::max(sum_most, std::fabs(at[3]));
        }
        if (!rotated.may_leave(x_most, y_most, sum_most, Stray{})) continue;
        for (int i = from; i <= to; ++i) {
            const double* at = v + i * kKnotValues;
            rotated.offer_knot(at[0], at[1], Stray{});
        }
    }
}

OscillatorOutcome outcome_of(Track& track, const std::optional<HorizontalLine>& line) {
    // A value that overflowed leaves the state NaN or infinite for good (the maxima pass over
    // NaN).
    for (double v : track.state) {
        if (!std::isfinite(v)) return undefined_outcome();
    }
    std::array<Peaks, 3> components;
    for (int c = 0; c < 3; ++c) {
        components[c] = {track.best[0][c], track.best[1][c], track.best[2][c]};
    }
    std::array<std::array<double, kAngles>, kQuantities> peaks;
    for (int q = 0; q < kQuantities; ++q) {
        peaks[q] =
            line ? peaks_on_line(*line, track.best[q][line->lead]) : track.rotated[q].peaks();
    }
    return summarise(components, peaks);
}

}  // namespace

std::vector<OscillatorOutcome> PiecewiseLinearRun::outcomes(std::span<const Oscillator> oscillators,
                                                            double dt, int substeps) {
    const double h = dt / substeps;
    std::vector<OscillatorOutcome> result(oscillators.size(), undefined_outcome());
    // Oscillators whose step is not finite have no outcome; the others are stepped.
    std::vector<Track> tracks;
    std::vector<std::size_t> stepped;
    tracks.reserve(oscillators.size());
    for (std::size_t t = 0; t < oscillators.size(); ++t) {
        const Oscillator& o = oscillators[t];
        const Stepper stepper{step_coefficients(o, h), 2.0 * o.zeta * o.omega, o.omega * o.omega};
        if (!finite(stepper.k)) continue;
        tracks.emplace_back().stepper = stepper;
        stepped.push_back(t);
    }
    if (tracks.empty()) return result;
    fractions_.resize(static_cast<std::size_t>(substeps));
    for (int j = 0; j < substeps; ++j) fractions_[j] = static_cast<double>(j) / substeps;
    values_.resize((kChunk + 1) * kKnotValues);
    const std::array<const double*, 3> series = {series_[0].data(), series_[1].data(),
                                                 series_[2].data()};
    const std::size_t samples = series_[0].size();
    const std::size_t instants = samples == 0 ? 0 : (samples - 1) * substeps + 1;
    for (std::size_t first = 0; first + 1 < instants; first += kChunk) {
        const int count = static_cast<int>(std::min<std::size_t>(kChunk, instants - 1 - first));
        const std::array<const double*, 3> from_first = {series[0] + first, series[1] + first,
                                                         series[2] + first};
        auto step = [&](Track& track, double* values) {
            if (substeps > 1) {
                return step_resampled(series, first, substeps, fractions_.data(), count,
                                      track.stepper, track.state, values, track.largest);
            }
            // One substep a sample: the instants are the samples, stepped from the series.
            step_samples(from_first, count, track.stepper, track.state, values, track.largest);
        };
        // Stepped for the largest values alone, and again keeping every instant's values when
        // the rotated peaks may need them (the same operations on the state both times).
        for (Track& track : tracks) std::copy(track.state, track.state + 2 * kLanes, track.start);
        if (tracks.size() == 2) {
            const LeanPair pair{{&tracks[0].stepper, &tracks[1].stepper},
                                {tracks[0].state, tracks[1].state},
                                {tracks[0].largest, tracks[1].largest}};
            if (substeps > 1) {
                step_resampled_lean_pair(series, first, substeps, fractions_.data(), count, pair);
            } else {
                step_samples_lean_pair(from_first, count, pair);
            }
        } else {
            step(tracks[0], nullptr);
        }
        for (Track& track : tracks) {
            bool rotate[kQuantities] = {}, any = false;
            for (int q = 0; q < kQuantities; ++q) {
                const double* m = track.largest + q * kLanes;
                for (int c = 0; c < 3; ++c) track.best[q][c] = std::max(track.best[q][c], m[c]);
                rotate[q] = !line_ && track.rotated[q].may_leave(m[0], m[1], m[3], Stray{});
                any = any || rotate[q];
            }
            if (!any) continue;
            std::copy(track.start, track.start + 2 * kLanes, track.state);
            step(track, values_.data());
            for (int q = 0; q < kQuantities; ++q) {
                if (rotate[q]) offer_instants(track.rotated[q], values_.data() + q * kLanes, count);
            }
        }
    }
    for (std::size_t t = 0; t < tracks.size(); ++t)
        result[stepped[t]] = outcome_of(tracks[t], line_);
    return result;
}

}  // namespace wavespec::response
