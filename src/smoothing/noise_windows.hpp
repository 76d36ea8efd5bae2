// Ambient-noise windows: a record cut from its start into windows of equal length without
// overlap, each with its mean removed and a Tukey taper, and the complex spectra of each
// window, taken over exactly its own samples (no padding).
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "spectral/complex_value.hpp"

namespace wavespec::smoothing {

// The default share of a window inside the taper's two cosine ends together.
inline constexpr double kTukeyFraction = 0.1;

// Samples in a window of `seconds` at `dt`: seconds / dt rounded to the nearest integer
// (59.99 s at 100 Hz: 5999); 0 when that is not a finite count within the record's length.
std::size_t window_samples(double seconds, double dt, std::size_t record_samples);

// How many whole windows of `window` samples a record of `record` samples holds.
inline std::size_t window_count(std::size_t record, std::size_t window) {
    return window == 0 ? 0 : record / window;
}

struct WindowSpectra {
    std::vector<double> frequencies;  // bins 1 .. floor(n/2): k / (n dt), Hz
    // spectra[w][c]: window w, component c, one value per frequency, scaled by dt.
    std::vector<std::array<std::vector<Complex>, 3>> spectra;
};

// The spectra of every whole window of n samples (n >= 2) in the three series, tapered with
// the given fraction (0 .. 1).
WindowSpectra window_spectra(std::array<std::span<const double>, 3> series, double dt,
                             std::size_t n, double taper_fraction);

}  // namespace wavespec::smoothing
