// The record as the oscillators see it: the band-limited signal through its samples (no
// content above the Nyquist frequency), with zeros before and after the record for ever, so
// that zeros written after it change nothing. It is handed to the exact piecewise-linear step
// (oscillator.hpp) as knots r times denser than the samples, each knot pre-compensated so that the
// piecewise-linear signal through the knots has exactly the record's spectrum below the Nyquist
// frequency; what remains are its images around multiples of r/dt. error_estimate() weighs
// those images, and the cubic peak search between knots, against the response itself, so
// that r can be chosen per oscillator.
//
// The knots of a spacing come from a grid of that pre-compensated signal at one or two points
// per sample interval (transforms of the whole record), and are made from it a block at a time
// (grid_interpolation.hpp): only the grid, not every knot of the record, is held.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "response/copy_tails.hpp"
#include "response/grid_interpolation.hpp"
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
    // The work of the copies' tails is shared out among threads threads.
    BandLimitedRecord(std::array<std::span<const double>, 3> series, double dt,
                      unsigned threads = 1);

    double dt() const { return dt_; }
    // Knots per sample interval chosen for this oscillator: the smallest power of two up to
    // kMostKnotsPerSample whose estimated relative error is below the target.
    int knots_per_sample(Oscillator oscillator) const;
    // Relative RMS error of the response, the worst of the three quantities and components, with
    // r knots per sample interval.
    double error_estimate(Oscillator oscillator, int r) const;

    // The pre-compensated signal for r knots per sample interval at min(r, 2) points per
    // sample interval, from a guard of samples before the record to a guard after it and a
    // margin beyond, for knots(). The transforms behind it are shared out among threads threads.
    struct KnotGrid {
        int rate = 1;            // r
        int points = 1;          // grid points per sample interval
        std::size_t margin = 0;  // grid points before knot 0's (and after the last knot's)
        std::array<std::vector<double>, 3> lanes;  // the three components
        std::vector<double> taper;  // the guards' outer halves, from the outermost knot in
        GridInterpolator interpolator{1};
    };
    KnotGrid knot_grid(int r, unsigned threads = 1) const;
    // Knots first .. first + count - 1 of the grid's spacing (kLanes values each, into out): the
    // three components, the outer half of each guard tapered to zero, and the sum of the first
    // two. The input is zero before the first knot and after the last.
    void knots(const KnotGrid& grid, std::size_t first, std::size_t count, double* out) const;
    std::size_t knot_count(int r) const {
        return (samples_ + 2 * guard_) * static_cast<std::size_t>(r);
    }

  private:
    // The spectrum of transform t of a grid of phases points per sample interval, and the
    // placing of one phase of its result in the grid.
    void phase_spectrum(std::size_t t, int phases, const TurnTables& tables,
                        const std::vector<double>& weight, std::vector<Complex>& z) const;
    void place_phase(const std::vector<Complex>& z, std::size_t s, bool imaginary, KnotGrid& grid,
                     std::size_t lane) const;

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
