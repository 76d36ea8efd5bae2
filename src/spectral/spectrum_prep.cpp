#include "spectral/spectrum_prep.hpp"

#include "spectral/wvfast.hpp"

namespace wavespec {

void invert_polarity(std::span<double> series) {
    for (double& x : series) x = -x;
}

std::optional<TransformLength> choose_transform_length(std::int64_t nt, std::int32_t longest) {
    std::int32_t nf = 2;
    for (std::int32_t if1 = 2; nf < longest; ++if1) {
        nf *= 2;
        if (nf >= nt) return TransformLength{if1, nf};
    }
    return std::nullopt;
}

void forward_spectrum(std::span<const double> series, std::span<Complex> spectrum, int mom,
                      double dt) {
    std::size_t n = spectrum.size();
    for (std::size_t i = 0; i < n; ++i) {
        spectrum[i] = Complex{i < series.size() ? series[i] : 0.0, 0.0};
    }
    wvfast(static_cast<int>(n), spectrum, mom, -1);
    for (Complex& bin : spectrum) {
        // The complex product with (dt, 0), term by term.
        double re = bin.re;
        double im = bin.im;
        bin.re = re * dt - im * 0.0;
        bin.im = re * 0.0 + im * dt;
    }
}

FrequencyGrid frequency_grid(std::int32_t nf, double dt) {
    FrequencyGrid grid{};
    grid.dur = static_cast<double>(nf) * dt;
    grid.dom = kDialogueTwoPi / grid.dur;
    grid.nom = nf / 2 + 1;
    grid.eom = static_cast<double>(grid.nom) * grid.dom;
    return grid;
}

}  // namespace wavespec
