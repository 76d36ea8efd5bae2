#include "spectral/reconstruction.hpp"

namespace wavespec {

void conjugate_fill(std::span<Complex> spectrum) {
    std::size_t n = spectrum.size();
    for (std::size_t i = 2; i <= n / 2; ++i) {
        const Complex& source = spectrum[i - 1];
        spectrum[n - i + 1] = Complex{source.re, -source.im};
    }
}

void rescale(std::span<const Complex> fx, double dur, std::span<double> xr) {
    for (std::size_t i = 0; i < fx.size(); ++i) xr[i] = fx[i].re / dur;
}

void rescale(std::span<const Complex> fx1, std::span<const Complex> fx2,
             std::span<const Complex> fx3, double dur, std::span<double> xr1, std::span<double> xr2,
             std::span<double> xr3) {
    rescale(fx1, dur, xr1);
    rescale(fx2, dur, xr2);
    rescale(fx3, dur, xr3);
}

}  // namespace wavespec
