// The one rule that tells a component from its channel or component code, for every reader
// that has such codes (SAC's kcmpnm, MiniSEED's channel, the agencies' stream codes).
#pragma once

#include <optional>
#include <string_view>

namespace wavespec::formats {

// The component's place in a record from the code's last character, in either case: 0 for N
// or 1, 1 for E or 2, 2 for Z; -1 for any other (and for an empty code).
int component_position(std::string_view code);

// The orientation a SEED channel code's last letter stands for: N azimuth 0, E azimuth 90, Z
// a vertical pointing up (azimuth 0, dip -90); nothing for 1, 2 and any other letter, whose
// orientation only the station's metadata knows.
struct Orientation {
    double azimuth = 0.0, dip = 0.0;
};
std::optional<Orientation> seed_orientation(std::string_view code);

}  // namespace wavespec::formats
