#include "plot/svg_text.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "records/number_chars.hpp"

namespace wavespec::plot {

void append_pixel(std::string& out, double v) {
    // Coordinates far outside the picture are clipped anyway; bounding them keeps the text short.
    if (!std::isfinite(v)) v = 0.0;
    v = std::fmax(-1e6, std::fmin(1e6, v));
    // Tenths of a pixel as a whole number, written by hand: a picture holds thousands of
    // coordinates, and the general conversion with a precision is several times slower.
    long long tenths = std::llround(v * 10.0);
    unsigned long long magnitude = tenths < 0 ? 0ull - static_cast<unsigned long long>(tenths)
                                              : static_cast<unsigned long long>(tenths);
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* p = end;
    if (magnitude % 10 != 0) {
        *--p = static_cast<char>('0' + magnitude % 10);
        *--p = '.';
    }
    magnitude /= 10;
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (tenths < 0) *--p = '-';
    out.append(p, end);
}

void append_number(std::string& out, double v) {
    char buffer[32];
    auto result = general_chars(buffer, buffer + sizeof buffer, v, 6);
    out.append(buffer, result.ptr);
}

void append_escaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                out += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
        }
    }
}

void append_path_data(std::string& out, std::span<const Point> points) {
    std::size_t stretch = 0;  // points in the current stretch
    for (const Point& p : points) {
        if (std::isnan(p.y)) {
            if (stretch == 1) out += "h0";
            stretch = 0;
            continue;
        }
        out += stretch == 0 ? 'M' : (stretch == 1 ? 'L' : ' ');
        append_pixel(out, p.x);
        out += ',';
        append_pixel(out, p.y);
        ++stretch;
    }
    if (stretch == 1) out += "h0";
}

void append_text(std::string& out, double x, double y, std::string_view anchor,
                 std::string_view text, std::string_view attributes) {
    out += "<text x=\"";
    append_pixel(out, x);
    out += "\" y=\"";
    append_pixel(out, y);
    out += "\" text-anchor=\"";
    out += anchor;
    out += '"';
    if (!attributes.empty()) out.append(" ").append(attributes);
    out += '>';
    append_escaped(out, text);
    out += "</text>\n";
}

namespace {

// <TAG NAME1="V1" ... ATTRIBUTES/> for an element placed by four pixel values.
void append_placed(std::string& out, std::string_view tag,
                   const std::array<std::pair<std::string_view, double>, 4>& place,
                   std::string_view attributes) {
    out.append("<").append(tag);
    for (const auto& [name, value] : place) {
        out.append(" ").append(name).append("=\"");
        append_pixel(out, value);
        out += '"';
    }
    out.append(" ").append(attributes).append("/>\n");
}

}  // namespace

void append_line(std::string& out, double x1, double y1, double x2, double y2,
                 std::string_view attributes) {
    append_placed(out, "line", {{{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}}}, attributes);
}

void append_rect(std::string& out, double x, double y, double width, double height,
                 std::string_view attributes) {
    append_placed(out, "rect", {{{"x", x}, {"y", y}, {"width", width}, {"height", height}}},
                  attributes);
}

void begin_svg(std::string& out, int width, int height) {
    std::string w = std::to_string(width), h = std::to_string(height);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + w +
           "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
           "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out += "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"white\"/>\n";
}

void end_svg(std::string& out) {
    out += "</svg>\n";
}

}  // namespace wavespec::plot
