#include "response/peak_search.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "spectral/portable_math.hpp"

namespace wavespec::response {
namespace {

constexpr std::size_t kArcsBeforeSweep = 1 << 14;
// How far outside the hull (relative to its distance from the centre) a knot must lie to
// widen it.
constexpr double kHullSlack = 1e-4;
// Below this fraction of the largest peak so far, a rotated peak's error does not count.
constexpr double kNegligible = 1e-9;
// Vertices of the polygon that whole chunks of path are tested against.
constexpr std::size_t kCoarseVertices = 32;

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

// A monotonic stand-in for the direction of (x, y) (0 to 4 around the circle, from the
// positive x axis counter-clockwise), from one division.
double turn_of(double x, double y) {
    double ax = std::fabs(x), ay = std::fabs(y);
    if (ax + ay == 0.0) return 0.0;
    double f = ay / (ax + ay);
    return y >= 0.0 ? (x >= 0.0 ? f : 2.0 - f) : (x < 0.0 ? 2.0 + f : 4.0 - f);
}

inline double cross(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

}  // namespace

void RotatedPeaks::Outline::find_start() {
    start = static_cast<int>(std::min_element(turns.begin(), turns.end()) - turns.begin());
}

int RotatedPeaks::Outline::vertex_near(double x, double y) const {
    // Binary search over the turns, which rise around the outline from the vertex start.
    const int n = static_cast<int>(vertices.size());
    const double t = turn_of(x, y);
    int low = 0, high = n;  // positions from start: the first with a turn above t
    while (low < high) {
        int mid = (low + high) / 2;
        int at = start + mid >= n ? start + mid - n : start + mid;
        if (turns[static_cast<std::size_t>(at)] <= t) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return (start + low + n - 1) % n;
}

bool RotatedPeaks::Outline::well_inside(double x, double y, Stray stray, int from,
                                        int& edge) const {
    // The edge whose ends hold the point's direction between them, from the vertex from. The
    // outline being convex and holding the centre, the point is inside it when it is inside
    // that edge.
    const int n = static_cast<int>(vertices.size());
    int i = from < n ? from : 0;
    for (int steps = 0; steps < 2 * n; ++steps) {
        int j = i + 1 == n ? 0 : i + 1;
        if (cross(vertices[j].x, vertices[j].y, x, y) > 0.0) {
            i = j;
        } else if (cross(vertices[i].x, vertices[i].y, x, y) < 0.0) {
            i = i == 0 ? n - 1 : i - 1;
        } else {
            break;
        }
    }
    edge = i;
    // The edge faced and its neighbours: |e| times the distance inside must be at least |e|
    // times the stray box's reach across the edge, |ey| stray.x + |ex| stray.y.
    for (int k : {i == 0 ? n - 1 : i - 1, i, i + 1 == n ? 0 : i + 1}) {
        const Point& a = vertices[k];
        const Point& b = vertices[k + 1 == n ? 0 : k + 1];
        double ex = b.x - a.x, ey = b.y - a.y;
        if (cross(ex, ey, x - a.x, y - a.y) < std::fabs(ey) * stray.x + std::fabs(ex) * stray.y) {
            return false;
        }
    }
    // And the vertices at its ends out of the box around the point.
    if (stray.x > 0.0 && stray.y > 0.0) {
        for (int k : {i, i + 1 == n ? 0 : i + 1}) {
            if (std::fabs(x - vertices[k].x) < stray.x && std::fabs(y - vertices[k].y) < stray.y) {
                return false;
            }
        }
    }
    return true;
}

bool RotatedPeaks::may_leave(double x_most, double y_most, double sum_most, Stray stray) {
    if (!std::isfinite(x_most) || !std::isfinite(y_most) || !std::isfinite(sum_most)) {
        return true;  // its knots are to be noted
    }
    stray = {std::max(0.0, stray.x - negligible_), std::max(0.0, stray.y - negligible_)};
    if (x_most * x_most + y_most * y_most <= inner_radius_squared(stray)) return false;
    if (!outlined_) return true;
    // The box with the corners (X, Y) and (-X, -Y) cut by x + y = +-Z (the corners (-X, Y) and
    // (X, -Y) never are: the path's point at |x| = X has |y| <= Y and |x + y| <= Z, so
    // X <= Y + Z). By symmetry the corners on one side of the centre suffice.
    const double corners[3][2] = {{x_most, std::min(y_most, sum_most - x_most)},
                                  {std::min(x_most, sum_most - y_most), y_most},
                                  {-x_most, y_most}};
    const Outline& outline = coarse_.vertices.empty() ? hull_ : coarse_;
    if (outline.vertices.size() <= 2 * kCoarseVertices) {
        if (!edges_current_) measure_edges(outline);
        return !region_well_inside(corners, stray);
    }
    for (const auto& c : corners) {
        int edge = 0;
        if (!outline.well_inside(c[0], c[1], stray, outline.vertex_near(c[0], c[1]), edge)) {
            return true;
        }
    }
    return false;
}

void RotatedPeaks::measure_edges(const Outline& outline) {
    const std::vector<Point>& v = outline.vertices;
    const std::size_t n = v.size(), padded = (n + 1) / 2 * 2;
    // A padding edge (0, 0) with reach 1 holds everything.
    edges_.assign(3 * padded, 0.0);
    std::fill(edges_.begin() + 2 * static_cast<std::ptrdiff_t>(padded), edges_.end(), 1.0);
    for (std::size_t i = 0; i < n; ++i) {
        const Point& a = v[i];
        const Point& b = v[i + 1 == n ? 0 : i + 1];
        edges_[i] = b.x - a.x;
        edges_[padded + i] = b.y - a.y;
        edges_[2 * padded + i] = cross(a.x, a.y, b.x - a.x, b.y - a.y);
    }
    edges_current_ = true;
}

// Two lanes of doubles in one SSE2 register, which every x86-64 processor has on every system.
typedef double TwoDoubles __attribute__((vector_size(16)));
typedef long long TwoMasks __attribute__((vector_size(16)));

bool RotatedPeaks::region_well_inside(const double (&corners)[3][2], Stray stray) const {
    // Edge e from vertex a holds p, and its mirror image -p, inside with the stray box around
    // them when |cross(e, p)| + |ey| stray.x + |ex| stray.y <= cross(a, e); every edge holding
    // the region's corners so, the convex outline holds the whole region. Two edges at a time,
    // without branches.
    const std::size_t padded = edges_.size() / 3;
    const double* ex = edges_.data();
    const double* ey = ex + padded;
    const double* reach = ey + padded;
    const TwoMasks sign_off = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL};
    auto magnitude = [&](TwoDoubles x) { return (TwoDoubles)((TwoMasks)x & sign_off); };
    auto larger = [](TwoDoubles a, TwoDoubles b) { return a < b ? b : a; };
    auto splat = [](double x) { return TwoDoubles{x, x}; };
    const TwoDoubles sx = splat(stray.x), sy = splat(stray.y);
    const TwoDoubles p0x = splat(corners[0][0]), p0y = splat(corners[0][1]);
    const TwoDoubles p1x = splat(corners[1][0]), p1y = splat(corners[1][1]);
    const TwoDoubles p2x = splat(corners[2][0]), p2y = splat(corners[2][1]);
    TwoMasks inside = {-1, -1};
    for (std::size_t i = 0; i < padded; i += 2) {
        TwoDoubles x, y, r;
        std::memcpy(&x, ex + i, sizeof x);
        std::memcpy(&y, ey + i, sizeof y);
        std::memcpy(&r, reach + i, sizeof r);
        TwoDoubles need = magnitude(y) * sx + magnitude(x) * sy;
        TwoDoubles c0 = magnitude(x * p0y - y * p0x);
        TwoDoubles c1 = magnitude(x * p1y - y * p1x);
        TwoDoubles c2 = magnitude(x * p2y - y * p2x);
        inside &= (larger(c0, larger(c1, c2)) + need <= r);
    }
    return inside[0] != 0 && inside[1] != 0;
}

void RotatedPeaks::thin_out() {
    edges_current_ = false;
    const std::size_t n = hull_.vertices.size();
    coarse_.vertices.clear();
    coarse_.turns.clear();
    if (n <= kCoarseVertices) return;  // the hull itself is small enough
    const std::size_t stride = (n + kCoarseVertices - 1) / kCoarseVertices;
    for (std::size_t i = 0; i < n; i += stride) {
        coarse_.vertices.push_back(hull_.vertices[i]);
        coarse_.turns.push_back(hull_.turns[i]);
    }
    // Vertices of the hull in order make a convex polygon inside it; it must hold the centre.
    const std::size_t m = coarse_.vertices.size();
    for (std::size_t i = 0; i < m; ++i) {
        const Point& a = coarse_.vertices[i];
        const Point& b = coarse_.vertices[i + 1 == m ? 0 : i + 1];
        if (!(cross(a.x, a.y, b.x, b.y) > 0.0)) {
            coarse_.vertices.clear();
            coarse_.turns.clear();
            return;
        }
    }
    coarse_.find_start();
}

bool RotatedPeaks::widen(double x, double y, int near) {
    std::vector<Point>& v = hull_.vertices;
    std::vector<double>& turns = hull_.turns;
    const int n = static_cast<int>(v.size());
    int edge = 0;
    hull_.well_inside(x, y, Stray{}, near, edge);
    auto outside = [&](int k) {
        const Point& a = v[k];
        const Point& b = v[k + 1 == n ? 0 : k + 1];
        return cross(b.x - a.x, b.y - a.y, x - a.x, y - a.y) < 0.0;
    };
    // A knot barely outside is left out: the hull stays inside the path's and only tells
    // which knots to pass over; the knot's arcs are kept all the same.
    {
        // Its distance from the edge it faces (from the edge's nearer end where it lies
        // beyond one: on a thin hull a knot far past its tip is still near the edge's line).
        const Point& a = v[edge];
        const Point& b = v[edge + 1 == n ? 0 : edge + 1];
        double ex = b.x - a.x, ey = b.y - a.y, px = x - a.x, py = y - a.y;
        if (cross(ex, ey, px, py) >= 0.0) return false;
        double length2 = ex * ex + ey * ey;
        double along = length2 > 0.0 ? std::clamp((px * ex + py * ey) / length2, 0.0, 1.0) : 0.0;
        double dx = px - along * ex, dy = py - along * ey;
        if (dx * dx + dy * dy <= kHullSlack * kHullSlack * (x * x + y * y)) return false;
    }
    // The edges the knot sees are consecutive: the vertices between the first and the last
    // go, the knot comes in.
    int first = edge, last = edge, seen = 1;
    while (seen < n && outside(first == 0 ? n - 1 : first - 1)) {
        first = first == 0 ? n - 1 : first - 1;
        ++seen;
    }
    while (seen < n && outside(last + 1 == n ? 0 : last + 1)) {
        last = last + 1 == n ? 0 : last + 1;
        ++seen;
    }
    // Vertices first + 1 .. last (seen - 1 of them, going round) are replaced by the knot.
    int at = first + 1 == n ? 0 : first + 1;
    const int first_gone = at, gone = seen - 1;
    // The vertex of least turn moves only when it goes or when the knot's turn is less.
    const bool start_gone = gone > 0 && ((hull_.start - first_gone + n) % n) < gone;
    if (at + gone <= n) {
        v.erase(v.begin() + at, v.begin() + at + gone);
        turns.erase(turns.begin() + at, turns.begin() + at + gone);
    } else {
        int tail = n - at;
        v.erase(v.begin() + at, v.end());
        turns.erase(turns.begin() + at, turns.end());
        v.erase(v.begin(), v.begin() + (gone - tail));
        turns.erase(turns.begin(), turns.begin() + (gone - tail));
        at = static_cast<int>(v.size());
    }
    v.insert(v.begin() + at, Point{x, y});
    edges_current_ = false;
    negligible_ = std::max(negligible_, kNegligible * std::sqrt(x * x + y * y));
    const double t = turn_of(x, y);
    turns.insert(turns.begin() + at, t);
    if (start_gone) {
        hull_.find_start();
    } else {
        // Where the old vertex of least turn is now.
        int start = hull_.start;
        if (first_gone + gone <= n) {
            if (start >= first_gone + gone) start += 1 - gone;
        } else {
            start -= gone - (n - first_gone);
        }
        hull_.start = t < turns[static_cast<std::size_t>(start)] ? at : start;
    }
    edge_ = at;
    return true;
}

void RotatedPeaks::take_knot(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) {
        non_finite_ = true;
        return;
    }
    if (outlined_) {
        // The knot was just tested (may_shape): the edge it faces is edge_. The hull being its
        // own mirror image, the mirrored knot faces the edge half way round.
        bool wider = widen(x, y, edge_);
        const int n = static_cast<int>(hull_.vertices.size());
        wider = widen(-x, -y, (edge_ + n / 2) % n) || wider;
        // The inner radius only grows with the hull: an old one is a sound, if slack, bound;
        // so is an old thinned polygon.
        if (wider && ++widenings_ % 32 == 0) {
            measure_inner_radius();
            thin_out();
        }
        return;
    }
    // Before the hull holds the centre: nothing to take from the centre itself, and on the line
    // through the centre only the farthest knot counts.
    if (x == 0.0 && y == 0.0) return;
    const std::vector<Point>& v = hull_.vertices;
    if (v.size() == 2 && near_the_line(x, y)) {
        if (x * x + y * y > v[0].x * v[0].x + v[0].y * v[0].y) {
            negligible_ = kNegligible * std::sqrt(x * x + y * y);
            hull_.vertices = {Point{x, y}, Point{-x, -y}};
            edges_current_ = false;
            hull_.turns = {turn_of(x, y), turn_of(-x, -y)};
            hull_.find_start();
        }
        return;
    }
    // Otherwise the hull of every knot taken and its mirror image (Andrew's monotone chain).

