#include "spectral/reconstruction.hpp"

namespace wavespec {

void conjugate_fill(std::span<Complex> spectrum) {
    std::size_t n = spectrum.size();
    for (std::size_t i = 2; i <= n / 2; ++i) {
        const Complex& source = spectrum[i - 1];
        spectrum[n - i + 1] = Complex{source.re, -source.im};
    }
}

void rescale(std::span<const Complex> fx1, std::span<const Complex> fx2,
             std::span<const Complex> fx3, double dur, std::span<double> xr1, std::span<double> xr2,
             std::span<double> xr3) {
    for (std::size_t i = 0; i < fx1.size(); ++i) {
        xr1[i] = fx1[i].re / dur;
        xr2[i] = fx2[i].re / dur;
        xr3[i] = fx3[i].re / dur;
    }
}

}  // namespace wavespec
