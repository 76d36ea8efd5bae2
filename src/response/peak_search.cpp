#include "response/peak_search.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "response/quad_lanes.hpp"
#include "spectral/portable_math.hpp"
#include "support/processor.hpp"


namespace wavespec::response {
namespace {

constexpr std::size_t kArcsBeforeSweep = 1 << 14;
// Below this fraction of the largest peak so far, a rotated peak's error does not count.
constexpr double kNegligible = 1e-9;

struct AngleTable {
    std::array<double, kAngles> cos{}, sin{};
    AngleTable() {
        for (int j = 0; j <= 45; ++j) {
            SineCosine sc = portable_sin_cos(std::numbers::pi * j / 180.0);
            cos[j] = sc.cos;
            sin[j] = sc.sin;
        }
        cos[45] = sin[45] = std::sqrt(0.5);
        for (int j = 46; j <= 90; ++j) {
            cos[j] = sin[90 - j];
            sin[j] = cos[90 - j];
        }
        for (int j = 91; j < kAngles; ++j) {
            cos[j] = -cos[180 - j];
            sin[j] = sin[180 - j];
        }
    }
};

// Built before main: its users run on the batch's threads.
const AngleTable kAngleTable;

inline const AngleTable& angles() {
    return kAngleTable;
}

}  // namespace

const std::array<double, kAngles>& angle_cosines() {
    return angles().cos;
}
const std::array<double, kAngles>& angle_sines() {
    return angles().sin;
}

double arc_peak(double p0, double d0, double p1, double d1, double h) {
    // p(s) = p0 + b s + c s^2 + d s^3 for s in [0, 1].
    double b = h * d0, c = 3.0 * (p1 - p0) - h * (2.0 * d0 + d1),
           d = 2.0 * (p0 - p1) + h * (d0 + d1);
    double best = std::max(std::fabs(p0), std::fabs(p1));
    auto consider = [&](double s) {
        if (s > 0.0 && s < 1.0) best = std::max(best, std::fabs(p0 + s * (b + s * (c + s * d))));
    };
    // p'(s) = b + 2 c s + 3 d s^2.
    double a2 = 3.0 * d, a1 = 2.0 * c;
    if (a2 == 0.0) {
        if (a1 != 0.0) consider(-b / a1);
        return best;
    }
    double disc = a1 * a1 - 4.0 * a2 * b;
    if (disc < 0.0) return best;
    double q = -0.5 * (a1 + std::copysign(std::sqrt(disc), a1));
    if (q != 0.0) {
        consider(q / a2);
        consider(b / q);
    } else {
        consider(0.0);
    }
    return best;
}

namespace {

// The angles as the projections meet them: j and its mirror 180 - j share |cos| and sin
// (cos(180 - j) = -cos j), so x cos + y sin at both comes from the same two products.
struct HalfAngleTable {
    alignas(32) double cos[RotatedPeaks::kHalfAngles] = {}, sin[RotatedPeaks::kHalfAngles] = {};
    alignas(32) double reach_x[RotatedPeaks::kHalfAngles] = {}, reach_y[RotatedPeaks::kHalfAngles] =
                                                                    {};
    HalfAngleTable() {
        for (int j = 0; j <= 90; ++j) {
            cos[j] = angles().cos[j];
            sin[j] = angles().sin[j];
            reach_x[j] = std::fabs(cos[j]);
            reach_y[j] = std::fabs(sin[j]);
        }
    }
};
const HalfAngleTable kHalfAngleTable;

using namespace quad_lanes;

constexpr int kGroups = RotatedPeaks::kHalfAngles / 4;

// The group of four angles j (and their mirrors 180 - j) nearest the direction of (x, y), or
// of its mirror image, where a point beyond the largest projections is most likely beyond them:
// the search starts there. Only the order of the search depends on it.
int group_near(double x, double y) {
    const double ax = std::fabs(x), ay = std::fabs(y);
    if (ax + ay == 0.0) return 0;
    // From 0 (along x) to 1 (along y): about the angle over 90 degrees.
    const int g = static_cast<int>(ay / (ax + ay) * (90.0 / 4.0) + 0.5);
    return std::clamp(g, 0, kGroups - 1);
}

// The points (xs[k], ys[k]) for k < points, each with the stray box around it (and their mirror
// images), against the largest projections near (angles j) and far (180 - j): whether one
// reaches beyond at some angle. The groups of angles are searched from first on; the search
// ends at the first group beyond. When none is, slack holds the least room left at any angle.
[[gnu::always_inline]] inline bool reaches_beyond_lanes(const double* xs, const double* ys,
                                                        int points, Stray stray, const double* near,
                                                        const double* far, int& first,
                                                        double& slack) {
    const HalfAngleTable& t = kHalfAngleTable;
    const Quad sx = splat(stray.x), sy = splat(stray.y);
    Quad room = splat(std::numeric_limits<double>::infinity());
    for (int g = first, done = 0; done < kGroups; ++done, g = g + 1 == kGroups ? 0 : g + 1) {
        const int j = 4 * g;
        const Quad c = load(t.cos + j), s = load(t.sin + j);
        const Quad reach = load(t.reach_x + j) * sx + load(t.reach_y + j) * sy;
        const Quad n = load(near + j), f = load(far + j);
        QuadMask beyond = {0, 0, 0, 0};
        for (int k = 0; k < points; ++k) {
            const Quad a = c * splat(xs[k]), b = s * splat(ys[k]);
            const Quad to_near = magnitude(b + a) + reach, to_far = magnitude(b - a) + reach;
            beyond |= (to_near > n) | (to_far > f);
            const Quad left_near = n - to_near, left_far = f - to_far;
            room = room < left_near ? room : left_near;
            room = room < left_far ? room : left_far;
        }
        if ((beyond[0] | beyond[1] | beyond[2] | beyond[3]) != 0) {
            first = g;
            return true;
        }
    }
    slack = std::min(std::min(room[0], room[1]), std::min(room[2], room[3]));
    return false;
}

// The largest projections raised to those of the points; their least after.
[[gnu::always_inline]] inline double raise_lanes(const double* xs, const double* ys, int points,
                                                 double* near, double* far) {
    const HalfAngleTable& t = kHalfAngleTable;
    Quad least = load(near);
    for (int j = 0; j < RotatedPeaks::kHalfAngles; j += 4) {
        const Quad c = load(t.cos + j), s = load(t.sin + j);
        Quad n = load(near + j), f = load(far + j);
        for (int k = 0; k < points; ++k) {
            const Quad a = c * splat(xs[k]), b = s * splat(ys[k]);
            const Quad pn = magnitude(b + a), pf = magnitude(b - a);
            n = n < pn ? pn : n;
            f = f < pf ? pf : f;
        }
        std::memcpy(near + j, &n, sizeof n);
        std::memcpy(far + j, &f, sizeof f);
        least = least < n ? least : n;
        least = least < f ? least : f;
    }
    return std::min(std::min(least[0], least[1]), std::min(least[2], least[3]));
}

// For each group of four angles, which of them (bits 0-3) and of their mirrors (bits 4-7) the
// arc may raise above the knots' peaks there: where its ends' larger projection, with its
// stray's reach less the negligible, is above them.
[[gnu::always_inline]] inline void arc_screen_lanes(const PathArc& a, const double* near,
                                                    const double* far, double negligible,
                                                    unsigned char* raises) {
    const HalfAngleTable& t = kHalfAngleTable;
    const Quad x0 = splat(a.x0), y0 = splat(a.y0), x1 = splat(a.x1), y1 = splat(a.y1);
    const Quad sx = splat(a.stray.x), sy = splat(a.stray.y), less = splat(negligible);
    for (int g = 0; g < kGroups; ++g) {
        const int j = 4 * g;
        const Quad c = load(t.cos + j), s = load(t.sin + j);
        const Quad reach = load(t.reach_x + j) * sx + load(t.reach_y + j) * sy - less;
        const Quad a0 = c * x0, b0 = s * y0, a1 = c * x1, b1 = s * y1;
        const Quad pn0 = magnitude(b0 + a0), pn1 = magnitude(b1 + a1);
        const Quad pf0 = magnitude(b0 - a0), pf1 = magnitude(b1 - a1);
        const QuadMask n = (pn0 < pn1 ? pn1 : pn0) + reach > load(near + j);
        const QuadMask f = (pf0 < pf1 ? pf1 : pf0) + reach > load(far + j);
        raises[g] =
            static_cast<unsigned char>((n[0] & 1) | (n[1] & 2) | (n[2] & 4) | (n[3] & 8) |
                                       (f[0] & 16) | (f[1] & 32) | (f[2] & 64) | (f[3] & 128));
    }
}

void arc_screen_narrow(const PathArc& a, const double* near, const double* far, double negligible,
                       unsigned char* raises) {
    arc_screen_lanes(a, near, far, negligible, raises);
}

bool reaches_beyond_narrow(const double* xs, const double* ys, int points, Stray stray,
                           const double* near, const double* far, int& first, double& slack) {
    return reaches_beyond_lanes(xs, ys, points, stray, near, far, first, slack);
}
double raise_narrow(const double* xs, const double* ys, int points, double* near, double* far) {
    return raise_lanes(xs, ys, points, near, far);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// Not on Windows, where the compilers do not keep the stack aligned for these registers.
#define WAVESPEC_WIDE_ANGLES 1
__attribute__((target("avx"))) bool reaches_beyond_wide(const double* xs, const double* ys,
                                                        int points, Stray stray, const double* near,
                                                        const double* far, int& first,
                                                        double& slack) {
    return reaches_beyond_lanes(xs, ys, points, stray, near, far, first, slack);
}
__attribute__((target("avx"))) double raise_wide(const double* xs, const double* ys, int points,
                                                 double* near, double* far) {
    return raise_lanes(xs, ys, points, near, far);
}
__attribute__((target("avx"))) void arc_screen_wide(const PathArc& a, const double* near,
                                                    const double* far, double negligible,
                                                    unsigned char* raises) {
    arc_screen_lanes(a, near, far, negligible, raises);
}
#endif

bool reaches_beyond(const double* xs, const double* ys, int points, Stray stray, const double* near,
                    const double* far, int& first, double& slack) {
#ifdef WAVESPEC_WIDE_ANGLES
    if (processor_has_avx())
        return reaches_beyond_wide(xs, ys, points, stray, near, far, first, slack);
#endif
    return reaches_beyond_narrow(xs, ys, points, stray, near, far, first, slack);
}
void arc_screen(const PathArc& a, const double* near, const double* far, double negligible,
                unsigned char* raises) {
#ifdef WAVESPEC_WIDE_ANGLES
    if (processor_has_avx()) return arc_screen_wide(a, near, far, negligible, raises);
#endif
    arc_screen_narrow(a, near, far, negligible, raises);
}
double raise(const double* xs, const double* ys, int points, double* near, double* far) {
#ifdef WAVESPEC_WIDE_ANGLES
    if (processor_has_avx()) return raise_wide(xs, ys, points, near, far);
#endif
    return raise_narrow(xs, ys, points, near, far);
}

}  // namespace

RotatedPeaks::RotatedPeaks() {
    // The padding past 90 degrees holds no angle: no projection reaches it.
    for (int j = 91; j < kHalfAngles; ++j) {
        near_[j] = far_[j] = std::numeric_limits<double>::infinity();
    }
}

bool RotatedPeaks::may_shape(double x, double y, Stray stray) {
    if (!std::isfinite(x) || !std::isfinite(y)) return true;  // to be noted by take_knot
    stray = reduced(stray);
    if (within_least(x * x + y * y, stray)) return false;
    double slack = 0.0;
    int first = group_near(x, y);
    return reaches_beyond(&x, &y, 1, stray, near_, far_, first, slack);
}

bool RotatedPeaks::offer_arc_end(double x, double y, Stray stray) {
    exact_ = false;
    return offer_knot(x, y, stray);
}

bool RotatedPeaks::offer_knot(double x, double y, Stray stray) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
        non_finite_ = true;
        return true;
    }
    // Against the largest projections before the pending knots raise them: a knot within those
    // is within the raised ones too.
    stray = reduced(stray);
    if (within_least(x * x + y * y, stray)) return false;
    if (room_.holds(x, y, stray)) return false;
    // From the group the last knot taken was found beyond in: the path turns slowly.
    if (!reaches_beyond(&x, &y, 1, stray, near_, far_, last_group_, room_.left)) return false;
    room_.left = -1.0;
    pending_x_[pending_] = x;
    pending_y_[pending_] = y;
    if (++pending_ == kPending) settle_pending();
    return true;
}

