// A complex Fourier transform of any length whose prime factors are 2, 3 and 5 (Stockham
// order, no bit reversal), with factors from spectral/portable_math: the same results on every
// platform. The tool's wvfast takes powers of two up to 32768 only; the response spectra need
// longer and other lengths (the record, its zeros after it, and band-limited upsampling).
#pragma once

#include <cstddef>
#include <vector>

#include "spectral/complex_value.hpp"

namespace wavespec {

// The smallest length of the form 2^a 3^b 5^c that is at least n (and at least 1).
std::size_t smooth_length(std::size_t n);

class MixedFft {
  public:
    // n must be of the form 2^a 3^b 5^c.
    explicit MixedFft(std::size_t n);
    std::size_t size() const { return n_; }
    // data[m] becomes sum_p data[p] exp(-+ 2 pi i p m / n): forward (-) or inverse (+), not
    // normalised.
    void transform(Complex* data, bool inverse);

  private:
    std::size_t n_;
    std::vector<int> radices_;
    std::vector<Complex> roots_;  // exp(-2 pi i t / n), t = 0 .. n-1, while constructing
    std::vector<std::vector<Complex>> stage_factors_;
    std::vector<Complex> work_;
};

}  // namespace wavespec
