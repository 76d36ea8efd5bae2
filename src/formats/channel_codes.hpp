// The one rule that tells a component from its channel or component code, for every reader
// that has such codes (SAC's kcmpnm, MiniSEED's channel, the agencies' stream codes).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace wavespec::formats {

// The component's place in a record from the code's last character, in either case: 0 for N
// or 1, 1 for E or 2, 2 for Z; -1 for any other (and for an empty code).
int component_position(std::string_view code);

// The name of a horizontal rotated to north (`letter` N) or east (E): a SEED channel code
// (three letters or digits, the first two letters: "HH1") keeps its band and instrument and
// takes the letter; any other name ("360", "N28E", "N-S") becomes the letter alone, since
// changing its last character would name another direction.
std::string rotated_component_name(std::string_view name, char letter);

struct Orientation {
    double azimuth = 0.0, dip = 0.0;
};

// The orientation a SEED channel code's last letter stands for: N azimuth 0, E azimuth 90, Z
// a vertical pointing up (azimuth 0, dip -90); nothing for 1, 2 and any other letter, whose
// orientation only the station's metadata knows.
std::optional<Orientation> seed_orientation(std::string_view code);

}  // namespace wavespec::formats
