// The mean H/V at each azimuth as a colour map: log frequency across, azimuth down, a cell per
// azimuth and pixel column, coloured by the ratio on a logarithmic scale; each azimuth's f0 a
// dot.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plot/axes.hpp"
#include "plot/hv_picture.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr int kAzimuthWidth = 900, kAzimuthHeight = 600;
constexpr double kAzimuthLeft = 80, kAzimuthRight = 800, kAzimuthTop = 62, kAzimuthBottom = 540;
constexpr int kColumns = 240;  // cells across: enough for the eye, a small file

// Dark blue through white-yellow to dark red as t goes from 0 to 1.
std::string colour_at(double t) {
    static const double stops[][3] = {
        {33, 64, 154}, {91, 163, 208}, {250, 240, 180}, {240, 130, 70}, {165, 20, 35}};
    t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0) * 4.0;
    const int i = std::min(3, static_cast<int>(t));
    const double u = t - i;
    char text[8];
    int rgb[3];
    for (int c = 0; c < 3; ++c) {
        rgb[c] = static_cast<int>(std::lround(stops[i][c] + u * (stops[i + 1][c] - stops[i][c])));
    }
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

}  // namespace

std::string hv_azimuth_svg(const HvAzimuthPicture& p) {
    std::string out;
    begin_svg(out, kAzimuthWidth, kAzimuthHeight);
    const std::span<const double> frequency[] = {p.frequency};
    const Decades fx = decade_range(frequency, 12);
    const Scale x{double(fx.low), double(fx.high), kAzimuthLeft, kAzimuthRight, true};
    std::string title = "H/V against azimuth";
    if (!p.record.empty()) title += " of " + p.record;
    append_text(out, kAzimuthWidth / 2.0, 24, "middle", title,
                "font-size=\"15\" font-weight=\"bold\"");
    append_text(out, kAzimuthWidth / 2.0, 42, "middle",
                "mean H/V of the windows, horizontals turned from component 1 toward 2; dots: f0");

    // The colour scale spans the log of the ratios drawn.
    double low = INFINITY, high = -INFINITY;
    for (auto curve : p.mean) {
        for (double v : curve) {
            if (v > 0.0 && std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
        }
    }
    if (!(high > low)) high = low + 1.0;
    const double span = std::log(high / low);
    const std::size_t rows = p.azimuth.size();
    const double row_height =
        rows == 0 ? 0.0 : (kAzimuthBottom - kAzimuthTop) / static_cast<double>(rows);
    const double column_width = (kAzimuthRight - kAzimuthLeft) / kColumns;
    for (std::size_t r = 0; r < rows; ++r) {
        const auto curve = p.mean[r];
        const double row = static_cast<double>(r);
        std::size_t k = 0;
        for (int c = 0; c < kColumns; ++c) {
            // The grid frequency nearest the column's centre.
            const double centre = kAzimuthLeft + (c + 0.5) * column_width;
            while (k + 1 < p.frequency.size() && x.pixel(p.frequency[k + 1]) <= centre) ++k;
            if (p.frequency.empty() || x.pixel(p.frequency[k]) > centre + column_width) continue;
            const double t = std::log(curve[k] / low) / span;
            append_rect(out, kAzimuthLeft + c * column_width, kAzimuthTop + row * row_height,
                        column_width + 0.3, row_height + 0.3,
                        "fill=\"" + colour_at(t) + "\" stroke=\"none\"");
        }
        const double px = x.pixel(r < p.f0.size() ? p.f0[r] : NAN);
        if (std::isfinite(px)) {
            std::string dot = "<circle cx=\"";
            append_pixel(dot, px);
            dot += "\" cy=\"";
            append_pixel(dot, kAzimuthTop + (row + 0.5) * row_height);
            dot += "\" r=\"5\" fill=\"#111111\"/>\n";
            out += dot;
        }
    }
    for (const Tick& t : decade_ticks(fx)) {
        if (t.label.empty()) continue;
        const double px = x.pixel(t.value);
        append_line(out, px, kAzimuthBottom, px, kAzimuthBottom + 5, "stroke=\"#333333\"");
        append_text(out, px, kAzimuthBottom + 20, "middle", t.label);
    }
    for (std::size_t r = 0; r < rows; r += std::max<std::size_t>(1, rows / 12)) {
        std::string label;
        append_number(label, p.azimuth[r]);
        append_text(out, kAzimuthLeft - 9,
                    kAzimuthTop + (static_cast<double>(r) + 0.5) * row_height + 4, "end", label);
    }
    append_rect(out, kAzimuthLeft, kAzimuthTop, kAzimuthRight - kAzimuthLeft,
                kAzimuthBottom - kAzimuthTop, "fill=\"none\" stroke=\"#333333\"");
    append_text(out, (kAzimuthLeft + kAzimuthRight) / 2, kAzimuthBottom + 44, "middle",
                "frequency (Hz)", "font-size=\"13\"");
    append_text(out, 0, 0, "middle", "azimuth (degrees)",
                "font-size=\"13\" transform=\"translate(30,301) rotate(-90)\"");
    // The colour scale.
    for (int i = 0; i < 50; ++i) {
        append_rect(out, 830, kAzimuthBottom - (i + 1) * (kAzimuthBottom - kAzimuthTop) / 50.0, 20,
                    (kAzimuthBottom - kAzimuthTop) / 50.0 + 0.3,
                    "fill=\"" + colour_at((i + 0.5) / 50.0) + "\" stroke=\"none\"");
    }
    std::string top, bottom;
    append_number(top, high);
    append_number(bottom, low);
    append_text(out, 840, kAzimuthTop - 6, "middle", top);
    append_text(out, 840, kAzimuthBottom + 16, "middle", bottom);
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
