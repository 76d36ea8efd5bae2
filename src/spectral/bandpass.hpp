// The trapezoidal band-pass filter: weight 0 at and below fl1, a straight rise to 1 at fl2,
// 1 up to fh1, a straight fall to 0 at fh2, and 0 at and above fh2.
#pragma once

#include <span>

#include "spectral/complex_value.hpp"

namespace wavespec {

struct BandCorners {
    double fl1, fl2, fh1, fh2;  // Hz
};

// The weight of a bin at angular frequency omega, given the corners in radians per second.
// A ramp of zero width is a step at its corner: it divides by nothing.
double bandpass_weight(double omega, double oml1, double oml2, double omh1, double omh2);

// Zeroes and weights bins 1 .. spectrum.size() of each spectrum (bin i at (i-1) * dom).
void apply_bandpass(BandCorners corners, double dom, std::span<Complex> fx1, std::span<Complex> fx2,
                    std::span<Complex> fx3);

}  // namespace wavespec