    std::vector<Point> points = hull_.vertices;
    points.push_back({x, y});
    points.push_back({-x, -y});
    std::sort(points.begin(), points.end(), [](const Point& a, const Point& b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    });
    std::vector<Point> chain(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(chain[k - 1].x - chain[k - 2].x, chain[k - 1].y - chain[k - 2].y,
                               points[i].x - chain[k - 2].x, points[i].y - chain[k - 2].y) <= 0.0) {
            --k;
        }
        chain[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower &&
               cross(chain[k - 1].x - chain[k - 2].x, chain[k - 1].y - chain[k - 2].y,
                     points[i].x - chain[k - 2].x, points[i].y - chain[k - 2].y) <= 0.0) {
            --k;
        }
        chain[k++] = points[i];
    }
    chain.resize(k > 1 ? k - 1 : k);
    hull_.vertices = std::move(chain);
    edges_current_ = false;
    for (const Point& p : hull_.vertices) {
        negligible_ = std::max(negligible_, kNegligible * std::sqrt(p.x * p.x + p.y * p.y));
    }
    hull_.turns.resize(hull_.vertices.size());
    for (std::size_t i = 0; i < hull_.vertices.size(); ++i) {
        hull_.turns[i] = turn_of(hull_.vertices[i].x, hull_.vertices[i].y);
    }
    hull_.find_start();
    // The centre strictly inside every edge: the hull has an inside, and searches from the
    // centre outwards are sound.
    const std::vector<Point>& hull = hull_.vertices;
    outlined_ = hull.size() >= 3;
    for (std::size_t i = 0; outlined_ && i < hull.size(); ++i) {
        const Point& a = hull[i];
        const Point& b = hull[i + 1 == hull.size() ? 0 : i + 1];
        outlined_ = cross(a.x, a.y, b.x, b.y) > 0.0;
    }
    edge_ = 0;
    if (outlined_) measure_inner_radius();
}

