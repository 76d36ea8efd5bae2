#include "dialogue/dump_files.hpp"

#include "dialogue/list_output.hpp"

namespace wavespec {
namespace {

void dump_block(RecordLayer& layer, int unit, std::span<const Complex> a) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        ListWriter(layer, unit).integer(static_cast<std::int32_t>(i + 1)).complex(a[i].re, a[i].im);
    }
}

}  // namespace

void dump_spectrum(RecordLayer& layer, std::span<const Complex> spectrum) {
    for (std::size_t i = 0; i < spectrum.size(); ++i) {
        ListWriter(layer, kSpectrumDumpUnit)
            .integer(static_cast<std::int32_t>(i + 1))
            .text(",")
            .complex(spectrum[i].re, spectrum[i].im);
    }
}

void TransformDumps::input(std::span<const Complex> a) { dump_block(layer_, kInputDumpUnit, a); }
void TransformDumps::permuted(std::span<const Complex> a) {
    dump_block(layer_, kPermutedDumpUnit, a);
}
void TransformDumps::output(std::span<const Complex> a) { dump_block(layer_, kOutputDumpUnit, a); }

void RescaleDump::rescaled(int position, double value) {
    ListWriter(layer_, kRescaledDumpUnit).integer(position).text(",").real(value).real(dur_);
}

}  // namespace wavespec
