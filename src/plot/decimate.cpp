#include "plot/decimate.hpp"

#include <cmath>
#include <limits>

namespace wavespec::plot {

std::vector<Point> decimate_columns(std::span<const Point> points) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<Point> kept;
    kept.reserve(std::min<std::size_t>(points.size(), 4096));
    bool open = false;  // a column run is being collected
    double column = 0.0;
    Point low{}, high{};
    std::size_t low_index = 0, high_index = 0;
    auto flush = [&] {
        if (!open) return;
        const Point& first = low_index <= high_index ? low : high;
        const Point& second = low_index <= high_index ? high : low;
        kept.push_back(first);
        if (low_index != high_index) kept.push_back(second);
        open = false;
    };
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        if (std::isnan(p.y) || !std::isfinite(p.x) || !std::isfinite(p.y)) {
            flush();
            if (!kept.empty() && !std::isnan(kept.back().y)) kept.push_back({p.x, nan});
            continue;
        }
        double c = std::floor(p.x);
        if (open && c == column) {
            if (p.y < low.y) low = p, low_index = i;
            if (p.y > high.y) high = p, high_index = i;
            continue;
        }
        flush();
        open = true;
        column = c;
        low = high = p;
        low_index = high_index = i;
    }
    flush();
    return kept;
}

}  // namespace wavespec::plot
