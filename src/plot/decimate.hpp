// Thinning a line to what the screen can show: of the points that fall into one pixel
// column, only the lowest and the highest are kept, so no peak is lost.
#pragma once

#include <cmath>
#include <span>
#include <vector>

#include "plot/svg_text.hpp"

namespace wavespec::plot {

// Takes points in increasing x and keeps, of each run of points in one column (floor of
// x), at most its lowest and highest, in their order. A point with a NaN y, or whose x or
// y is not finite, is a gap and is kept as a NaN y (runs of gaps as one). Since only the
// order of y matters, y may be any value that a monotonic map turns into pixels later.
class ColumnThinner {
  public:
    explicit ColumnThinner(std::vector<Point>& kept) : kept_(kept) {}
    ~ColumnThinner() { finish(); }
    ColumnThinner(const ColumnThinner&) = delete;
    ColumnThinner& operator=(const ColumnThinner&) = delete;

    void add(Point p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            finish();
            if (!kept_.empty() && !std::isnan(kept_.back().y)) kept_.push_back({p.x, NAN});
            return;
        }
        // Comparing with the column's edges spares a floor per point (a call without SSE4.1).
        if (open_ && p.x >= column_ && p.x < column_ + 1.0) {
            // The newest extreme comes after the other one.
            if (p.y < low_.y) low_ = p, low_first_ = false;
            if (p.y > high_.y) high_ = p, low_first_ = true;
            return;
        }
        finish();
        open_ = true;
        column_ = std::floor(p.x);
        low_ = high_ = p;
        low_first_ = true;
    }

    // Ends the column being collected (also at destruction).
    void finish() {
        if (!open_) return;
        open_ = false;
        if (low_.x == high_.x && low_.y == high_.y) {
            kept_.push_back(low_);
        } else if (low_first_) {
            kept_.push_back(low_);
            kept_.push_back(high_);
        } else {
            kept_.push_back(high_);
            kept_.push_back(low_);
        }
    }

  private:
    std::vector<Point>& kept_;
    bool open_ = false;
    bool low_first_ = true;  // the lowest came before the highest
    double column_ = 0.0;
    Point low_{}, high_{};
};

// The thinned copy of points.
std::vector<Point> decimate_columns(std::span<const Point> points);

}  // namespace wavespec::plot
