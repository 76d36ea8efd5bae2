// The H/V curves of noise windows on a logarithmic frequency axis and a linear ratio axis.
#include <algorithm>
#include <cmath>

#include "plot/axes.hpp"
#include "plot/hv_picture.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr int kHvWidth = 900, kHvHeight = 600;
constexpr double kHvLeft = 80, kHvRight = 880, kHvTop = 62, kHvBottom = 540;

void draw_hv_axes(std::string& out, const Scale& x, const Scale& y, Decades fx,
                  const std::vector<Tick>& yticks) {
    for (const Tick& t : decade_ticks(fx)) {
        double px = x.pixel(t.value);
        bool major = !t.label.empty();
        append_line(out, px, kHvTop, px, kHvBottom,
                    major ? "stroke=\"#d8d8d8\"" : "stroke=\"#f0f0f0\"");
        if (major) append_text(out, px, kHvBottom + 20, "middle", t.label);
    }
    for (const Tick& t : yticks) {
        double py = y.pixel(t.value);
        append_line(out, kHvLeft, py, kHvRight, py, "stroke=\"#e4e4e4\"");
        append_text(out, kHvLeft - 9, py + 4, "end", t.label);
    }
    out +=
        "<rect x=\"80\" y=\"62\" width=\"800\" height=\"478\" fill=\"none\" stroke=\"#333333\"/>\n";
    append_text(out, (kHvLeft + kHvRight) / 2, kHvBottom + 44, "middle", "frequency (Hz)",
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
    begin_svg(out, kHvWidth, kHvHeight);
    const std::span<const double> frequency[] = {p.frequency};
    Decades fx = decade_range(frequency, 12);
    Scale x{double(fx.low), double(fx.high), kHvLeft, kHvRight, true};
    // The ratio axis from 0 to the band's top (or the mean's, where the band is unreadable).
    double top = 1.0;
    for (auto curve : {p.upper, p.mean}) {
        for (double v : curve) {
            if (std::isfinite(v)) top = std::max(top, v);
        }
    }
    double low = 0.0;
    std::vector<Tick> yticks = linear_ticks(low, top, 8);
    Scale y{low, top, kHvBottom, kHvTop, false};

    const std::size_t count = p.windows.size() + p.rejected.size();
    std::string title = "H/V of " + std::to_string(count) + " noise windows";
    if (!p.rejected.empty()) title += " (" + std::to_string(p.rejected.size()) + " rejected)";
    if (!p.record.empty()) title += " of " + p.record;
    append_text(out, kHvWidth / 2.0, 24, "middle", title, "font-size=\"15\" font-weight=\"bold\"");
    if (!p.smoothing.empty()) append_text(out, kHvWidth / 2.0, 42, "middle", p.smoothing);
    draw_hv_axes(out, x, y, fx, yticks);

    out +=
        "<clipPath id=\"plot-area\"><rect x=\"80\" y=\"62\" width=\"800\" height=\"478\"/>"
        "</clipPath>\n<g clip-path=\"url(#plot-area)\" stroke-linejoin=\"round\">\n";
    // f0 -+ sigma_f as a shaded band behind the curves.
    if (p.f0) {
        const double left = x.pixel(p.f0->f0 - p.f0_spread),
                     right = x.pixel(p.f0->f0 + p.f0_spread);
        const double from = std::isfinite(left) ? left : kHvLeft;
        if (std::isfinite(right) && right > from) {
            append_rect(out, from, kHvTop, right - from, kHvBottom - kHvTop,
                        "fill=\"#f6d5d1\" stroke=\"none\"");
        }
    }
    for (auto window : p.windows) {
        append_curve(out, points_of(x, y, p.frequency, window),
                     "stroke=\"#b0b0b0\" stroke-width=\"0.8\"");
    }
    for (auto window : p.rejected) {
        append_curve(out, points_of(x, y, p.frequency, window),
                     "stroke=\"#e3a35b\" stroke-width=\"0.8\"");
    }
    append_curve(out, points_of(x, y, p.frequency, p.upper),
                 "stroke=\"#111111\" stroke-width=\"1.2\" stroke-dasharray=\"6,4\"");
    append_curve(out, points_of(x, y, p.frequency, p.lower),
                 "stroke=\"#111111\" stroke-width=\"1.2\" stroke-dasharray=\"6,4\"");
    append_curve(out, points_of(x, y, p.frequency, p.mean),
                 "stroke=\"#111111\" stroke-width=\"2.6\"");
    out += "</g>\n";

    if (p.f0) {
        double px = x.pixel(p.f0->f0);
        if (std::isfinite(px)) {
            append_line(out, px, kHvTop, px, kHvBottom,
                        "stroke=\"#c0392b\" stroke-dasharray=\"6,4\"");
            std::string label = "f0 = ";
            append_number(label, p.f0->f0);
            label += " Hz, A0 = ";
            append_number(label, p.f0->a0);
            if (p.f0_spread > 0.0) {
                label += ", sigma_f = ";
                append_number(label, p.f0_spread);
                label += " Hz";
            }
            append_text(out, px + 6, kHvTop + 16, "start", label,
                        "font-size=\"12\" fill=\"#c0392b\"");
        }
    }
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
