// The amplitude spectra of the three components on log-log axes.
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

constexpr int kWidth = 900, kHeight = 600;
constexpr double kLeft = 80, kRight = 880, kTop = 62, kBottom = 540;
// Amplitudes far below the peak are numerical dust; the axis shows this many decades.
constexpr int kAmplitudeDecades = 8;

std::string title_line(const SpectraPicture& p) {
    std::string line = "Fourier amplitude spectra";
    if (!p.record.empty()) line += " of " + p.record;
    std::string facts;
    if (p.nt > 0) facts += "nt = " + std::to_string(p.nt);
    if (p.dt > 0.0 && std::isfinite(p.dt)) {
        if (!facts.empty()) facts += ", ";
        facts += "dt = ";
        append_number(facts, p.dt);
        facts += " s";
    }
    if (!facts.empty()) line += " (" + facts + ")";
    return line;
}

void draw_axes(std::string& out, const Scale& x, const Scale& y, Decades fx, Decades fy) {
    for (const Tick& t : decade_ticks(fx)) {
        double px = x.pixel(t.value);
        bool major = !t.label.empty();
        append_line(out, px, kTop, px, kBottom,
                    major ? "stroke=\"#d8d8d8\"" : "stroke=\"#f0f0f0\"");
        append_line(out, px, kBottom, px, kBottom + (major ? 6 : 3), "stroke=\"#333333\"");
        if (major) append_text(out, px, kBottom + 20, "middle", t.label);
    }
    for (const Tick& t : decade_ticks(fy)) {
        double py = y.pixel(t.value);
        bool major = !t.label.empty();
        append_line(out, kLeft, py, kRight, py,
                    major ? "stroke=\"#d8d8d8\"" : "stroke=\"#f0f0f0\"");
        append_line(out, kLeft - (major ? 6 : 3), py, kLeft, py, "stroke=\"#333333\"");
        if (major) append_text(out, kLeft - 9, py + 4, "end", t.label);
    }
    out +=
        "<rect x=\"80\" y=\"62\" width=\"800\" height=\"478\" fill=\"none\" stroke=\"#333333\"/>\n";
    append_text(out, (kLeft + kRight) / 2, kBottom + 44, "middle", "frequency (Hz)",
                "font-size=\"13\"");
    append_text(out, 0, 0, "middle", "Fourier amplitude",
                "font-size=\"13\" transform=\"translate(22,301) rotate(-90)\"");
}

void draw_corners(std::string& out, const Scale& x, const std::array<double, 4>& corners) {
    for (double f : corners) {
        double px = x.pixel(f);
        if (std::isnan(px) || px < kLeft || px > kRight) continue;
        append_line(out, px, kTop, px, kBottom, "stroke=\"#777777\" stroke-dasharray=\"5,4\"");
        std::string label;
        append_number(label, f);
        append_text(out, px, kTop - 4, "middle", label, "font-size=\"10\" fill=\"#555555\"");
    }
}

void draw_legend(std::string& out, const std::array<std::string, 3>& names) {
    std::size_t longest = 0;
    for (const auto& n : names) longest = std::max(longest, n.size());
    double width = 46 + 7.0 * static_cast<double>(std::min<std::size_t>(longest, 20));
    double left = kRight - 10 - width, top = kTop + 10;
    append_rect(out, left, top, width, 66, "fill=\"white\" stroke=\"#999999\"");
    for (int c = 0; c < 3; ++c) {
        double y = top + 16 + 20 * c;
        append_rect(out, left + 8, y - 2, 24, 4,
                    "fill=\"" + std::string(kComponentColour[c]) + "\"");
        append_text(out, left + 38, y + 4, "start", names[c]);
    }
}

// The three spectra as lines in the given colours.
void draw_spectra(std::string& out, const Scale& x, const Scale& y,
                  std::span<const double> frequency,
                  const std::array<std::span<const double>, 3>& amplitudes,
                  const std::array<std::string_view, 3>& colours) {
    // The frequencies' columns once for all three; amplitudes are thinned as they are (the
    // log is monotonic) and only the kept ones go through the log.
    std::vector<double> columns(frequency.size());
    for (std::size_t i = 0; i < columns.size(); ++i) columns[i] = x.pixel(frequency[i]);
    std::vector<Point> kept;
    for (int c = 0; c < 3; ++c) {
        std::span<const double> amplitude = amplitudes[c];
        std::size_t n = std::min(columns.size(), amplitude.size());
        kept.clear();
        {
            ColumnThinner thinner(kept);
            for (std::size_t i = 0; i < n; ++i) {
                // A zero or unreadable amplitude has no place on a log axis: a gap, not a
                // spike to the axis.
                double a = amplitude[i];
                thinner.add({columns[i], a > 0.0 ? a : NAN});
            }
        }
        for (Point& k : kept) k.y = y.pixel(k.y);
        out += "<path stroke=\"";
        out += colours[c];
        out += "\" d=\"";
        append_path_data(out, kept);
        out += "\"/>\n";
    }
}

}  // namespace

std::string spectra_svg(const SpectraPicture& p) {
    return spectra_svg(p, {});
}

std::string spectra_svg(const SpectraPicture& p, const SmoothedSpectra& s) {
    std::string out;
    out.reserve(200'000);
    begin_svg(out, kWidth, kHeight);

    const std::span<const double> frequency[] = {p.frequency};
    Decades fx = decade_range(frequency, 12);
    Decades fy = decade_range(p.amplitude, kAmplitudeDecades);
    Scale x{double(fx.low), double(fx.high), kLeft, kRight, true};
    Scale y{double(fy.low), double(fy.high), kBottom, kTop, true};

    append_text(out, kWidth / 2.0, 24, "middle", title_line(p),
                "font-size=\"15\" font-weight=\"bold\"");
    if (!p.processing.empty()) append_text(out, kWidth / 2.0, 42, "middle", p.processing);
    draw_axes(out, x, y, fx, fy);
    if (p.bandpass) draw_corners(out, x, *p.bandpass);

    out +=
        "<clipPath id=\"plot-area\"><rect x=\"80\" y=\"62\" width=\"800\" height=\"478\"/>"
        "</clipPath>\n<g clip-path=\"url(#plot-area)\" fill=\"none\" stroke-width=\"1.3\" "
        "stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
    // The frequencies' columns once for all three; amplitudes are thinned as they are (the
    // log is monotonic) and only the kept ones go through the log.
    bool smoothed = !s.frequency.empty();
    draw_spectra(out, x, y, p.frequency, p.amplitude,
                 smoothed ? kComponentLight : kComponentColour);
    if (smoothed) draw_spectra(out, x, y, s.frequency, s.amplitude, kComponentColour);
    out += "</g>\n";
    draw_legend(out, p.names);
    end_svg(out);
    return out;
}

}  // namespace wavespec::plot
