// Values between the points of a grid that holds a series with no content above half the
// grid's own Nyquist frequency: the record's band-limited signal (content below fN) at two
// points per sample interval. That guard band lets a short kernel stand in for the infinite
// sinc: a sinc under a Kaiser window of 2 kReach points is within about 1e-11 of the series'
// size at every point between, where the transforms would give every point exactly but at
// the cost of a transform of the whole record per point of each interval.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace wavespec::response {

// Grid points used on each side of an interval.
inline constexpr std::size_t kInterpolationReach = 16;

class GridInterpolator {
  public:
    // divisions: points per grid interval wanted (1 or more), at m + j / divisions.
    explicit GridInterpolator(int divisions);
    int divisions() const { return divisions_; }

    // out[i * stride] = the value at m + j / divisions for m = first + i, i < count, from
    // grid[m - kInterpolationReach + 1 .. m + kInterpolationReach]; j in 1 .. divisions - 1.
    void between(const double* grid, std::size_t first, std::size_t count, int j, double* out,
                 std::size_t stride) const;

  private:
    using Taps = std::array<double, 2 * kInterpolationReach>;
    int divisions_;
    std::vector<Taps> taps_;  // [j]: the weights of grid points m - reach + 1 .. m + reach
};

}  // namespace wavespec::response
