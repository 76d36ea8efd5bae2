// The signal-to-noise ratio of --corners=snr: for each component a panel of the smoothed
// signal and noise spectra above a panel of their ratio, on log-log axes shared by the three
// columns, the threshold and the chosen corners marked.
#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/axes.hpp"
#include "plot/decimate.hpp"
#include "plot/palette.hpp"
#include "plot/snr_picture.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr int kSnrWidth = 1200, kSnrHeight = 620;
constexpr double kSnrLeft = 80, kSnrColumnWidth = 340, kSnrColumnGap = 40, kSnrTop = 70;
constexpr double kSnrPanelHeight = 220, kSnrPanelGap = 30;
// Amplitudes far below the peak are numerical dust; the axes show this many decades.
constexpr int kSnrAmplitudeDecades = 8, kRatioDecades = 6;
constexpr std::string_view kCornerMark = "stroke=\"#555555\" stroke-dasharray=\"2,3\"";
constexpr std::string_view kThresholdMark = "stroke=\"#000000\" stroke-dasharray=\"6,3\"";

struct Panel {
    double left, top;
    Scale x, y;
};

Panel panel_at(std::size_t row, std::size_t column, Decades fx, Decades fy) {
    const double left = kSnrLeft + static_cast<double>(column) * (kSnrColumnWidth + kSnrColumnGap);
    const double top = kSnrTop + static_cast<double>(row) * (kSnrPanelHeight + kSnrPanelGap);
    return {left, top, Scale{double(fx.low), double(fx.high), left, left + kSnrColumnWidth, true},
            Scale{double(fy.low), double(fy.high), top + kSnrPanelHeight, top, true}};
}

// The decade grid, labelled on the left column's values and the lower row's frequencies.
void draw_grid(std::string& out, const Panel& p, Decades fx, Decades fy, bool label_x,
               bool label_y) {
    for (const Tick& t : decade_ticks(fx)) {
        if (t.label.empty()) continue;
        const double px = p.x.pixel(t.value);
        append_line(out, px, p.top, px, p.top + kSnrPanelHeight, "stroke=\"#e4e4e4\"");
        if (label_x) append_text(out, px, p.top + kSnrPanelHeight + 18, "middle", t.label);
    }
    for (const Tick& t : decade_ticks(fy)) {
        if (t.label.empty()) continue;
        const double py = p.y.pixel(t.value);
        append_line(out, p.left, py, p.left + kSnrColumnWidth, py, "stroke=\"#e4e4e4\"");
        if (label_y) append_text(out, p.left - 6, py + 4, "end", t.label);
    }
}

void draw_curve(std::string& out, const Panel& p, std::span<const double> frequency,
                std::span<const double> values, std::string_view colour) {
    std::vector<Point> kept;
    {
        ColumnThinner thinner(kept);
        for (std::size_t i = 0; i < std::min(frequency.size(), values.size()); ++i) {
            // A zero or unreadable value has no place on a log axis: a gap.
            const double v = values[i];
            thinner.add({p.x.pixel(frequency[i]), v > 0.0 && std::isfinite(v) ? v : NAN});
        }
    }
    for (Point& k : kept) k.y = p.y.pixel(k.y);
    out += "<path fill=\"none\" stroke-width=\"1.2\" stroke=\"";
    out += colour;
    out += "\" d=\"";
    append_path_data(out, kept);
    out += "\"/>\n";
}

// The corners as vertical lines, where they fall on the axis.
void draw_snr_corners(std::string& out, const Panel& p, const std::array<double, 2>& corners) {
    for (double f : corners) {
        const double px = p.x.pixel(f);
        if (!(px >= p.left && px <= p.left + kSnrColumnWidth)) continue;
        append_line(out, px, p.top, px, p.top + kSnrPanelHeight, kCornerMark);
    }
}

void draw_frame(std::string& out, const Panel& p) {
    append_rect(out, p.left, p.top, kSnrColumnWidth, kSnrPanelHeight,
                "fill=\"none\" stroke=\"#333333\"");
}

}  // namespace

std::string snr_svg(const SnrPicture& p) {
    std::string out;
    out.reserve(200'000);
    begin_svg(out, kSnrWidth, kSnrHeight);
    append_text(out, kSnrWidth / 2.0, 26, "middle", "Signal and noise of " + p.record,
                "font-size=\"15\" font-weight=\"bold\"");
    const std::span<const double> frequency[] = {p.frequency};
    const Decades fx = decade_range(frequency, 12);
    const std::span<const double> spectra[] = {p.signal[0], p.signal[1], p.signal[2],
                                               p.noise[0],  p.noise[1],  p.noise[2]};
    const Decades fa = decade_range(spectra, kSnrAmplitudeDecades);
    const std::array<double, 1> threshold = {p.threshold};
    const std::span<const double> ratios[] = {p.snr[0], p.snr[1], p.snr[2], threshold};
    const Decades fr = decade_range(ratios, kRatioDecades);
    for (std::size_t c = 0; c < 3; ++c) {
        const double centre = kSnrLeft +
                              static_cast<double>(c) * (kSnrColumnWidth + kSnrColumnGap) +
                              kSnrColumnWidth / 2;
        append_text(out, centre, 56, "middle", p.names[c], "font-size=\"13\" font-weight=\"bold\"");
        const Panel spectrum = panel_at(0, c, fx, fa);
        draw_grid(out, spectrum, fx, fa, false, c == 0);
        draw_curve(out, spectrum, p.frequency, p.noise[c], kComponentLight[c]);
        draw_curve(out, spectrum, p.frequency, p.signal[c], kComponentColour[c]);
        draw_snr_corners(out, spectrum, p.corners[c]);
        draw_frame(out, spectrum);
        const Panel ratio = panel_at(1, c, fx, fr);
        draw_grid(out, ratio, fx, fr, true, c == 0);
        draw_curve(out, ratio, p.frequency, p.snr[c], kComponentColour[c]);
        const double py = ratio.y.pixel(p.threshold);
        if (py >= ratio.top && py <= ratio.top + kSnrPanelHeight) {
            append_line(out, ratio.left, py, ratio.left + kSnrColumnWidth, py, kThresholdMark);
        }
        draw_snr_corners(out, ratio, p.corners[c]);
        draw_frame(out, ratio);
    }
    for (auto [row, label] : {std::pair{0, "amplitude (strong: signal, light: noise)"},
                              std::pair{1, "signal / noise"}}) {
        std::string rotate = "font-size=\"13\" transform=\"translate(22,";
        append_pixel(rotate,
                     kSnrTop + row * (kSnrPanelHeight + kSnrPanelGap) + kSnrPanelHeight / 2);
        rotate += ") rotate(-90)\"";
        append_text(out, 0, 0, "middle", label, rotate);
    }
    append_text(out, kSnrWidth / 2.0, kSnrHeight - 20, "middle",
                "frequency (Hz); dashed: the threshold and the corners chosen", "font-size=\"13\"");
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
