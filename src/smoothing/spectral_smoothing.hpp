// Smoothing of amplitude spectra by a normalised window sum over every bin, without
// truncating the window: S(fc) = sum_i W(f_i, fc) A(f_i) / sum_i W(f_i, fc).
//
// Both windows have the form W = [sin(x) / x]^4 with x = p(f) - p(fc), W = 1 at x = 0:
//   Konno-Ohmachi: p(f) = B log10(f);
//   Parzen:        p(f) = (pi 280/302) f / BW.
// The bins are gathered into cells of phase whose amplitudes move onto Chebyshev nodes
// (gathered_cells.hpp), so that each centre sums a few points for every 4 radians of phase
// instead of every bin; a bound on the interpolation and rounding is checked at every centre,
// and the cells it does not clear are summed bin by bin there. Each value stays within 4e-11
// of the full sum, relative to itself. At a point, sin(p_i - p_c) = sin(p_i) cos(p_c) -
// cos(p_i) sin(p_c), with sin and cos of every point's and every centre's phase computed once.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace wavespec::smoothing {

enum class WindowKind { konno_ohmachi, parzen };

struct SmoothingWindow {
    WindowKind kind = WindowKind::konno_ohmachi;
    double width = 40.0;  // Konno-Ohmachi: the bandwidth coefficient B; Parzen: BW in Hz
};

inline constexpr double kDefaultKonnoOhmachiB = 40.0;
inline constexpr double kDefaultParzenBandwidth = 0.5;

// Whether the window's parameter is usable (finite and above zero).
bool is_valid(const SmoothingWindow& window);

// The window's phase p(f) of a frequency above zero.
double window_phase(const SmoothingWindow& window, double frequency);

// At most how many points each centre sums for `bins` bins from `lowest` to `highest` Hz
// (amplitudes never below zero): 32 Chebyshev nodes or fewer bins for each 4 radians of the
// window's phase the bins span, and never more than the bins.
double summed_points_bound(const SmoothingWindow& window, double lowest, double highest,
                           double bins);

// Centres spaced 1/points_per_decade decade apart from `lowest` while they do not pass
// `highest` (which is kept when it falls on the grid within 1e-9 of a step).
std::vector<double> log_spaced_centres(double lowest, double highest, int points_per_decade);

// count frequencies from `from` to `to` (both included, 0 < from < to, count >= 2), equally
// spaced in log frequency. Point i is exp(log from + i * step): the step is divided once.
// response::log_spaced makes the same grid as log from + (log to - log from) * i / (count - 1),
// which rounds differently at about a third of the points, so the two stay apart: each keeps
// the frequencies and periods its files have always held.
std::vector<double> log_spaced_between(double from, double to, std::size_t count);

// Where smoothed values are given: a grid fixed beforehand, the bins themselves, or
// points_per_decade log-spaced centres from the lowest bin to the highest.
struct CentreChoice {
    std::vector<double> fixed;
    bool at_bins = false;
    int points_per_decade = 100;
    std::vector<double> centres_for(const std::vector<double>& bins) const;
};

// The smoothed value of every spectrum at every centre: result[s][c] for spectra[s] and
// centres[c]. frequencies are the bins' frequencies, all above zero and rising
// (std::invalid_argument otherwise); every spectrum has one amplitude per bin. threads: how
// many threads share the centres (1 = this thread alone).
std::vector<std::vector<double>> smooth_spectra(const SmoothingWindow& window,
                                                std::span<const double> frequencies,
                                                std::span<const std::span<const double>> spectra,
                                                std::span<const double> centres,
                                                unsigned threads = 1);

}  // namespace wavespec::smoothing
