// Filter corners where the signal stands clear of the noise. The record (detrended) is cut at
// the first arrival: sample i belongs to the signal window when i dt >= the arrival time, to
// the noise window otherwise. Each window loses its mean, takes a Hann taper of 0.05 at each
// end, and its transform of exactly its own samples times dt is smoothed by Konno-Ohmachi
// (b = 20) at 100 log-spaced points a decade from 1/(signal duration) to the Nyquist
// frequency. The noise is scaled by sqrt(signal duration / noise duration); SNR = S / N.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wavespec::processing {

inline constexpr double kSnrTaper = 0.05;
inline constexpr double kSnrKonnoOhmachiB = 20.0;
inline constexpr int kSnrPointsPerDecade = 100;

struct SnrCurves {
    double signal_duration = 0.0;   // its samples times dt, s
    std::vector<double> frequency;  // the grid
    std::vector<double> signal, noise, snr;
};

// The curves of one component; nullopt where either window is empty.
std::optional<SnrCurves> snr_curves(std::span<const double> record, double dt, double signal_start);

struct SnrBand {
    double threshold = 3.0;
    double low = 0.5, high = 5.0;  // Hz
};

struct SnrCorners {
    double highpass = 0.0, lowpass = 0.0;
};

// Every grid point from band.low to band.high must have SNR >= threshold; the interval then
// extends down and up over consecutive points that do too. The high-pass corner is its lowest
// point, never below 1/(signal duration); the low-pass corner its highest, never above
// min(0.75 Nyquist, 40 Hz). nullopt where there is no such interval (largest_in_band then
// holds the largest SNR in the band, NaN for a band between grid points).
std::optional<SnrCorners> corners_from_snr(const SnrCurves& curves, const SnrBand& band, double dt,
                                           double& largest_in_band);

}  // namespace wavespec::processing