bool RotatedPeaks::may_leave(double x_most, double y_most, double sum_most, Stray stray) {
    if (!std::isfinite(x_most) || !std::isfinite(y_most) || !std::isfinite(sum_most)) {
        return true;  // its knots are to be noted
    }
    stray = reduced(stray);
    if (within_least(x_most * x_most + y_most * y_most, stray)) return false;
    // The box with the corners (X, Y) and (-X, -Y) cut by x + y = +-Z (the corners (-X, Y) and
    // (X, -Y) never are: the path's point at |x| = X has |y| <= Y and |x + y| <= Z, so
    // X <= Y + Z). A projection is largest at a corner, and by symmetry the corners on one
    // side of the centre suffice.
    const double xs[3] = {x_most, std::min(x_most, sum_most - y_most), -x_most};
    const double ys[3] = {std::min(y_most, sum_most - x_most), y_most, y_most};
    double slack = 0.0;
    int first = group_near(x_most, y_most);
    return reaches_beyond(xs, ys, 3, stray, near_, far_, first, slack);
}

void RotatedPeaks::take_knot(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
        non_finite_ = true;
        return;
    }
    pending_x_[pending_] = x;
    pending_y_[pending_] = y;
    if (++pending_ == kPending) settle_pending();
}

void RotatedPeaks::settle_pending() {
    if (pending_ == 0) return;
    int count = pending_;
    if (!exact_ && count > kRaising) {
        // The farthest few knots first: only they raise the largest projections.
        for (int a = 0; a < kRaising; ++a) {
            int far = a;
            double most = -1.0;
            for (int k = a; k < count; ++k) {
                const double r = pending_x_[k] * pending_x_[k] + pending_y_[k] * pending_y_[k];
                if (r > most) most = r, far = k;
            }
            std::swap(pending_x_[a], pending_x_[far]);
            std::swap(pending_y_[a], pending_y_[far]);
        }
        count = kRaising;
    }
    least_ = raise(pending_x_, pending_y_, count, near_, far_);
    for (int k = 0; k < count; ++k) {
        const double x = pending_x_[k], y = pending_y_[k];
        negligible_ = std::max(negligible_, kNegligible * std::sqrt(x * x + y * y));
    }
    pending_ = 0;
}

