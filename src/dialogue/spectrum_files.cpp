#include "dialogue/spectrum_files.hpp"

#include <algorithm>

#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_output.hpp"
#include "spectral/spectrum_prep.hpp"

namespace wavespec {

AmplitudeSpectra amplitude_spectra(const RunState& state) {
    AmplitudeSpectra spectra;
    const ZeroedArray<Complex>* components[] = {&state.fx1, &state.fx2, &state.fx3};
    auto bins = static_cast<std::size_t>(std::max(state.nom - 1, 0));
    spectra.frequency.reserve(bins);
    for (auto& a : spectra.amplitude) a.reserve(bins);
    for (std::int32_t i = 2; i <= state.nom; ++i) {
        auto k = static_cast<std::size_t>(i - 1);
        spectra.frequency.push_back(bin_frequency(i, state.dom));
        for (std::size_t c = 0; c < 3; ++c) {
            spectra.amplitude[c].push_back(modulus((*components[c])[k]));
        }
    }
    return spectra;
}

void write_spectrum_files(RecordLayer& layer, const RunState& state,
                          std::string_view amplitude_name, std::string_view complex_name) {
    static const FormatProgram amplitude_format("(F8.4,6(',',E12.4))");
    static const FormatProgram complex_format("(F8.4,6(',',E15.7))");

    layer.open(kAmplitudeUnit, amplitude_name, RecordLayer::OpenMode::unknown_status);
    layer.open(kComplexUnit, complex_name, RecordLayer::OpenMode::unknown_status);
    ListWriter(layer, kAmplitudeUnit)
        .text("frequency(Hz),")
        .text(name_text(state.head[1]))
        .text(",")
        .text(name_text(state.head[2]))
        .text(",")
        .text(name_text(state.head[3]));
    ListWriter(layer, kComplexUnit).text("frequency(Hz),real,imaginary");

    const double zero_bin[] = {0.0, state.fx1[0].re, state.fx1[0].im};
    write_formatted(layer, kComplexUnit, complex_format, zero_bin);
    AmplitudeSpectra spectra = amplitude_spectra(state);
    for (std::int32_t i = 2; i <= state.nom; ++i) {
        auto k = static_cast<std::size_t>(i - 1);
        double f = spectra.frequency[k - 1];
        const double amplitudes[] = {f, spectra.amplitude[0][k - 1], spectra.amplitude[1][k - 1],
                                     spectra.amplitude[2][k - 1]};
        write_formatted(layer, kAmplitudeUnit, amplitude_format, amplitudes);
        const double parts[] = {f, state.fx1[k].re, state.fx1[k].im};
        write_formatted(layer, kComplexUnit, complex_format, parts);
    }
    layer.close(kAmplitudeUnit);
    layer.close(kComplexUnit);
}

}  // namespace wavespec
