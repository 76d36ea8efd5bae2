// The record as the oscillators see it: the band-limited signal through its samples (no
// content above the Nyquist frequency), with zeros before and after the record for ever, so
// that zeros written after it change nothing. It is handed to the exact piecewise-linear step
// (oscillator.hpp) as knots r times denser than the samples, each knot pre-compensated so that the
// piecewise- linear signal through the knots has exactly the record's spectrum below the Nyquist
// frequency; what remains are its images around multiples of r/dt. error_estimate() weighs
// those images, and the cubic peak search between knots, against the response itself, so
// that r can be chosen per oscillator.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "response/copy_tails.hpp"
#include "response/oscillator.hpp"
#include "spectral/complex_value.hpp"
#include "spectral/mixed_fft.hpp"

namespace wavespec::response {

// Knots hold the three components and the sum of the first two: by linearity the response in
// the fourth lane is the sum of the horizontals' responses, which bounds their path.
inline constexpr int kLanes = 4;

// Tables of the turns that shift a spectrum by a fraction of a sample (band_limited.cpp).
struct TurnTables;

class BandLimitedRecord {
  public:
    BandLimitedRecord(std::array<std::span<const double>, 3> series, double dt);

    double dt() const { return dt_; }
    // Knots per sample interval chosen for this oscillator: the smallest power of two up to
    // kMostKnotsPerSample whose estimated relative error is below the target.
    int knots_per_sample(Oscillator oscillator) const;
    // Relative RMS error of the response, the worst of the three quantities and components, with
    // r knots per sample interval.
    double error_estimate(Oscillator oscillator, int r) const;

    // The knots (kLanes values each, knot_count(r) of them into out) for r knots per sample
    // interval, from a guard of samples before the record to a guard after it, the outer half
    // of each guard tapered to zero; the input is zero before the first knot and after the last.
    // The transforms behind them are shared out among threads threads.
    void knots(int r, double* out, unsigned threads = 1) const;
    std::size_t knot_count(int r) const {
        return (samples_ + 2 * guard_) * static_cast<std::size_t>(r);
    }

  private:
    // The spectrum of transform t of the knots for r knots per sample interval, and the
    // placing of one phase of its result among the knots.
    void phase_spectrum(std::size_t t, int r, const TurnTables& tables,
                        const std::vector<double>& weight, std::vector<Complex>& z) const;
    void place_phase(const std::vector<Complex>& z, int r, std::size_t s, std::size_t lane,
                     bool imaginary, double* knots) const;
    void taper_guards(int r, double* knots) const;

    struct Band {
        double low = 0.0, high = 0.0;  // angular frequencies of its first and last bin
        std::array<double, 3> power{};
    };
    double dt_;
    std::size_t samples_, guard_, length_;          // length_: the transform's length
    std::array<std::vector<Complex>, 3> spectrum_;  // bins 0 .. length_/2
    mutable MixedFft fft_{1};                       // of length_
    std::vector<Band> fine_bands_;                  // logarithmic, for the response itself
    std::vector<Band> coarse_bands_;                // linear, for the errors
    std::unique_ptr<CopyTails> copy_tails_;
};

inline constexpr int kMostKnotsPerSample = 16;
inline constexpr double kErrorTarget = 1e-4;

}  // namespace wavespec::response
