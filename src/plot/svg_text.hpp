// Building blocks of SVG text: numbers in pixel coordinates, escaped text, paths.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace wavespec::plot {

// A point in pixel coordinates; a point whose y is NaN stands for a gap in a line.
struct Point {
    double x = 0.0;
    double y = 0.0;
};

// Appends v with one decimal (pixel coordinates need no more).
void append_pixel(std::string& out, double v);
// Appends v with six significant digits at most, for titles and labels.
void append_number(std::string& out, double v);
// Appends text with &, <, > and " escaped.
void append_escaped(std::string& out, std::string_view text);

// Appends the d attribute's value of a path through the points: a gap point ends a
// stretch, and a lone point between gaps is drawn as a dot.
void append_path_data(std::string& out, std::span<const Point> points);

// Appends <text> at (x, y) with the given anchor ("start", "middle", "end") and extra
// attributes (may be empty).
void append_text(std::string& out, double x, double y, std::string_view anchor,
                 std::string_view text, std::string_view attributes = {});
void append_line(std::string& out, double x1, double y1, double x2, double y2,
                 std::string_view attributes);

// The opening <svg> element with a white background, and the closing one.
// <rect x y width height ATTRIBUTES/>.
void append_rect(std::string& out, double x, double y, double width, double height,
                 std::string_view attributes);
void begin_svg(std::string& out, int width, int height);
void end_svg(std::string& out);

}  // namespace wavespec::plot
