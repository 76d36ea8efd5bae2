#include "spectral/real_transform.hpp"

#include <algorithm>

#include "spectral/complex_arithmetic.hpp"

namespace wavespec {

RealTransform::RealTransform(std::size_t length)
    : n_(std::max<std::size_t>(length, 1)),
      halved_(n_ % 2 == 0),
      fft_(halved_ ? n_ / 2 : n_),
      roots_(n_) {
    // The upper half as the conjugates of the lower: exp(-2 pi i (N - t) / N) = conj(roots[t]).
    for (std::size_t t = 0; t <= n_ / 2; ++t) {
        roots_[t] = unit_root(static_cast<double>(t) / static_cast<double>(n_));
    }
    for (std::size_t t = n_ / 2 + 1; t < n_; ++t) {
        roots_[t] = {roots_[n_ - t].re, -roots_[n_ - t].im};
    }
}

void RealTransform::forward(std::span<const double> x, std::vector<Complex>& bins) {
    const std::size_t count = std::min(x.size(), n_);
    bins.resize(n_ / 2 + 1);
    if (!halved_) {
        work_.assign(n_, Complex{});
        for (std::size_t p = 0; p < count; ++p) work_[p].re = x[p];
        fft_.transform(work_.data(), false);
        std::copy(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(bins.size()),
                  bins.begin());
        return;
    }
    const std::size_t half = n_ / 2;
    work_.assign(half, Complex{});
    for (std::size_t p = 0; p < count; ++p) (p % 2 == 0 ? work_[p / 2].re : work_[p / 2].im) = x[p];
    fft_.transform(work_.data(), false);
    // Z = E + i O with E, O the spectra of the even and odd samples, each of a real series:
    // E[m] = (Z[m] + conj Z[M-m]) / 2, O[m] = (Z[m] - conj Z[M-m]) / 2i, X[m] = E + w^m O.
    for (std::size_t m = 0; m <= half; ++m) {
        const Complex z = work_[m == half ? 0 : m];
        const Complex mirror = work_[m == 0 ? 0 : half - m];
        const Complex sum{0.5 * (z.re + mirror.re), 0.5 * (z.im - mirror.im)};
        const Complex odd{0.5 * (z.im + mirror.im), -0.5 * (z.re - mirror.re)};
        bins[m] = sum + roots_[m] * odd;
    }
}

void RealTransform::inverse(std::vector<Complex>& bins, std::span<double> out) {
    const std::size_t count = std::min(out.size(), n_);
    bins.resize(n_ / 2 + 1);
    bins.front().im = 0.0;
    if (!halved_) {
        work_.resize(n_);
        std::copy(bins.begin(), bins.end(), work_.begin());
        for (std::size_t m = 1; m < bins.size(); ++m) {
            work_[n_ - m] = {bins[m].re, -bins[m].im};
        }
        fft_.transform(work_.data(), true);
        for (std::size_t p = 0; p < count; ++p) out[p] = work_[p].re;
        return;
    }
    const std::size_t half = n_ / 2;
    bins.back().im = 0.0;
    // The even samples' spectrum X[m] + X[m+M] and the odd samples' (X[m] - X[m+M]) w^-m, with
    // X[m+M] = conj X[M-m], packed as one complex spectrum of length M.
    work_.resize(half);
    for (std::size_t m = 0; m < half; ++m) {
        const Complex x = bins[m], mirror{bins[half - m].re, -bins[half - m].im};
        const Complex even = x + mirror;
        const Complex odd = (x - mirror) * Complex{roots_[m].re, -roots_[m].im};
        work_[m] = {even.re - odd.im, even.im + odd.re};
    }
    fft_.transform(work_.data(), true);
    for (std::size_t p = 0; p < count; ++p) out[p] = p % 2 == 0 ? work_[p / 2].re : work_[p / 2].im;
}

}  // namespace wavespec
