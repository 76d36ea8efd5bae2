#include "dialogue/spectrum_files.hpp"

#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_output.hpp"
#include "spectral/spectrum_prep.hpp"

namespace wavespec {

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
    for (std::int32_t i = 2; i <= state.nom; ++i) {
        auto k = static_cast<std::size_t>(i - 1);
        double f = bin_frequency(i, state.dom);
        const double amplitudes[] = {f, modulus(state.fx1[k]), modulus(state.fx2[k]),
                                     modulus(state.fx3[k])};
        write_formatted(layer, kAmplitudeUnit, amplitude_format, amplitudes);
        const double parts[] = {f, state.fx1[k].re, state.fx1[k].im};
        write_formatted(layer, kComplexUnit, complex_format, parts);
    }
    layer.close(kAmplitudeUnit);
    layer.close(kComplexUnit);
}

}  // namespace wavespec
