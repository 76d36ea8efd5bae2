// Peaks over continuous time of responses known at knots with their slopes: the largest |p|
// on an arc between two knots, and the peaks of the two horizontal responses rotated to each
// angle of 0, 1, ..., 179 degrees (RotD), found from the few knots and arcs that reach the
// outline of the response's path.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace wavespec::response {

// The largest |p(t)| for 0 <= t <= h, p the cubic with values p0, p1 and slopes d0, d1 at the
// ends (Hermite).
double arc_peak(double p0, double d0, double p1, double d1, double h);

inline constexpr int kAngles = 180;
// cos and sin of 0, 1, ..., 179 degrees, with the symmetries exact (cos 90 = 0, cos 45 = sin 45).
const std::array<double, kAngles>& angle_cosines();
const std::array<double, kAngles>& angle_sines();

// How far a path may stray from the chord between two knots, in x and in y.
struct Stray {
    double x = 0.0, y = 0.0;
};

// One arc of the path of two responses (x, y): the knots at its ends with their slopes, its
// length, and how far the path strays from the chord between the knots.
struct PathArc {
    double x0, y0, dx0, dy0;
    double x1, y1, dx1, dy1;
    double h;
    Stray stray;
};

// The peak over time of x cos(theta) + y sin(theta) for every angle. The knots taken are held
// by their convex hull together with their mirror images (the peaks are those of
// |x cos + y sin|, so the path counts with its mirror image). A knot inside the hull by more
// than the path can stray from its knots cannot shape any peak and is passed over after a few
// operations (the hull's edge it faces is followed from knot to knot); the others widen the
// hull, and their arcs are kept. The peaks come at the end from the hull's vertices and the
// arcs. A knot or arc that is not finite makes every peak NaN: it is noted, never added to the
// hull, whose comparisons would otherwise all fail.
class RotatedPeaks {
  public:
    // Whether the knot, with the path near it straying as much, may reach beyond the hull of
    // the knots taken so far (a stray below the negligible counts as none).
    bool may_shape(double x, double y, Stray stray) {
        if (!std::isfinite(x) || !std::isfinite(y)) return true;  // to be noted by take_knot
        stray = {std::max(0.0, stray.x - negligible_), std::max(0.0, stray.y - negligible_)};
        if (x * x + y * y <= inner_radius_squared(stray)) return false;
        if (!outlined_) return !on_the_line(x, y, stray);
        return !well_inside(x, y, stray, edge_, edge_);
    }
    // Whether a stretch of path within |x| <= x_most, |y| <= y_most, |x + y| <= sum_most may
    // reach beyond the hull, straying as much.
    bool may_leave(double x_most, double y_most, double sum_most, Stray stray);
    // Knots nearer the centre than this (squared) cannot shape any peak: the hull's inner
    // radius less the stray.
    double inner_radius_squared(Stray stray) const {
        double r = inner_radius_ - (stray.x + stray.y);
        return r > 0.0 ? r * r : -1.0;
    }
    void take_knot(double x, double y);
    void take_arc(const PathArc& arc);
    // The peaks at the 180 angles over the knots and the arcs taken.
    std::array<double, kAngles> peaks();
    // The arcs' storage, handed from one search to the next: its memory is then already the
    // thread's, instead of fresh pages faulted in again for every oscillator.
    void lend_storage(std::vector<PathArc>&& storage) {
        arcs_ = std::move(storage);
        arcs_.clear();
    }
    std::vector<PathArc> take_storage() { return std::move(arcs_); }

  private:
    struct Point {
        double x, y;
    };
    // A convex polygon holding the centre, counter-clockwise, with its vertices' directions
    // (turn_of) rising around it from the vertex start.
    struct Outline {
        std::vector<Point> vertices;
        std::vector<double> turns;
        int start = 0;
        void find_start();
        // A vertex near the direction of (x, y), where searches start.
        int vertex_near(double x, double y) const;
        // Whether (x, y), the path near it straying as much, stays inside; edge: where the
        // search for the edge it faces starts, and where it ends.
        bool well_inside(double x, double y, Stray stray, int from, int& edge) const;
    };
    bool well_inside(double x, double y, Stray stray, int start, int& edge) const {
        return hull_.well_inside(x, y, stray, start, edge);
    }
    // Every few widenings: a polygon of at most kCoarseVertices of the hull's vertices, inside
    // the hull, for the quick test of whole chunks of path.
    void thin_out();
    // The edges of the outline that whole stretches of path are tested against, as their x
    // parts, y parts and cross(start, edge), one array after the other.
    void measure_edges(const Outline& outline);
    // Whether the region with these corners (and their mirror images), each point of it
    // straying as much, lies inside the outline measured.
    bool region_well_inside(const double (&corners)[3][2], Stray stray) const;
    // Adds (x, y) to the hull when it lies outside; whether it did. The search for the edge it
    // faces starts at the vertex near.
    bool widen(double x, double y, int near);
    void measure_inner_radius();
    void drop_settled_arcs();
    // Before the hull holds the centre, the path may run on one line through it (a dead
    // channel, or identical horizontals): whether the knot is on it, short of the hull's end by
    // the stray (then it cannot shape any peak either).
    bool on_the_line(double x, double y, Stray stray) const;
    bool near_the_line(double x, double y) const;

    // A knot or an arc that was not finite was taken.
    bool non_finite_ = false;
    // The least distance from the centre to the hull's edges (0 before it is outlined).
    double inner_radius_ = 0.0;
    // What no peak needs: kNegligible of the hull's farthest knot. Without it a path thinner
    // than its stray (a dead or nearly dead channel) would have every knot kept.
    double negligible_ = 0.0;
    unsigned widenings_ = 0;
    // The hull, counter-clockwise; outlined_ once it holds the centre inside (before that,
    // every knot is taken).
    Outline hull_, coarse_;
    std::vector<double> edges_;
    bool edges_current_ = false;
    bool outlined_ = false;
    int edge_ = 0;  // the edge the last knot faced: edge i joins hull_[i] and hull_[i + 1]
    std::vector<PathArc> arcs_;
    std::size_t next_sweep_ = 1 << 14;  // arcs held when those that cannot matter are dropped
};

}  // namespace wavespec::response
