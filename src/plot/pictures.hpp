// The two pictures of a run as SVG text: the amplitude spectra on log-log axes and the
// waveforms in three stacked panels. Pure functions: they build text and write no file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace wavespec::plot {

struct SpectraPicture {
    std::string record;                             // the record's name for the title
    std::int32_t nt = 0;                            // for the title
    double dt = 0.0;                                // for the title
    std::string processing;                         // what was done; empty = nothing
    std::optional<std::array<double, 4>> bandpass;  // corners to mark, Hz
    std::array<std::string, 3> names;               // component names, trailing blanks trimmed
    std::span<const double> frequency;              // Hz, one per bin
    std::array<std::span<const double>, 3> amplitude;
};

// Smoothed spectra to draw over the raw ones, which then turn light.
struct SmoothedSpectra {
    std::span<const double> frequency;  // Hz, one per point of the smoothing grid
    std::array<std::span<const double>, 3> amplitude;
};

struct WaveformPicture {
    std::string record;
    std::array<std::string, 3> names;
    double dt = 0.0;
    std::array<std::span<const double>, 3>
        original;                                   // the record as read, from t = 0; may be empty
    double output_start = 0.0;                      // time of the output's first sample, s
    double output_step = 0.0;                       // time between output samples, s
    std::array<std::span<const double>, 3> output;  // the output waveform
};

std::string spectra_svg(const SpectraPicture& picture);
std::string spectra_svg(const SpectraPicture& picture, const SmoothedSpectra& smoothed);
std::string waveform_svg(const WaveformPicture& picture);

// A one-line phrase for a title, e.g. "band-pass 0.1/0.2/20/25 Hz, integrated, window 5-25 s";
// empty when nothing was done. operation: 0 none, 1 integrate, 2 integrate twice,
// 3 differentiate. window: start and duration in seconds.
std::string describe_processing(std::optional<std::array<double, 4>> bandpass, int operation,
                                std::optional<std::array<double, 2>> window);

}  // namespace wavespec::plot
