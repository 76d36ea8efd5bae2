// The processed record of --detrend .. --baseline: acceleration, velocity and displacement of
// the three components in a grid of panels on a shared time axis, the pads shaded.
#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/axes.hpp"
#include "plot/decimate.hpp"
#include "plot/palette.hpp"
#include "plot/processed_picture.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr int kProcessedWidth = 1200, kProcessedHeight = 760;
constexpr double kProcessedLeft = 80, kProcessedColumnWidth = 340, kProcessedColumnGap = 40,
                 kProcessedTop = 70;
constexpr double kProcessedPanelHeight = 190, kProcessedPanelGap = 24;

// One panel: the grid, the pads' shading, the series and its value axis.
void draw_panel(std::string& out, const ProcessedPicture& p, std::span<const double> series,
                std::size_t row, std::size_t column, std::vector<Point>& kept) {
    const double left = kProcessedLeft +
                        static_cast<double>(column) * (kProcessedColumnWidth + kProcessedColumnGap);
    const double right = left + kProcessedColumnWidth;
    const double top =
        kProcessedTop + static_cast<double>(row) * (kProcessedPanelHeight + kProcessedPanelGap);
    const double bottom = top + kProcessedPanelHeight;
    const double first = -static_cast<double>(p.pad_before) * p.dt;
    const double last = first + static_cast<double>(series.empty() ? 0 : series.size() - 1) * p.dt;
    Scale x{first, last > first ? last : first + 1.0, left, right, false};
    double low = 0.0, high = 0.0;
    for (double v : series) {
        if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
    }
    const std::vector<Tick> ticks = linear_ticks(low, high, 4);
    Scale y{low, high, bottom, top, false};
    const double record_end = static_cast<double>(p.record_samples - 1) * p.dt;
    for (auto [from, to] : {std::pair{first, 0.0}, std::pair{record_end, last}}) {
        if (!(to > from)) continue;
        out += "<rect x=\"";
        append_pixel(out, x.pixel(from));
        out += "\" y=\"";
        append_pixel(out, top);
        out += "\" width=\"";
        append_pixel(out, x.pixel(to) - x.pixel(from));
        out += "\" height=\"190\" fill=\"#f0f0f0\"/>\n";
    }
    for (const Tick& t : ticks) {
        append_line(out, left, y.pixel(t.value), right, y.pixel(t.value), "stroke=\"#e4e4e4\"");
        append_text(out, left - 6, y.pixel(t.value) + 4, "end", t.label);
    }
    if (row == 2) {
        double tlow = x.low, thigh = x.high;
        for (const Tick& t : linear_ticks(tlow, thigh, 5)) {
            if (t.value < x.low || t.value > x.high) continue;
            append_text(out, x.pixel(t.value), bottom + 18, "middle", t.label);
        }
    }
    kept.clear();
    {
        ColumnThinner thinner(kept);
        for (std::size_t i = 0; i < series.size(); ++i) {
            thinner.add({x.pixel(first + static_cast<double>(i) * p.dt), series[i]});
        }
    }
    for (Point& k : kept) k.y = y.pixel(k.y);
    out += "<path fill=\"none\" stroke-width=\"1.1\" stroke=\"";
    out += kComponentColour[row];
    out += "\" d=\"";
    append_path_data(out, kept);
    out += "\"/>\n<rect x=\"";
    append_pixel(out, left);
    out += "\" y=\"";
    append_pixel(out, top);
    out += "\" width=\"340\" height=\"190\" fill=\"none\" stroke=\"#333333\"/>\n";
}

}  // namespace

std::string processed_svg(const ProcessedPicture& p) {
    std::string out;
    out.reserve(400'000);
    begin_svg(out, kProcessedWidth, kProcessedHeight);
    append_text(out, kProcessedWidth / 2.0, 26, "middle", "Processed record of " + p.record,
                "font-size=\"15\" font-weight=\"bold\"");
    static constexpr const char* kQuantities[] = {"acceleration", "velocity", "displacement"};
    std::vector<Point> kept;
    for (std::size_t column = 0; column < 3; ++column) {
        const double centre =
            kProcessedLeft +
            static_cast<double>(column) * (kProcessedColumnWidth + kProcessedColumnGap) +
            kProcessedColumnWidth / 2;
        append_text(out, centre, 56, "middle", kQuantities[column], "font-size=\"13\"");
        for (std::size_t row = 0; row < 3; ++row) {
            draw_panel(out, p, p.series[row][column], row, column, kept);
        }
    }
    for (std::size_t row = 0; row < 3; ++row) {
        std::string rotate = "font-size=\"13\" font-weight=\"bold\" transform=\"translate(20,";
        append_pixel(rotate,
                     kProcessedTop +
                         static_cast<double>(row) * (kProcessedPanelHeight + kProcessedPanelGap) +
                         95);
        rotate += ") rotate(-90)\"";
        append_text(out, 0, 0, "middle", p.names[row], rotate);
    }
    append_text(out, kProcessedWidth / 2.0, kProcessedHeight - 20, "middle",
                "time (s) from the record's first sample; the pads shaded", "font-size=\"13\"");
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
