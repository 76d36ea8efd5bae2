// The response of the oscillator to the record taken as straight lines between its samples,
// as the ground-motion databases compute it: the record resampled linearly to dt/k, the exact
// step for a linear input over each dt/k from rest, and the peaks read at those instants only.
// The record ends at its last sample: no free vibration follows it.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "response/oscillator.hpp"
#include "response/rotated_measures.hpp"

namespace wavespec::response {

// One thread's runs, one or two oscillators at a time, over the same record.
class PiecewiseLinearRun {
  public:
    PiecewiseLinearRun(std::array<std::span<const double>, 3> series,
                       std::optional<HorizontalLine> line)
        : series_(series), line_(line) {}
    // The peaks at the instants i dt / k of the record resampled with k substeps per sample,
    // for one oscillator or two (stepped together; each outcome is the one it has alone).
    std::vector<OscillatorOutcome> outcomes(std::span<const Oscillator> oscillators, double dt,
                                            int substeps);

  private:
    std::array<std::span<const double>, 3> series_;
    std::optional<HorizontalLine> line_;
    std::vector<double> values_, fractions_;
};

}  // namespace wavespec::response
