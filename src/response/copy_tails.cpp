#include "response/copy_tails.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "response/quad_lanes.hpp"
#include "spectral/portable_math.hpp"
#include "support/processor.hpp"
#include "support/worker_threads.hpp"


namespace wavespec::response {
namespace {

constexpr double kPi = std::numbers::pi;
// Chebyshev points over the knots' span at which the sums are computed exactly: with the
// copies at least a quarter of the span away, the sums are polynomials of this degree to
// rounding (their poles lie 1.5 half-spans from the middle: 2.6^-40 is below 1e-16).
constexpr std::size_t kNodes = 40;
// The sums are kept at every kStride-th sample and read between by a cubic.
constexpr std::size_t kStride = 8;

using namespace quad_lanes;

// sums[c][k][a]: sum over the samples n of (-1)^n x_c[n] Z_k(t_a - n), Z_0(z) and Z_1(z) the
// sums over p != 0 of 1/(z - pL) and 1/(z - pL)^2: (pi/L) cot(pi z/L) less 1/z and its negative
// derivative; near z = 0 their series, -pi^2 z/(3 L^2) and pi^2/(3 L^2) + pi^4 z^2/(15 L^4).
// The points four at a time, each summing over the samples in their order as one at a time
// would; step is pi/L.
[[gnu::always_inline]] inline void sum_over_samples_lanes(
    const std::array<std::span<const double>, 3>& series, const SineCosine* angle,
    const double* node_t, const double* node_sin, const double* node_cos, double step,
    std::size_t first_group, std::size_t end_group, double (&out)[3][2][kNodes]) {
    constexpr std::size_t kGroups = kNodes / 4;
    Quad sums[3][2][kGroups] = {};
    const Quad a1 = splat(step), a2 = a1 * a1, a4 = a2 * a1 * a1, one = splat(1.0);
    const std::size_t samples = series[0].size();
    for (std::size_t n = 0; n < samples; ++n) {
        const Quad an_sin = splat(angle[n].sin), an_cos = splat(angle[n].cos);
        const Quad at_n = splat(static_cast<double>(n));
        const double sign = n % 2 == 0 ? 1.0 : -1.0;
        const Quad y[3] = {splat(sign * series[0][n]), splat(sign * series[1][n]),
                           splat(sign * series[2][n])};
        for (std::size_t g = first_group; g < end_group; ++g) {
            const Quad z = load(node_t + 4 * g) - at_n;
            const Quad ts = load(node_sin + 4 * g), tc = load(node_cos + 4 * g);
            // cot(pi (t - n) / L) by the difference of the angles.
            const Quad sn = ts * an_cos - tc * an_sin, cs = tc * an_cos + ts * an_sin;
            const QuadMask near = magnitude(z) < splat(0.5);
            const bool any_near = (near[0] | near[1] | near[2] | near[3]) != 0;
            // Where the point is near the sample (sn is 0 at most there) the series stands in.
            const Quad cot =
                cs / (any_near ? (Quad)((near & (QuadMask)one) | (~near & (QuadMask)sn)) : sn);
            Quad z0 = a1 * cot - one / z, z1 = a2 * (one + cot * cot) - one / (z * z);
            if (any_near) {
                const Quad s0 = -a2 * z / splat(3.0),
                           s1 = a2 / splat(3.0) + a4 * z * z / splat(15.0);
                z0 = (Quad)((near & (QuadMask)s0) | (~near & (QuadMask)z0));
                z1 = (Quad)((near & (QuadMask)s1) | (~near & (QuadMask)z1));
            }
            for (int lane = 0; lane < 3; ++lane) {
                sums[lane][0][g] += y[lane] * z0;
                sums[lane][1][g] += y[lane] * z1;
            }
        }
    }
    for (int lane = 0; lane < 3; ++lane)
        for (int k = 0; k < 2; ++k)
            for (std::size_t a = 4 * first_group; a < 4 * end_group; ++a)
                out[lane][k][a] = sums[lane][k][a / 4][a % 4];
}

void sum_over_samples_narrow(const std::array<std::span<const double>, 3>& series,
                             const SineCosine* angle, const double* node_t, const double* node_sin,
                             const double* node_cos, double step, std::size_t first_group,
                             std::size_t end_group, double (&out)[3][2][kNodes]) {
    sum_over_samples_lanes(series, angle, node_t, node_sin, node_cos, step, first_group, end_group,
                           out);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// Not on Windows, where the compilers do not keep the stack aligned for these registers.
#define WAVESPEC_WIDE_SUMS 1
__attribute__((target("avx"))) void sum_over_samples_wide(
    const std::array<std::span<const double>, 3>& series, const SineCosine* angle,
    const double* node_t, const double* node_sin, const double* node_cos, double step,
    std::size_t first_group, std::size_t end_group, double (&out)[3][2][kNodes]) {
    sum_over_samples_lanes(series, angle, node_t, node_sin, node_cos, step, first_group, end_group,
                           out);
}
#endif

// The groups of four points from first_group to end_group.
void sum_over_samples(const std::array<std::span<const double>, 3>& series, const SineCosine* angle,
                      const double* node_t, const double* node_sin, const double* node_cos,
                      double step, std::size_t first_group, std::size_t end_group,
                      double (&out)[3][2][kNodes]) {
#ifdef WAVESPEC_WIDE_SUMS
    if (processor_has_avx()) {
        return sum_over_samples_wide(series, angle, node_t, node_sin, node_cos, step, first_group,
                                     end_group, out);
    }
#endif
    sum_over_samples_narrow(series, angle, node_t, node_sin, node_cos, step, first_group, end_group,
                            out);
}

}  // namespace

FarField far_field(int r, double phase) {
    // w(u) = g(u/r), g(x) = (pi x / sin(pi x))^2; at u = 1/2: w = g(x0), w' = g'(x0)/r with
    // g'(x) = 2 g(x) (1/x - pi cot(pi x)). Integrating the kernel's spectrum by parts twice:
    // q(tau) = w sin(pi tau)/(pi tau) + 2 w' cos(pi tau)/(2 pi tau)^2 + O(tau^-3).
    const double x0 = 0.5 / r;
    const SineCosine at = portable_sin_cos(kPi * x0);
    const double g = (kPi * x0 / at.sin) * (kPi * x0 / at.sin);
    const double w0 = g, w1 = 2.0 * g * (1.0 / x0 - kPi * at.cos / at.sin) / r;
    const SineCosine turn = portable_sin_cos(kPi * phase);
    return {w0 * turn.sin / kPi, w1 * turn.cos / (2.0 * kPi * kPi)};
}

CopyTails::CopyTails(std::array<std::span<const double>, 3> series, std::size_t period,
                     std::size_t guard, unsigned threads) {
    const std::size_t samples = series[0].size();
    // The Chebyshev points cover the knots' span and the margins beyond it.
    const double extra = static_cast<double>(kMostMargin);
    const double span = static_cast<double>(samples + 2 * guard), middle = 0.5 * span;
    const double half = middle + extra;
    const double length = static_cast<double>(period);
    // The angles pi n / L of the samples, for cot(pi (t - n) / L) by the difference of angles.
    std::vector<SineCosine> angle(samples);
    for (std::size_t n = 0; n < samples; ++n) {
        angle[n] = portable_sin_cos(kPi * static_cast<double>(n) / length);
    }
    // The sums at the Chebyshev points, then their Chebyshev coefficients.
    alignas(32) std::array<double, kNodes> node_t, node_sin, node_cos;
    std::array<double, kNodes> node_angle;
    for (std::size_t a = 0; a < kNodes; ++a) {
        node_angle[a] = kPi * (static_cast<double>(a) + 0.5) / kNodes;
        node_t[a] =
            middle + half * portable_sin_cos(node_angle[a]).cos - static_cast<double>(guard);
        const SineCosine ta = portable_sin_cos(kPi * node_t[a] / length);
        node_sin[a] = ta.sin;
        node_cos[a] = ta.cos;
    }
    double sums[3][2][kNodes] = {};
    // Each point sums over the samples alone: the groups of points are shared out.
    constexpr std::size_t kGroups = kNodes / 4;
    run_in_stretches(std::min<std::size_t>(threads, samples / 4096 + 1), kGroups,
                     [&](std::size_t from, std::size_t to) {
                         sum_over_samples(series, angle.data(), node_t.data(), node_sin.data(),
                                          node_cos.data(), kPi / length, from, to, sums);
                     });
    std::array<std::array<std::array<double, kNodes>, 2>, 3> at{};
    for (int lane = 0; lane < 3; ++lane)
        for (int k = 0; k < 2; ++k)
            for (std::size_t a = 0; a < kNodes; ++a) at[lane][k][a] = sums[lane][k][a];
    std::array<std::array<std::array<double, kNodes>, 2>, 3> coefficients{};
    for (std::size_t j = 0; j < kNodes; ++j) {
        for (std::size_t a = 0; a < kNodes; ++a) {
            const double basis =
                portable_sin_cos(static_cast<double>(j) * node_angle[a]).cos * 2.0 / kNodes;
            for (int lane = 0; lane < 3; ++lane)
                for (int k = 0; k < 2; ++k) coefficients[lane][k][j] += basis * at[lane][k][a];
        }
    }
    for (auto& lane : coefficients)
        for (auto& k : lane) k[0] *= 0.5;
    // Kept from one stride before the margin to two after it, for the cubic at either end.
    span_ = samples + 2 * guard;
    positions_ = (span_ + 2 * kMostMargin) / kStride + 4;
    for (int lane = 0; lane < 3; ++lane) {
        for (int k = 0; k < 2; ++k) {
            std::vector<double>& out = sums_[lane][k];
            out.resize(positions_);
            for (std::size_t i = 0; i < positions_; ++i) {
                const double x = (static_cast<double>(i) - 1.0) * kStride - extra;
                const double u = (x - middle) / half;
                double b1 = 0.0, b2 = 0.0;  // Clenshaw
                for (std::size_t j = kNodes; j-- > 1;) {
                    const double b = 2.0 * u * b1 - b2 + coefficients[lane][k][j];
                    b2 = b1;
                    b1 = b;
                }
                out[i] = u * b1 - b2 + coefficients[lane][k][0];
            }
        }
    }
}

void CopyTails::take_off(int r, int points, std::size_t margin, std::array<double*, 3> lanes,
                         unsigned threads) const {
    using Index = long long;
    const auto phases = static_cast<Index>(points);
    std::vector<FarField> field(static_cast<std::size_t>(points));
    for (int s = 0; s < points; ++s) field[s] = far_field(r, static_cast<double>(s) / points);
    // The sums at whole samples (x from the span's start, kMostMargin before it at the least)
    // by the cubic through the kept positions, between them by a straight line (their scale is
    // the span: the line's error is below 1e-5 of them).
    auto whole = [&](Index x, std::array<double, 6>& out) {
        const auto from = static_cast<std::size_t>(x + static_cast<Index>(kMostMargin));
        const std::size_t i = from / kStride + 1;
        const double s = static_cast<double>(from % kStride) / kStride;
        const double l0 = -s * (s - 1.0) * (s - 2.0) / 6.0,
                     l1 = (s + 1.0) * (s - 1.0) * (s - 2.0) / 2.0,
                     l2 = -(s + 1.0) * s * (s - 2.0) / 2.0, l3 = (s + 1.0) * s * (s - 1.0) / 6.0;
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 2; ++k) {
                const std::vector<double>& v = sums_[c][k];
                out[2 * c + k] = l0 * v[i - 1] + l1 * v[i] + l2 * v[i + 1] + l3 * v[i + 2];
            }
    };
    // Grid point p is knot point k = p - margin; margin is a multiple of the points.
    const Index before = static_cast<Index>(margin) / phases;
    const Index samples = static_cast<Index>(span_) + 2 * before;
    auto take_off_samples = [&](Index from, Index to) {
        std::array<double, 6> here{}, next{};
        whole(from - before, next);
        for (Index x = from - before; x < to - before; ++x) {
            here = next;
            whole(x + 1, next);
            // The knot's sample index is x less the guard, which is even.
            const double sign = x % 2 == 0 ? 1.0 : -1.0;
            for (Index s = 0; s < phases; ++s) {
                const double f = static_cast<double>(s) / static_cast<double>(phases);
                const auto at = static_cast<std::size_t>((x + before) * phases + s);
                for (int c = 0; c < 3; ++c) {
                    const double v0 = here[2 * c] + f * (next[2 * c] - here[2 * c]);
                    const double v1 = here[2 * c + 1] + f * (next[2 * c + 1] - here[2 * c + 1]);
                    lanes[c][at] -= sign * (field[s].a0 * v0 + field[s].a1 * v1);
                }
            }
        }
    };
    // Each sample's points depend on it alone: the samples are shared out in stretches.
    const auto stretches = static_cast<std::size_t>(samples);
    run_in_stretches(std::min<std::size_t>(threads, stretches / 4096 + 1), stretches,
                     [&](std::size_t from, std::size_t to) {
                         take_off_samples(static_cast<Index>(from), static_cast<Index>(to));
                     });
}

}  // namespace wavespec::response
