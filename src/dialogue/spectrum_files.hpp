// The spectrum files: "amp3.csv" (amplitude spectra of the three components, bins 2 to nom)
// and "amp-c.csv" (complex spectrum of the first component, bins 1 to nom).
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "dialogue/run_state.hpp"
#include "records/record_layer.hpp"

namespace wavespec {

inline constexpr int kAmplitudeUnit = 10;
inline constexpr int kComplexUnit = 11;

// The rows of amp3.csv at full precision: the frequency of every bin from 2 to nom and the
// modulus of each component's spectrum there. The file, the pictures and the smoothing all
// take them from here.
struct AmplitudeSpectra {
    std::vector<double> frequency;
    std::array<std::vector<double>, 3> amplitude;
};
AmplitudeSpectra amplitude_spectra(const RunState& state);

// Opens, writes and closes both files from the spectra as they stand.
void write_spectrum_files(RecordLayer& layer, const RunState& state,
                          std::string_view amplitude_name = "amp3.csv",
                          std::string_view complex_name = "amp-c.csv");

}  // namespace wavespec