void RotatedPeaks::take_arc(const PathArc& arc) {
    for (double v : {arc.x0, arc.y0, arc.dx0, arc.dy0, arc.x1, arc.y1, arc.dx1, arc.dy1, arc.h,
                     arc.stray.x, arc.stray.y}) {
        if (!std::isfinite(v)) {
            non_finite_ = true;
            return;
        }
    }
    arcs_.push_back(arc);
    if (arcs_.size() >= next_sweep_) {
        drop_settled_arcs();
        next_sweep_ = std::max(kArcsBeforeSweep, 2 * arcs_.size());
    }
}

void RotatedPeaks::compact() {
    // A few arcs are not worth the search: they hold less than it would cost.
    if (arcs_.size() < kArcsToFold) return;
    settle_pending();
    drop_settled_arcs();
    search_arcs(folded_);
    arcs_.clear();
    if (arcs_.capacity() > 4 * kArcsToFold) arcs_.shrink_to_fit();
}

void RotatedPeaks::drop_settled_arcs() {
    // The arcs follow the path: each end is tested as the knots offered are, passed over while
    // the room the last one tested left lasts.
    Room room;
    auto may_shape_near = [&](double x, double y, Stray stray) {
        stray = reduced(stray);
        if (within_least(x * x + y * y, stray)) return false;
        if (room.holds(x, y, stray)) return false;
        int first = group_near(x, y);
        if (!reaches_beyond(&x, &y, 1, stray, near_, far_, first, room.left)) return false;
        room.left = -1.0;
        return true;
    };
    std::erase_if(arcs_, [&](const PathArc& a) {
        return !may_shape_near(a.x0, a.y0, a.stray) && !may_shape_near(a.x1, a.y1, a.stray);
    });
}

