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

// The peak over time of x cos(theta) + y sin(theta) for every angle. Each angle's largest
// |x cos + y sin| over the knots taken is kept as it grows (four angles at a time): a knot
// whose projection at every angle, with the path near it straying as much, stays within the
// largest so far cannot shape any peak and is passed over; the others raise the largest (a
// few at a time), and their arcs are kept. The peaks come at the end from those largest values and
// the arcs. A knot or arc that is not finite makes every peak NaN: it is noted, never taken.
class RotatedPeaks {
  public:
    RotatedPeaks();
    // Whether the knot, with the path near it straying as much, may reach beyond the largest
    // projection so far at some angle (a stray below the negligible counts as none).
    bool may_shape(double x, double y, Stray stray);
    // may_shape, and the knot taken when it may.
    bool offer_knot(double x, double y, Stray stray);
    // offer_knot for a caller that takes the arcs of every knot taken: the arcs then hold the
    // knots' values for the peaks at the end, and only the farthest of the knots taken
    // together need raise the largest projections.
    bool offer_arc_end(double x, double y, Stray stray);
    // Whether a stretch of path within |x| <= x_most, |y| <= y_most, |x + y| <= sum_most may
    // reach beyond, straying as much.
    bool may_leave(double x_most, double y_most, double sum_most, Stray stray);
    void take_knot(double x, double y);
    void take_arc(const PathArc& arc);
    // The peaks at the 180 angles over the knots and the arcs taken.
    std::array<double, kAngles> peaks();

    // Searches the arcs held so far and lets them go, keeping their peaks: for a search that
    // waits while others use the processor and memory.
    void compact();
    // Angles 0 .. 90 and their mirrors 180 - j, padded to a multiple of four.
    static constexpr int kHalfAngles = 92;

  private:
    // The stray less the negligible; whether a point this far from the centre, straying so,
    // lies inside the largest projections' least (the circle within every angle's bound).
    Stray reduced(Stray stray) const {
        return {std::max(0.0, stray.x - negligible_), std::max(0.0, stray.y - negligible_)};
    }
    bool within_least(double radius_squared, Stray stray) const {
        const double r = least_ - (stray.x + stray.y);
        return r > 0.0 && radius_squared <= r * r;
    }
    // The knots taken wait in a few to raise the largest projections together.
    void settle_pending();
    void drop_settled_arcs();
    // Each arc's peaks at the angles where it may rise above the knots' largest projections,
    // raised into peak.
    void search_arcs(std::array<double, kAngles>& peak) const;
    static constexpr int kPending = 8;
    double pending_x_[kPending] = {}, pending_y_[kPending] = {};
    int pending_ = 0;
    static constexpr int kRaising = 1;
    bool exact_ = true;  // every knot taken raises the largest projections
    // The last knot tested, its stray, and the room it left within the largest projections at
    // every angle (negative: none known): a knot that near it needs no test. A knot's room is
    // that left less how far it lies from the last (no projection moves further than the
    // distance itself) and how much more it may stray: the largest projections only grow.
    struct Room {
        Stray last{}, last_stray{};
        double left = -1.0;
        // Whether the knot lies within the room left, which it takes up.
        bool holds(double x, double y, Stray stray) {
            left -= std::sqrt((x - last.x) * (x - last.x) + (y - last.y) * (y - last.y)) +
                    std::max(0.0, stray.x - last_stray.x) + std::max(0.0, stray.y - last_stray.y);
            last = {x, y};
            last_stray = stray;
            return left >= 0.0;
        }
    };
    Room room_;
    int last_group_ = 0;  // the group of angles the last knot taken was found beyond in

    // A knot or an arc that was not finite was taken.
    bool non_finite_ = false;
    // The largest |x cos + y sin| over the knots taken, at angle j (near_) and 180 - j (far_).
    alignas(32) double near_[kHalfAngles] = {}, far_[kHalfAngles] = {};
    // The least of them, and what no peak needs: kNegligible of the farthest knot. Without it a
    // path thinner than its stray (a dead or nearly dead channel) would have every knot kept.
    double least_ = 0.0;
    double negligible_ = 0.0;
    std::vector<PathArc> arcs_;
    std::size_t next_sweep_ = 1 << 14;  // arcs held when those that cannot matter are dropped
    // The peaks of the arcs searched and let go by compact(), at the 180 angles.
    std::array<double, kAngles> folded_{};
    static constexpr std::size_t kArcsToFold = 256;
};

}  // namespace wavespec::response