bool RotatedPeaks::on_the_line(double x, double y, Stray stray) const {
    const std::vector<Point>& v = hull_.vertices;
    if (v.empty()) return x == 0.0 && y == 0.0 && stray.x <= 0.0 && stray.y <= 0.0;
    if (v.size() != 2 || !near_the_line(x, y)) return false;
    // Along the line the path may reach the stray box's reach; across it, the box's reach must
    // be negligible (the stray already has the negligible taken off).
    const Point& p = v[0];
    double length = std::sqrt(p.x * p.x + p.y * p.y);
    double along = (std::fabs(p.x) * stray.x + std::fabs(p.y) * stray.y) / length;
    double across = (std::fabs(p.y) * stray.x + std::fabs(p.x) * stray.y) / length;
    if (across > negligible_) return false;
    double reach = std::max(0.0, std::sqrt(x * x + y * y) + along);
    return reach <= length;
}

bool RotatedPeaks::near_the_line(double x, double y) const {
    // Within the negligible distance of the line through the hull's two ends.
    const Point& p = hull_.vertices[0];
    double c = cross(p.x, p.y, x, y);
    return c * c <= negligible_ * negligible_ * (p.x * p.x + p.y * p.y);
}

void RotatedPeaks::measure_inner_radius() {
    // The distance from the centre to each edge's line: cross(a, b) / |b - a|.
    double least = INFINITY;
    const std::vector<Point>& v = hull_.vertices;
    const std::size_t n = v.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point& a = v[i];
        const Point& b = v[i + 1 == n ? 0 : i + 1];
        double ex = b.x - a.x, ey = b.y - a.y;
        double length2 = ex * ex + ey * ey;
        if (length2 == 0.0) continue;
        double c = cross(a.x, a.y, b.x, b.y);
        least = std::min(least, c * c / length2);
    }
    inner_radius_ = std::isfinite(least) ? std::sqrt(least) : 0.0;
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