std::array<double, kAngles> RotatedPeaks::peaks() {
    if (non_finite_) {
        std::array<double, kAngles> undefined;
        undefined.fill(std::numeric_limits<double>::quiet_NaN());
        return undefined;
    }
    settle_pending();
    drop_settled_arcs();
    // The knots' peaks: the largest projections of the knots taken (every other knot lies
    // within them), and the peaks of the arcs searched before.
    std::array<double, kAngles> peak{};
    for (int j = 0; j <= 90; ++j) peak[j] = std::max(near_[j], folded_[j]);
    for (int j = 91; j < kAngles; ++j) peak[j] = std::max(far_[kAngles - j], folded_[j]);
    search_arcs(peak);
    return peak;
}

void RotatedPeaks::search_arcs(std::array<double, kAngles>& peak) const {
    const auto& cs = angles().cos;
    const auto& sn = angles().sin;
    // Each arc searched at the angles where it may raise the knots' peaks (tested four angles
    // and their mirrors at a time).
    unsigned char raises[kGroups];
    for (const PathArc& a : arcs_) {
        arc_screen(a, near_, far_, negligible_, raises);
        for (int g = 0; g < kGroups; ++g) {
            for (unsigned bits = raises[g]; bits != 0; bits &= bits - 1) {
                const int lane = __builtin_ctz(bits), k = 4 * g + (lane & 3);
                // A mirror of 0 or 90 degrees is the angle itself; past 90 is padding.
                const int j = lane < 4 ? k : k == 0 || k >= 90 ? -1 : kAngles - k;
                if (j < 0 || (j > 90 && lane < 4)) continue;
                double p0 = cs[j] * a.x0 + sn[j] * a.y0, p1 = cs[j] * a.x1 + sn[j] * a.y1;
                double d0 = cs[j] * a.dx0 + sn[j] * a.dy0, d1 = cs[j] * a.dx1 + sn[j] * a.dy1;
                peak[j] = std::max(peak[j], arc_peak(p0, d0, p1, d1, a.h));
            }
        }
    }
}

}  // namespace wavespec::response
