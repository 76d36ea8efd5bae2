// Ambient-noise windows: a record cut into windows of equal length without overlap, each
// with its mean removed and a 10 % Tukey taper, and the amplitude spectra of each window.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace wavespec::smoothing {

// The fraction of a window that its taper covers, half at each end.
inline constexpr double kTukeyFraction = 0.1;

// The Tukey taper of n samples: a raised cosine over the first and last fraction/2 of the
// window, 1 between.
std::vector<double> tukey_taper(std::size_t n, double fraction);

struct WindowSpectra {
    std::vector<double> frequencies;  // the bins above zero frequency up to Nyquist, Hz
    // amplitudes[w][c]: window w, component c, one per frequency.
    std::vector<std::array<std::vector<double>, 3>> amplitudes;
};

// The amplitude spectra of every whole window of window_samples samples (at least 4) that
// the series hold. Each window is transformed with the tool's own transform, zero-padded to
// a power of two, and scaled by dt like the record's spectra; window_samples is at most the
// transform's longest length.
WindowSpectra window_spectra(std::array<std::span<const double>, 3> series, double dt,
                             std::size_t window_samples);

}  // namespace wavespec::smoothing
