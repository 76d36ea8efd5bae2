// Fourier transforms of real series of one length N (a deconvolution needs them): forward to
// the bins 0 .. N/2, and back from those bins to the series. An even N goes through a complex
// transform of N/2 (the even samples as real parts, the odd as imaginary parts), half the work
// of a complex transform of N; an odd N through the complex transform of N itself.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "spectral/complex_value.hpp"
#include "spectral/mixed_fft.hpp"

namespace wavespec {

class RealTransform {
  public:
    explicit RealTransform(std::size_t length);
    std::size_t length() const { return n_; }
    // exp(-2 pi i t / N) for t = 0 .. N-1.
    const std::vector<Complex>& roots() const { return roots_; }

    // bins[m] = sum_p x[p] exp(-2 pi i p m / N) for m = 0 .. N/2; x (at most N samples) is
    // taken as zero beyond its end.
    void forward(std::span<const double> x, std::vector<Complex>& bins);
    // out[p] = sum_m X[m] exp(+2 pi i p m / N) over all N bins, for p < out.size() (at most N),
    // where X[m] = bins[m] up to N/2 and X[N - m] = conj(bins[m]): the series whose spectrum
    // the bins are. The imaginary parts of bins 0 and N/2, which a real series has not, are
    // dropped. The bins are overwritten.
    void inverse(std::vector<Complex>& bins, std::span<double> out);

  private:
    std::size_t n_;
    bool halved_;
    MixedFft fft_;
    std::vector<Complex> roots_, work_;
};

}  // namespace wavespec