void RotatedPeaks::drop_settled_arcs() {
    std::erase_if(arcs_, [&](const PathArc& a) {
        return !may_shape(a.x0, a.y0, a.stray) && !may_shape(a.x1, a.y1, a.stray);
    });
}

std::array<double, kAngles> RotatedPeaks::peaks() {
    if (non_finite_) {
        std::array<double, kAngles> undefined;
        undefined.fill(std::numeric_limits<double>::quiet_NaN());
        return undefined;
    }
    drop_settled_arcs();
    const auto& cs = angles().cos;
    const auto& sn = angles().sin;
    // The knots' peaks: the hull's (every knot lies inside it).
    std::array<double, kAngles> knot_peak{};
    for (const Point& v : hull_.vertices) {
        for (int j = 0; j < kAngles; ++j) {
            double p = std::fabs(cs[j] * v.x + sn[j] * v.y);
            knot_peak[j] = p > knot_peak[j] ? p : knot_peak[j];
        }
    }
    std::array<double, kAngles> peak = knot_peak;
    for (const PathArc& a : arcs_) {
        for (int j = 0; j < kAngles; ++j) {
            double p0 = cs[j] * a.x0 + sn[j] * a.y0, p1 = cs[j] * a.x1 + sn[j] * a.y1;
            double reach = std::fabs(cs[j]) * a.stray.x + std::fabs(sn[j]) * a.stray.y;
            if (std::max(std::fabs(p0), std::fabs(p1)) + (reach - negligible_) <= knot_peak[j]) {
                continue;
            }
            double d0 = cs[j] * a.dx0 + sn[j] * a.dy0, d1 = cs[j] * a.dx1 + sn[j] * a.dy1;
            peak[j] = std::max(peak[j], arc_peak(p0, d0, p1, d1, a.h));
        }
    }
    return peak;
}

}  // namespace wavespec::response
