#include "response/grid_interpolation.hpp"

#include <cmath>
#include <numbers>

#include "response/quad_lanes.hpp"
#include "spectral/portable_math.hpp"
#include "support/processor.hpp"


namespace wavespec::response {
namespace {

using namespace quad_lanes;

// The window's shape: its spectrum falls to about 1e-11 within a quarter of a cycle per
// grid point, the guard band between the series' content and its first image.
constexpr double kKaiserShape = 25.0;

// I0(x) by its series, additions and multiplications only (the same digits everywhere).
double bessel_i0(double x) {
    double term = 1.0, sum = 1.0;
    for (int k = 1; term > 1e-18 * sum; ++k) {
        const double half = x / (2.0 * k);
        term *= half * half;
        sum += term;
    }
    return sum;
}

double windowed_sinc(double x) {
    const double reach = static_cast<double>(kInterpolationReach);
    const double u = x / reach;
    if (std::fabs(u) >= 1.0) return 0.0;
    const double window =
        bessel_i0(kKaiserShape * std::sqrt(1.0 - u * u)) / bessel_i0(kKaiserShape);
    if (x == 0.0) return window;
    return portable_sin_cos(std::numbers::pi * x).sin / (std::numbers::pi * x) * window;
}

}  // namespace

GridInterpolator::GridInterpolator(int divisions)
    : divisions_(divisions), taps_(static_cast<std::size_t>(divisions)) {
    const auto reach = static_cast<int>(kInterpolationReach);
    for (int j = 1; j < divisions; ++j) {
        const double phase = static_cast<double>(j) / divisions;
        for (int t = -reach + 1; t <= reach; ++t) {
            taps_[static_cast<std::size_t>(j)][static_cast<std::size_t>(t + reach - 1)] =
                windowed_sinc(phase - t);
        }
    }
}

namespace {

// Eight outputs at a time in two vectors of four, each summing its taps in order as alone.
[[gnu::always_inline]] inline void between_lanes(const double* taps, const double* from,
                                                 std::size_t count, double* out,
                                                 std::size_t stride) {
    constexpr std::size_t kTaps = 2 * kInterpolationReach;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        Quad low = splat(0.0), high = splat(0.0);
        for (std::size_t t = 0; t < kTaps; ++t) {
            const Quad tap = splat(taps[t]);
            low += tap * load(from + i + t);
            high += tap * load(from + i + 4 + t);
        }
        for (std::size_t l = 0; l < 4; ++l) {
            out[(i + l) * stride] = low[l];
            out[(i + 4 + l) * stride] = high[l];
        }
    }
    for (; i < count; ++i) {
        double sum = 0.0;
        for (std::size_t t = 0; t < kTaps; ++t) sum += taps[t] * from[i + t];
        out[i * stride] = sum;
    }
}

void between_narrow(const double* taps, const double* from, std::size_t count, double* out,
                    std::size_t stride) {
    between_lanes(taps, from, count, out, stride);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// Not on Windows, where the compilers do not keep the stack aligned for these registers.
#define WAVESPEC_WIDE_INTERPOLATION 1
__attribute__((target("avx"))) void between_wide(const double* taps, const double* from,
                                                 std::size_t count, double* out,
                                                 std::size_t stride) {
    between_lanes(taps, from, count, out, stride);
}
#endif

}  // namespace

void GridInterpolator::between(const double* grid, std::size_t first, std::size_t count, int j,
                               double* out, std::size_t stride) const {
    const double* taps = taps_[static_cast<std::size_t>(j)].data();
    const double* from = grid + first - (kInterpolationReach - 1);
#ifdef WAVESPEC_WIDE_INTERPOLATION
    if (processor_has_avx()) return between_wide(taps, from, count, out, stride);
#endif
    between_narrow(taps, from, count, out, stride);
}

}  // namespace wavespec::response
