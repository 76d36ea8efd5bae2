// The range of every numeric value an option of "wavespec process" takes, in one table, and
// the ceilings on the work a record may ask for. A value outside its range is a usage error
// (exit status 2, one line naming the option); a record whose own length or sampling makes
// the work or a phase too large fails alone (exit status 1). The guide's table of bounds
// (docs/command-line.md) lists the same rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wavespec::cli {

struct ValueRange {
    std::string_view option;  // the long name, without "--"
    std::string_view value;   // which of its values, as the help names it
    double low, high;
    bool low_open = false;  // low itself is outside
    bool high_open = false;
    bool whole = false;  // whole numbers only
    std::string_view unit;
};

// Each bound keeps a step of the computation where its numbers stay exact and finite: the
// corners' angular frequencies, the window's sample counts, the smoothing phases within
// portable_sin_cos's exact range at ordinary sampling, the response's oscillators.
inline constexpr ValueRange kValueRanges[] = {
    {"invert", "component", 1, 3, false, false, true, ""},
    {"bandpass", "FL1,FL2,FH1,FH2", 0, 1e9, false, false, false, "Hz"},
    {"window", "START", -1e9, 1e9, false, false, false, "s"},
    {"window", "DURATION", 0, 1e9, true, false, false, "s"},
    {"skip", "N", 0, 2147483647, false, false, true, ""},
    {"jobs", "N", 1, 1024, false, false, true, ""},
    {"periods", "period", 1e-6, 1e5, false, false, false, "s"},
    {"periods", "COUNT", 2, 10000, false, false, true, ""},
    {"damping", "damping", 0, 1, true, true, false, ""},
    {"smooth", "B", 0.01, 1e4, false, false, false, ""},
    {"smooth", "BW", 1e-6, 1e6, false, false, false, "Hz"},
    {"smooth-points", "N", 1, 10000, false, false, true, ""},
    {"hv-windows", "SECONDS", 1e-6, 1e9, false, false, false, "s"},
    {"frequencies", "FROM", 1e-6, 1e6, false, false, false, "Hz"},
    {"frequencies", "TO", 1e-6, 1e6, false, false, false, "Hz"},
    {"frequencies", "COUNT", 2, 100000, false, false, true, ""},
    {"hv-taper", "FRACTION", 0, 1, false, false, false, ""},
    {"hv-range", "FMIN", 0, 1e6, false, false, false, "Hz"},
    {"hv-range", "FMAX", 1e-6, 1e6, false, false, false, "Hz"},
    {"hv-reject", "N", 0, 100, true, false, false, ""},
    {"hv-azimuths", "STEP", 0.5, 180, false, false, false, "degrees"},
    {"water-level", "DB", 0, 300, false, false, false, "dB"},
    {"pre-filter", "F1,F2,F3,F4", 0, 1e9, false, false, false, "Hz"},
    {"taper", "FRACTION", 0, 0.5, false, false, false, ""},
    {"pad", "SECONDS", 0, 1e9, false, false, false, "s"},
    {"highpass", "FC", 0, 1e9, true, false, false, "Hz"},
    {"highpass", "ORDER", 1, 8, false, false, true, ""},
    {"lowpass", "FC", 0, 1e9, true, false, false, "Hz"},
    {"lowpass", "ORDER", 1, 8, false, false, true, ""},
    {"corners", "ORDER", 1, 8, false, false, true, ""},
    {"signal-start", "SECONDS", 0, 1e9, true, false, false, "s"},
    {"snr-threshold", "R", 0, 1e6, true, false, false, ""},
    {"snr-band", "F1", 0, 1e9, true, false, false, "Hz"},
    {"snr-band", "F2", 0, 1e9, true, false, false, "Hz"},
};

// At most this many periods and dampings in their lists; no value twice.
inline constexpr std::size_t kMostPeriods = 10000;
inline constexpr std::size_t kMostDampings = 100;

// The work of one record. Oscillator steps: periods x dampings x samples of the response
// spectra. Smoothing work: bins + centres, summed over the smoothed spectra and every noise
// window; smoothing pairs: centres x the points each centre sums (smoothing::
// summed_points_bound), summed the same way. H/V values: noise windows x centres, held at
// once for the statistics.
inline constexpr double kMostOscillatorSteps = 4294967296.0;  // 2^32
inline constexpr double kMostSmoothingWork = 268435456.0;     // 2^28
inline constexpr double kMostSmoothingPairs = 8589934592.0;   // 2^33
inline constexpr double kMostHvValues = 16777216.0;           // 2^24

// The row of this option's value; std::logic_error for one the table lacks.
const ValueRange& value_range(std::string_view option, std::string_view value);

// "from 0.01 to 10000", "above 0 and below 1", "from 1e-06 to 100000 s".
std::string range_text(const ValueRange& range);

bool in_range(const ValueRange& range, double value);

// The value read from part of an option's text, refused (UsageError naming the option and
// the whole text) when it is not a number or lies outside its range.
double read_in_range(const ValueRange& range, std::string_view whole_text, std::string_view part);

// The record-dependent checks: why not, when a record's length or sampling would take the
// work beyond its ceiling.
std::optional<std::string> work_problem(std::string_view what, double work, double ceiling);

}  // namespace wavespec::cli
