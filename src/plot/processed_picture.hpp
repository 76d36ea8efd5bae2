// The picture of a processed record (processed.svg) as SVG text; a pure function.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace wavespec::plot {

struct ProcessedPicture {
    std::string record;
    std::array<std::string, 3> names;
    double dt = 0.0;
    std::int64_t pad_before = 0;      // samples before the record's first as read
    std::int64_t record_samples = 0;  // the record's own samples
    // Acceleration, velocity and displacement of each component, pads included.
    std::array<std::array<std::span<const double>, 3>, 3> series;
};

std::string processed_svg(const ProcessedPicture& picture);

}  // namespace wavespec::plot
