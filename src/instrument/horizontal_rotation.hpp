// Two horizontal components of known azimuths turned to north and east.
#pragma once

#include <vector>

namespace wavespec::instrument {

// Whether the azimuths (degrees clockwise from north) are north and east already, within
// 0.01 degrees, whole turns apart.
bool points_north_east(double first_azimuth, double second_azimuth);

// Horizontals that read x_c = N cos(a_c) + E sin(a_c) solved for N and E, in place: `first`
// becomes north and `second` east. False, and nothing changed, when the two azimuths are
// too near parallel (|sin(a1 - a0)| < 0.01) for the solution to mean anything.
bool rotate_to_north_east(std::vector<double>& first, std::vector<double>& second,
                          double first_azimuth, double second_azimuth);

}  // namespace wavespec::instrument
