// A complex Fourier transform of any length (Stockham order, no bit reversal), with factors
// from spectral/portable_math: the same results on every platform. Radices 4, 2, 3 and 5 have
// their own butterflies, other primes up to kLargestDirectPrime a general one; a length with a
// larger prime factor goes through Bluestein's chirp-z form, a convolution done with a
// transform of a 2^a 3^b 5^c length. The tool's wvfast takes powers of two up to 32768 only;
// the response spectra need longer and other lengths (the record, its zeros after it, and
// band-limited upsampling), the noise windows exactly their own length.
#pragma once

#include <cstddef>
#include <vector>

#include "spectral/complex_value.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec {

// The smallest length of the form 2^a 3^b 5^c that is at least n (and at least 1).
std::size_t smooth_length(std::size_t n);

class MixedFft {
  public:
    // Prime factors up to this go through a butterfly of their own size.
    static constexpr std::size_t kLargestDirectPrime = 47;

    // Any n >= 1.
    explicit MixedFft(std::size_t n);
    std::size_t size() const { return n_; }
    // data[m] becomes sum_p data[p] exp(-+ 2 pi i p m / n): forward (-) or inverse (+), not
    // normalised.
    void transform(Complex* data, bool inverse);
    // The same transform with the caller's work space of at least work_size() values, so that
    // threads share one plan (its tables) instead of each holding a copy.
    std::size_t work_size() const;
    void transform(Complex* data, bool inverse, Complex* work) const;

  private:
    void plan_chirp_z();
    void stages(Complex* data, bool inverse, Complex* work) const;
    // chirp_work: the inner length; inner_work: the inner transform's work space.
    void chirp_z(Complex* data, bool inverse, Complex* chirp_work, Complex* inner_work) const;

    std::size_t n_;
    std::vector<int> radices_;
    std::vector<std::vector<SineCosine>> prime_roots_;  // exp(2 pi i t / p) of general stages
    std::vector<Complex> roots_;  // exp(-2 pi i t / n), t = 0 .. n-1, while constructing
    std::vector<std::vector<Complex>> stage_factors_;
    std::vector<Complex> work_;
    // Bluestein's form, for lengths with a larger prime factor: chirp_[k] = exp(-pi i k^2 / n),
    // the kernel's transform of the inner length, and that inner transform.
    std::vector<Complex> chirp_, kernel_;
    std::vector<MixedFft> inner_;
};

}  // namespace wavespec
