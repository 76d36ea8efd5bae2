// Response spectra of a three-component record: for each damping and period, the peaks of the
// damped oscillator's relative displacement, relative velocity and absolute acceleration for
// each component, and RotD00, RotD50, RotD100, GMRotD50 and GMRotI50 of the first two (the
// horizontals). Pure numerics: series in, numbers out.
#pragma once

#include <array>
#include <span>
#include <vector>

namespace wavespec::response {

struct Peaks {
    double displacement = 0.0;  // Sd = max |u|
    double velocity = 0.0;      // Sv = max |u'|
    double acceleration = 0.0;  // Sa = max |2 zeta w u' + w^2 u|
};

struct OscillatorPeaks {
    std::array<Peaks, 3> component;
    std::array<Peaks, 3> rotd;   // RotD00, RotD50, RotD100
    std::array<Peaks, 2> gmrot;  // GMRotD50, GMRotI50
};

// values[d][p]: damping d, period p, in the order given; gmroti_angles[d]: the angle in
// degrees that GMRotI50 takes for damping d.
struct ResponseSpectra {
    std::vector<std::vector<OscillatorPeaks>> values;
    std::vector<int> gmroti_angles;
};

// What the input between the samples is taken to be.
enum class Convention {
    // The band-limited signal through the samples, zeros before and after it; peaks over
    // continuous time, free vibration after the record.
    band_limited,
    // Straight lines between the samples, resampled linearly to dt/k (substeps_per_sample);
    // peaks at those instants, the record ending at its last sample.
    piecewise_linear,
};

// k = ceil(10 dt / T), the quotient taken as the nearest integer when within 1e-9 of it, and
// at least 1.
int substeps_per_sample(double dt, double period);

// series: the three components' accelerations at interval dt (equal lengths, at least one
// sample); periods positive and finite, dampings in (0, 1). The oscillators are shared out
// among threads threads (the results do not depend on how many).
ResponseSpectra response_spectra(std::array<std::span<const double>, 3> series, double dt,
                                 std::span<const double> periods, std::span<const double> dampings,
                                 unsigned threads = 1,
                                 Convention convention = Convention::band_limited);

// The same for series the caller gives up: they are let go as soon as the oscillators no
// longer need them (for the band-limited convention, once the record's spectrum is taken),
// since a long record's series are a good share of a run's memory.
ResponseSpectra response_spectra_consuming(std::array<std::vector<double>, 3>&& series, double dt,
                                           std::span<const double> periods,
                                           std::span<const double> dampings, unsigned threads = 1,
                                           Convention convention = Convention::band_limited);

// count periods from first to last, evenly spaced in their logarithm (count >= 2), the ends
// exact. Point i is exp(a + (b - a) * i / (count - 1)), divided at each point; the smoothing's
// log_spaced_between divides the step once and so differs in the last bit at about a third of
// the points. Both stay, so that the periods of every file stay as they are.
std::vector<double> log_spaced(double first, double last, int count);

}  // namespace wavespec::response
