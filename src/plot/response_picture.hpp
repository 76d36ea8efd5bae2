// The response spectra as a picture: pseudo-spectral acceleration against period on log-log
// axes, one curve per component and RotD50, the dampings as line styles; and the reader of
// response.csv that gives it back from a run's files. Pure functions: text in, text out.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::plot {

inline constexpr std::size_t kResponseCurves = 4;  // three components and RotD50

struct ResponsePicture {
    std::string record;                                 // the record's name for the title
    std::array<std::string, kResponseCurves> names;     // components, then "RotD50"
    std::vector<double> dampings;                       // fractions of critical
    std::vector<double> periods;                        // s, as the rows give them
    // psa[d][c][p]: damping d, curve c, period p.
    std::vector<std::array<std::vector<double>, kResponseCurves>> psa;
};

std::string response_svg(const ResponsePicture& picture);

// response.csv: "damping,period(s),component,Sd,Sv,Sa,PSV,PSA", then rows per damping, per
// period, per component (the three names, quoted as RFC 4180 does, then RotD00, RotD50,
// RotD100). Throws ReadError (plot/run_files.hpp) naming the line of the first fault.
ResponsePicture read_response_spectra(std::string_view text);

}  // namespace wavespec::plot
