// The waveforms in three stacked panels on a shared time axis: the record as read in a
// light colour, the output over it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/axes.hpp"
#include "plot/decimate.hpp"
#include "plot/palette.hpp"
#include "plot/pictures.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr int kWidth = 900, kHeight = 760;
constexpr double kLeft = 90, kRight = 820, kFirstTop = 70, kPanelHeight = 190, kPanelGap = 24;
// Peaks further apart than this (an integrated or differentiated output) give the record
// its own scale on the right, or one of the two lines would be flat.
constexpr double kOwnScaleRatio = 3.0;

struct Extent {
    double low = INFINITY, high = -INFINITY;
    void take(std::span<const double> values) {
        for (double v : values) {
            if (!std::isfinite(v)) continue;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    bool empty() const { return !(high >= low); }
    double peak() const { return empty() ? 0.0 : std::max(std::fabs(low), std::fabs(high)); }
};

void append_line_path(std::string& out, std::span<const double> values, double start, double step,
                      const Scale& x, const Scale& y, std::string_view colour,
                      std::vector<Point>& kept) {
    kept.clear();
    {
        ColumnThinner thinner(kept);
        // The pixel column of sample i is first + i * per_sample, computed without the
        // scale's division in the loop.
        const double slope = (x.to - x.from) / (x.high - x.low);
        const double first = x.from + (start - x.low) * slope, per_sample = step * slope;
        for (std::size_t i = 0; i < values.size(); ++i) {
            thinner.add({first + static_cast<double>(i) * per_sample, values[i]});
        }
    }
    for (Point& k : kept) k.y = y.pixel(k.y);
    out += "<path stroke=\"";
    out += colour;
    out += "\" d=\"";
    append_path_data(out, kept);
    out += "\"/>\n";
}

void draw_value_axis(std::string& out, const std::vector<Tick>& ticks, const Scale& y, bool right,
                     std::string_view colour) {
    double edge = right ? kRight : kLeft;
    for (const Tick& t : ticks) {
        double py = y.pixel(t.value);
        if (!right) append_line(out, kLeft, py, kRight, py, "stroke=\"#e4e4e4\"");
        append_line(out, edge, py, edge + (right ? 5 : -5), py, "stroke=\"#333333\"");
        std::string fill = "fill=\"";
        fill += colour;
        fill += '"';
        append_text(out, edge + (right ? 8 : -8), py + 4, right ? "start" : "end", t.label, fill);
    }
}

void draw_legend(std::string& out, bool original, bool own_scale) {
    double x = kLeft;
    auto swatch = [&](std::string_view colour, std::string_view text) {
        for (int c = 0; c < 3; ++c) {
            out += "<rect x=\"";
            append_pixel(out, x + 8 * c);
            out += "\" y=\"50\" width=\"8\" height=\"4\" fill=\"";
            out += colour == "strong" ? kComponentColour[c] : kComponentLight[c];
            out += "\"/>\n";
        }
        append_text(out, x + 30, 56, "start", text);
        x += 30 + 7.0 * static_cast<double>(text.size()) + 24;
    };
    swatch("strong", "output");
    if (original)
        swatch("light", own_scale ? "record as read (right-hand scale)" : "record as read");
}

}  // namespace

std::string waveform_svg(const WaveformPicture& p) {
    std::string out;
    out.reserve(300'000);
    begin_svg(out, kWidth, kHeight);

    bool any_original = false;
    double t_low = p.output_start, t_high = p.output_start;
    for (int c = 0; c < 3; ++c) {
        if (!p.output[c].empty()) {
            t_high = std::max(t_high, p.output_start + static_cast<double>(p.output[c].size() - 1) *
                                                           p.output_step);
        }
        if (!p.original[c].empty()) {
            any_original = true;
            t_low = std::min(t_low, 0.0);
            t_high = std::max(t_high, static_cast<double>(p.original[c].size() - 1) * p.dt);
        }
    }
    if (!std::isfinite(t_low) || !std::isfinite(t_high)) t_low = t_high = 0.0;
    std::vector<Tick> time_ticks = linear_ticks(t_low, t_high, 10);
    Scale x{t_low, t_high, kLeft, kRight, false};

    std::string title = "Waveforms";
    if (!p.record.empty()) title += " of " + p.record;
    append_text(out, kWidth / 2.0, 26, "middle", title, "font-size=\"15\" font-weight=\"bold\"");

    bool legend_own_scale = false;
    std::vector<Point> points;
    for (int c = 0; c < 3; ++c) {
        double top = kFirstTop + c * (kPanelHeight + kPanelGap), bottom = top + kPanelHeight;
        Extent output, original;
        output.take(p.output[c]);
        original.take(p.original[c]);
        bool own_scale = !original.empty() && !output.empty() &&
                         (original.peak() > kOwnScaleRatio * output.peak() ||
                          output.peak() > kOwnScaleRatio * original.peak());
        legend_own_scale = legend_own_scale || own_scale;
        Extent shared = output;
        if (!own_scale) shared.take(p.original[c]);
        double low = shared.empty() ? 0.0 : shared.low, high = shared.empty() ? 0.0 : shared.high;
        std::vector<Tick> ticks = linear_ticks(low, high, 4);
        Scale y{low, high, bottom, top, false};
        Scale y_original = y;
        std::vector<Tick> original_ticks;
        if (own_scale) {
            double olow = original.low, ohigh = original.high;
            original_ticks = linear_ticks(olow, ohigh, 4);
            y_original = Scale{olow, ohigh, bottom, top, false};
        }

        draw_value_axis(out, ticks, y, false, kAxisColour);
        if (own_scale) draw_value_axis(out, original_ticks, y_original, true, "#777777");
        for (const Tick& t : time_ticks) {
            double px = x.pixel(t.value);
            append_line(out, px, top, px, bottom, "stroke=\"#eeeeee\"");
            append_line(out, px, bottom, px, bottom + 5, "stroke=\"#333333\"");
            if (c == 2) append_text(out, px, bottom + 19, "middle", t.label);
        }
        std::string clip = "panel" + std::to_string(c);
        out += "<clipPath id=\"" + clip + "\"><rect x=\"90\" y=\"";
        append_pixel(out, top);
        out += "\" width=\"730\" height=\"190\"/></clipPath>\n";
        out += "<g clip-path=\"url(#" + clip +
               ")\" fill=\"none\" stroke-width=\"1.2\" stroke-linejoin=\"round\" "
               "stroke-linecap=\"round\">\n";
        if (!p.original[c].empty()) {
            append_line_path(out, p.original[c], 0.0, p.dt, x, y_original, kComponentLight[c],
                             points);
        }
        append_line_path(out, p.output[c], p.output_start, p.output_step, x, y, kComponentColour[c],
                         points);
        out += "</g>\n<rect x=\"90\" y=\"";
        append_pixel(out, top);
        out += "\" width=\"730\" height=\"190\" fill=\"none\" stroke=\"#333333\"/>\n";
        std::string rotate = "font-size=\"13\" font-weight=\"bold\" fill=\"";
        rotate += kComponentColour[c];
        rotate += "\" transform=\"translate(24,";
        append_pixel(rotate, top + kPanelHeight / 2);
        rotate += ") rotate(-90)\"";
        append_text(out, 0, 0, "middle", p.names[c], rotate);
    }
    draw_legend(out, any_original, legend_own_scale);
    append_text(out, (kLeft + kRight) / 2, kHeight - 24, "middle", "time (s)", "font-size=\"13\"");
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
