#include "plot/decimate.hpp"

namespace wavespec::plot {

std::vector<Point> decimate_columns(std::span<const Point> points) {
    std::vector<Point> kept;
    {
        ColumnThinner thinner(kept);
        for (const Point& p : points) thinner.add(p);
    }
    return kept;
}

}  // namespace wavespec::plot
