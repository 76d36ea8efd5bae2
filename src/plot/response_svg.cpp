// The response spectra on log-log axes: PSA against period.
#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/axes.hpp"
#include "plot/palette.hpp"
#include "plot/response_picture.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr int kResponseWidth = 900, kResponseHeight = 600;
constexpr double kResponseLeft = 80, kResponseRight = 880, kResponseTop = 62, kResponseBottom = 540;
constexpr int kAccelerationDecades = 6;
constexpr std::string_view kRotdColour = "#222222";
// Line styles of the first, second, ... damping; after these, a dash one unit longer for each
// further damping, then a dot, so that no two dampings share a style.
constexpr std::array<std::string_view, 4> kDashes = {"", "7,4", "2,3", "9,3,2,3"};
std::string dash_of(std::size_t damping) {
    if (damping < kDashes.size()) return std::string(kDashes[damping]);
    return std::to_string(damping) + ",3,1,3";
}
// Dampings named in the legend; more are summed up in one line.
constexpr std::size_t kLegendDampings = 12;

std::string_view colour_of(std::size_t curve) {
    return curve < 3 ? kComponentColour[curve] : kRotdColour;
}

std::string damping_label(double damping) {
    std::string text = "damping ";
    append_number(text, damping * 100.0);
    return text + " %";
}

void draw_response_axes(std::string& out, const Scale& x, const Scale& y, Decades fx, Decades fy) {
    for (const Tick& t : decade_ticks(fx)) {
        double px = x.pixel(t.value);
        bool major = !t.label.empty();
        append_line(out, px, kResponseTop, px, kResponseBottom,
                    major ? "stroke=\"#d8d8d8\"" : "stroke=\"#f0f0f0\"");
        append_line(out, px, kResponseBottom, px, kResponseBottom + (major ? 6 : 3),
                    "stroke=\"#333333\"");
        if (major) append_text(out, px, kResponseBottom + 20, "middle", t.label);
    }
    for (const Tick& t : decade_ticks(fy)) {
        double py = y.pixel(t.value);
        bool major = !t.label.empty();
        append_line(out, kResponseLeft, py, kResponseRight, py,
                    major ? "stroke=\"#d8d8d8\"" : "stroke=\"#f0f0f0\"");
        append_line(out, kResponseLeft - (major ? 6 : 3), py, kResponseLeft, py,
                    "stroke=\"#333333\"");
        if (major) append_text(out, kResponseLeft - 9, py + 4, "end", t.label);
    }
    out +=
        "<rect x=\"80\" y=\"62\" width=\"800\" height=\"478\" fill=\"none\" stroke=\"#333333\"/>\n";
    append_text(out, (kResponseLeft + kResponseRight) / 2, kResponseBottom + 44, "middle",
                "period (s)", "font-size=\"13\"");
    append_text(out, 0, 0, "middle", "pseudo-spectral acceleration PSA (the record's unit)",
                "font-size=\"13\" transform=\"translate(22,301) rotate(-90)\"");
}

void draw_response_legend(std::string& out, const ResponsePicture& p) {
    std::size_t longest = 0;
    for (const auto& n : p.names) longest = std::max(longest, n.size());
    const bool more = p.dampings.size() > kLegendDampings;
    std::size_t styles = p.dampings.size() > 1 ? std::min(p.dampings.size(), kLegendDampings) : 0;
    double width = std::max(46 + 7.0 * static_cast<double>(std::min<std::size_t>(longest, 20)),
                            styles > 0 ? 150.0 : 0.0);
    double height = 16 + 20.0 * static_cast<double>(kResponseCurves + styles + (more ? 1 : 0));
    double left = kResponseRight - 10 - width, top = kResponseTop + 10;
    append_rect(out, left, top, width, height, "fill=\"white\" stroke=\"#999999\"");
    for (std::size_t c = 0; c < kResponseCurves; ++c) {
        double y = top + 16 + 20.0 * static_cast<double>(c);
        append_rect(out, left + 8, y - 2, 24, 4, "fill=\"" + std::string(colour_of(c)) + "\"");
        append_text(out, left + 38, y + 4, "start", p.names[c]);
    }
    for (std::size_t d = 0; d < styles; ++d) {
        double y = top + 16 + 20.0 * static_cast<double>(kResponseCurves + d);
        std::string style = "stroke=\"#555555\" stroke-width=\"1.6\"";
        if (d > 0) style += " stroke-dasharray=\"" + dash_of(d) + "\"";
        append_line(out, left + 8, y, left + 32, y, style);
        append_text(out, left + 38, y + 4, "start", damping_label(p.dampings[d]));
    }
    if (more) {
        double y = top + 16 + 20.0 * static_cast<double>(kResponseCurves + styles);
        append_text(out, left + 38, y + 4, "start",
                    "and " + std::to_string(p.dampings.size() - styles) + " more dampings");
    }
}

}  // namespace

std::string response_svg(const ResponsePicture& p) {
    std::string out;
    out.reserve(100'000);
    begin_svg(out, kResponseWidth, kResponseHeight);

    std::vector<std::span<const double>> values;
    for (const auto& curves : p.psa)
        for (const auto& curve : curves) values.push_back(curve);
    const std::span<const double> periods[] = {p.periods};
    Decades fx = decade_range(periods, 8);
    Decades fy = decade_range(values, kAccelerationDecades);
    Scale x{double(fx.low), double(fx.high), kResponseLeft, kResponseRight, true};
    Scale y{double(fy.low), double(fy.high), kResponseBottom, kResponseTop, true};

    std::string title = "Response spectra";
    if (!p.record.empty()) title += " of " + p.record;
    append_text(out, kResponseWidth / 2.0, 24, "middle", title,
                "font-size=\"15\" font-weight=\"bold\"");
    std::string facts = "PSA = (2 pi / T)^2 Sd";
    if (p.dampings.size() == 1) facts += ", " + damping_label(p.dampings[0]);
    append_text(out, kResponseWidth / 2.0, 42, "middle", facts);
    draw_response_axes(out, x, y, fx, fy);

    out +=
        "<clipPath id=\"plot-area\"><rect x=\"80\" y=\"62\" width=\"800\" height=\"478\"/>"
        "</clipPath>\n<g clip-path=\"url(#plot-area)\" fill=\"none\" stroke-width=\"2\" "
        "stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
    // The periods in increasing order, so that a line never turns back on itself.
    std::vector<std::size_t> order(p.periods.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return p.periods[a] < p.periods[b]; });
    std::vector<Point> points;
    for (std::size_t d = 0; d < p.psa.size(); ++d) {
        for (std::size_t c = 0; c < kResponseCurves; ++c) {
            const std::vector<double>& psa = p.psa[d][c];
            points.clear();
            for (std::size_t i : order) {
                if (i >= psa.size()) continue;
                points.push_back({x.pixel(p.periods[i]), y.pixel(psa[i])});
            }
            out += "<path stroke=\"";
            out += colour_of(c);
            out += '"';
            const std::string dash = dash_of(d);
            if (!dash.empty()) {
                out += " stroke-dasharray=\"";
                out += dash;
                out += '"';
            }
            out += " d=\"";
            append_path_data(out, points);
            out += "\"/>\n";
        }
    }
    out += "</g>\n";
    draw_response_legend(out, p);
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
