// Digital Butterworth filters as cascades of second-order sections: the analogue prototype's
// poles, the corner prewarped, mapped by the bilinear transform. The sections are those the
// field's scientific libraries design (scipy.signal.butter with output='sos'): conjugate pole
// pairs, the pair farthest from the unit circle first, the one real pole of an odd order in
// its own first-order section at the front, and the whole gain in the first section.
#pragma once

#include <span>
#include <vector>

namespace wavespec::processing {

// b0 + b1 z^-1 + b2 z^-2 over 1 + a1 z^-1 + a2 z^-2; a first-order section has b2 = a2 = 0.
struct Section {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

enum class Band { lowpass, highpass };

inline constexpr int kLowestOrder = 1;
inline constexpr int kHighestOrder = 8;

// The sections of the filter of this order (kLowestOrder..kHighestOrder) with its corner at
// corner_hz, for samples dt seconds apart; the corner lies strictly between 0 and 1/(2 dt).
std::vector<Section> butterworth_sections(Band band, int order, double corner_hz, double dt);

// Runs the cascade over the series in place, section after section, from rest: the
// transposed direct form, as the field's libraries run it.
void run_forward(std::span<const Section> cascade, std::span<double> series);

// The same, from the last sample to the first: the second pass of the zero-phase filter.
void run_backward(std::span<const Section> cascade, std::span<double> series);

}  // namespace wavespec::processing
