// The units the agencies write their samples in, and the factor to the tool's own: cm/s^2
// (gal) for acceleration, cm/s for velocity, cm for displacement; g = 980.665 cm/s^2.
#pragma once

#include <optional>
#include <string_view>

#include "formats/formats.hpp"

namespace wavespec::formats {

struct PhysicalUnits {
    Quantity quantity = Quantity::acceleration;
    double factor = 1.0;  // the file's value times factor is in cm/s^2, cm/s or cm
};

// mm, cm or m, over s or sec once (velocity) or twice (s^2, s**2, s2, s/s, sec^2 ...), or
// none (displacement); g, gal; any case, blanks ignored. Nothing for any other text.
std::optional<PhysicalUnits> physical_units_named(std::string_view text);

}  // namespace wavespec::formats
