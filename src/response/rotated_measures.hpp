// The orientation-independent measures of two horizontal responses from their peaks at the
// angles 0, 1, ..., 179 degrees: RotD00, RotD50 and RotD100 (Boore 2010), and GMRotD50 and
// GMRotI50 (Boore, Watson-Lazoswki and Abrahamson 2006).
#pragma once

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "response/peak_search.hpp"
#include "response/response_spectra.hpp"

namespace wavespec::response {

inline constexpr int kGmAngles = 90;
// GM(theta) = sqrt(P(theta) P(theta + 90)) for theta = 0, 1, ..., 89 degrees, P the peaks of
// the rotated response: the geometric mean of the pair rotated by theta.
using GeometricMeans = std::array<double, kGmAngles>;
GeometricMeans geometric_means(const std::array<double, kAngles>& peaks);

// The 0th, 50th and 100th percentile of 180 values: the least, the mean of the two middle
// ones, the largest.
std::array<double, 3> rotd_percentiles(std::array<double, kAngles> values);
// The median of the 90 geometric means: the mean of the 45th and 46th in order.
double gmrotd50(GeometricMeans means);

// The angle theta* (degrees) that minimises (1/N) sum over the N periods of
// (GM(theta, T) / GMRotD50(T) - 1)^2, the smallest angle on a tie; a period whose GMRotD50 is
// zero (no motion) adds nothing. 0 for no periods.
int gmroti_angle(std::span<const GeometricMeans> by_period);

// What one oscillator's run leaves: its peaks with GMRotI50 still open, and the geometric
// means of Sd, Sv and Sa by angle, from which GMRotI50 is settled once every period is done.
struct OscillatorOutcome {
    OscillatorPeaks peaks;
    std::array<GeometricMeans, 3> means;
};
// From the components' peaks and the rotated peaks of Sd, Sv and Sa.
OscillatorOutcome summarise(const std::array<Peaks, 3>& components,
                            const std::array<std::array<double, kAngles>, 3>& rotated);
// The outcome of an oscillator whose state or step did not stay finite: every value NaN, for the
// caller to refuse.
OscillatorOutcome undefined_outcome();

// GMRotI50 of every damping: the angle from the Sd means of all its periods, then GM at that
// angle for Sd, Sv and Sa. means[d][p] as spectra.values[d][p].
void settle_gmroti(ResponseSpectra& spectra,
                   const std::vector<std::vector<std::array<GeometricMeans, 3>>>& means);

// Horizontals exactly in proportion (a dead channel, a channel written twice): the line
// (x, y) their path runs on, and the component that leads it (the other is a multiple of it).
struct HorizontalLine {
    double x, y;
    int lead;
};
std::optional<HorizontalLine> horizontal_line(std::span<const double> a, std::span<const double> b);
// The rotated peaks of a path on that line whose leading component peaks at lead_peak.
std::array<double, kAngles> peaks_on_line(const HorizontalLine& line, double lead_peak);

}  // namespace wavespec::response
