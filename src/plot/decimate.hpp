// Thinning a line to what the screen can show: of the points that fall into one pixel
// column, only the lowest and the highest are kept, so no peak is lost.
#pragma once

#include <span>
#include <vector>

#include "plot/svg_text.hpp"

namespace wavespec::plot {

// points in increasing x; a point with a NaN y is a gap and is kept (runs of gaps as one).
// A point whose x is not finite is treated as a gap. Each run of points in one column
// (floor of x) keeps at most its lowest and highest, in their order.
std::vector<Point> decimate_columns(std::span<const Point> points);

}  // namespace wavespec::plot
