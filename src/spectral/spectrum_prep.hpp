// From component series to scaled spectra: polarity, transform length, zero padding, forward
// transforms, scaling by the sampling interval, and the frequency grid.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "spectral/complex_value.hpp"

namespace wavespec {

// The 2 pi of the frequency grid, the band-pass corners and the dialogue's highest frequency,
// cut to 6.283185307: the dialogue's files and every stored spectrum were computed with it.
// Everything else uses kTwoPi, 2 pi to full double precision.
inline constexpr double kDialogueTwoPi = 6.283185307;
inline constexpr int kMaxTransformLength = 32768;

// Changes the sign of every sample of one component.
void invert_polarity(std::span<double> series);

struct TransformLength {
    std::int32_t exponent;  // if1
    std::int32_t length;    // nf
};

// The smallest power of two from 4 to `longest` (a power of two, 32768 unless a caller allows
// longer transforms) that is at least nt; nothing when nt > longest.
std::optional<TransformLength> choose_transform_length(std::int64_t nt,
                                                       std::int32_t longest = kMaxTransformLength);

// Fills the spectrum with the series (imaginary parts 0) and zeros up to its size, transforms
// it forward and multiplies every bin by the complex number (dt, 0).
void forward_spectrum(std::span<const double> series, std::span<Complex> spectrum, int mom,
                      double dt);

struct FrequencyGrid {
    double dur;        // nf * dt, seconds
    double dom;        // angular frequency step, radians per second
    std::int32_t nom;  // bins from zero frequency to the Nyquist bin inclusive
    double eom;        // nom * dom
};

FrequencyGrid frequency_grid(std::int32_t nf, double dt);

// Frequency in Hz of bin i (counted from 1): ((i - 1) * dom) / 2 pi, multiplied first.
inline double bin_frequency(std::int32_t i, double dom) {
    return (static_cast<double>(i - 1) * dom) / kDialogueTwoPi;
}

}  // namespace wavespec
