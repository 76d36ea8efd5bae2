// The H/V curves of noise windows on a logarithmic frequency axis and a linear ratio axis.
#include <algorithm>
#include <cmath>

#include "plot/axes.hpp"
#include "plot/hv_picture.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr int kWidth = 900, kHeight = 600;
constexpr double kLeft = 80, kRight = 880, kTop = 62, kBottom = 540;

void draw_axes(std::string& out, const Scale& x, const Scale& y, Decades fx,
               const std::vector<Tick>& yticks) {
    for (const Tick& t : decade_ticks(fx)) {
        double px = x.pixel(t.value);
        bool major = !t.label.empty();
        append_line(out, px, kTop, px, kBottom,
                    major ? "stroke=\"#d8d8d8\"" : "stroke=\"#f0f0f0\"");
        if (major) append_text(out, px, kBottom + 20, "middle", t.label);
    }
    for (const Tick& t : yticks) {
        double py = y.pixel(t.value);
        append_line(out, kLeft, py, kRight, py, "stroke=\"#e4e4e4\"");
        append_text(out, kLeft - 9, py + 4, "end", t.label);
    }
    out +=
        "<rect x=\"80\" y=\"62\" width=\"800\" height=\"478\" fill=\"none\" stroke=\"#333333\"/>\n";
    append_text(out, (kLeft + kRight) / 2, kBottom + 44, "middle", "frequency (Hz)",
                "font-size=\"13\"");
    append_text(out, 0, 0, "middle", "H/V",
                "font-size=\"13\" transform=\"translate(30,301) rotate(-90)\"");
}

std::vector<Point> points_of(const Scale& x, const Scale& y, std::span<const double> f,
                             std::span<const double> v) {
    std::vector<Point> points;
    std::size_t n = std::min(f.size(), v.size());
    points.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        double px = x.pixel(f[i]);
        points.push_back({px, std::isfinite(px) ? y.pixel(v[i]) : NAN});
    }
    return points;
}

void append_curve(std::string& out, const std::vector<Point>& points, std::string_view style) {
    out += "<path fill=\"none\" ";
    out += style;
    out += " d=\"";
    append_path_data(out, points);
    out += "\"/>\n";
}

}  // namespace

std::string hv_svg(const HvPicture& p) {
    std::string out;
    begin_svg(out, kWidth, kHeight);
    const std::span<const double> frequency[] = {p.frequency};
    Decades fx = decade_range(frequency, 12);
    Scale x{double(fx.low), double(fx.high), kLeft, kRight, true};
    // The ratio axis from 0 to the band's top (or the mean's, where the band is unreadable).
    double top = 1.0;
    for (auto curve : {p.upper, p.mean}) {
        for (double v : curve) {
            if (std::isfinite(v)) top = std::max(top, v);
        }
    }
    double low = 0.0;
    std::vector<Tick> yticks = linear_ticks(low, top, 8);
    Scale y{low, top, kBottom, kTop, false};

    std::string title = "H/V of " + std::to_string(p.windows.size()) + " noise windows";
    if (!p.record.empty()) title += " of " + p.record;
    append_text(out, kWidth / 2.0, 24, "middle", title, "font-size=\"15\" font-weight=\"bold\"");
    if (!p.smoothing.empty()) append_text(out, kWidth / 2.0, 42, "middle", p.smoothing);
    draw_axes(out, x, y, fx, yticks);

    out +=
        "<clipPath id=\"plot-area\"><rect x=\"80\" y=\"62\" width=\"800\" height=\"478\"/>"
        "</clipPath>\n<g clip-path=\"url(#plot-area)\" stroke-linejoin=\"round\">\n";
    // The band: along the upper curve and back along the lower one.
    std::vector<Point> band = points_of(x, y, p.frequency, p.upper);
    std::vector<Point> lower = points_of(x, y, p.frequency, p.lower);
    band.insert(band.end(), lower.rbegin(), lower.rend());
    std::erase_if(band, [](const Point& q) { return !std::isfinite(q.x) || !std::isfinite(q.y); });
    if (!band.empty()) {
        out += "<path fill=\"#d9d9d9\" stroke=\"none\" d=\"";
        append_path_data(out, band);
        out += "Z\"/>\n";
    }
    for (auto window : p.windows) {
        append_curve(out, points_of(x, y, p.frequency, window),
                     "stroke=\"#a9c4e8\" stroke-width=\"1.3\"");
    }
    append_curve(out, points_of(x, y, p.frequency, p.upper),
                 "stroke=\"#555555\" stroke-width=\"1\" stroke-dasharray=\"4,3\"");
    append_curve(out, points_of(x, y, p.frequency, p.lower),
                 "stroke=\"#555555\" stroke-width=\"1\" stroke-dasharray=\"4,3\"");
    append_curve(out, points_of(x, y, p.frequency, p.mean),
                 "stroke=\"#111111\" stroke-width=\"2\"");
    out += "</g>\n";

    // f0: the mean curve's highest point.
    std::size_t peak = 0;
    for (std::size_t i = 1; i < std::min(p.mean.size(), p.frequency.size()); ++i) {
        if (p.mean[i] > p.mean[peak]) peak = i;
    }
    if (!p.mean.empty() && !p.frequency.empty()) {
        double px = x.pixel(p.frequency[peak]);
        if (std::isfinite(px)) {
            append_line(out, px, kTop, px, kBottom, "stroke=\"#c0392b\" stroke-dasharray=\"6,4\"");
            std::string label = "f0 = ";
            append_number(label, p.frequency[peak]);
            label += " Hz, A0 = ";
            append_number(label, p.mean[peak]);
            append_text(out, px + 6, kTop + 16, "start", label,
                        "font-size=\"12\" fill=\"#c0392b\"");
        }
    }
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
