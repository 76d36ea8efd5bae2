// Back to the time domain: conjugate-symmetric fill of the upper half, inverse transforms,
// and rescaling of the real parts by the record length in seconds.
#pragma once

#include <span>

#include "spectral/complex_value.hpp"

namespace wavespec {

// For i = 2 .. n/2 (counted from 1), bin n - i + 2 becomes the conjugate of bin i. Bin 1 and
// bin n/2 + 1 keep their values.
void conjugate_fill(std::span<Complex> spectrum);

// xr(i) = Re fx(i) / dur for every position of an inverse-transformed spectrum.
void rescale(std::span<const Complex> fx, double dur, std::span<double> xr);

// xrK(i) = Re fxK(i) / dur for every position of the (inverse-transformed) spectra.
void rescale(std::span<const Complex> fx1, std::span<const Complex> fx2,
             std::span<const Complex> fx3, double dur, std::span<double> xr1, std::span<double> xr2,
             std::span<double> xr3);

}  // namespace wavespec
