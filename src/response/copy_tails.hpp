// The knots come from transforms of an even length L, which see the record repeated every L
// samples: every knot also holds the far tails of the record's other copies. Beyond the
// record those tails are (-1)^j times a smooth function of the time, known from the record
// alone; this class gives that sum so that it can be taken off, leaving the knots of the
// record alone, with zeros before and after it for ever, whatever L is.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace wavespec::response {

// The far field of the knot kernel q(tau), the knots of one unit sample at tau samples from
// it: q(tau) = (-1)^j (a0 / tau + a1 / tau^2 + ...) for tau = j + phase, j whole.
struct FarField {
    double a0 = 0.0, a1 = 0.0;
};
// For knots r per sample interval at this phase (0 <= phase < 1): the kernel's spectrum is
// 1 / sinc^2(u / r) for |u| < 1/2 cycles per sample, turned by the phase.
FarField far_field(int r, double phase);

class CopyTails {
  public:
    // series: the three components; period: L (even, at least 1.25 (samples + 2 guard));
    // guard: samples of knots before the record and after it; the sums are shared out among
    // threads threads.
    CopyTails(std::array<std::span<const double>, 3> series, std::size_t period, std::size_t guard,
              unsigned threads = 1);
    // Takes the copies' share off the three lanes of a grid of points per sample interval of
    // the signal pre-compensated for r knots per sample interval, from guard samples before
    // the record to guard samples after it (guard even) and margin grid points beyond either
    // end (at most kMostMargin samples' worth; lanes[c][margin] is the first knot's point).
    // The work is shared out among threads threads.
    void take_off(int r, int points, std::size_t margin, std::array<double*, 3> lanes,
                  unsigned threads = 1) const;
    static constexpr std::size_t kMostMargin = 24;

  private:
    // sum_n y_c[n] Z_k(t - n) for k = 0, 1 (y = (-1)^n x), with Z_k(z) = sum over p != 0 of
    // (z - p L)^-(k+1), at every kStride-th position from kMostMargin samples before the span:
    // smooth, so read between by a cubic.
    std::size_t span_, positions_;
    std::array<std::array<std::vector<double>, 2>, 3> sums_;
};

}  // namespace wavespec::response
