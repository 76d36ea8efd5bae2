// The diagnostic dumps of the inverse path: fort.89 (the spectrum going in), fort.67, fort.68
// and fort.69 (each inverse transform's input, permuted array and output) and fort.88 (the
// rescaled first component with the record length).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "records/list_output.hpp"
#include "records/record_layer.hpp"
#include "spectral/complex_value.hpp"

namespace wavespec {

inline constexpr int kInputDumpUnit = 67;
inline constexpr int kPermutedDumpUnit = 68;
inline constexpr int kOutputDumpUnit = 69;
inline constexpr int kRescaledDumpUnit = 88;
inline constexpr int kSpectrumDumpUnit = 89;

// Runs the three inverse transforms of n points on the spectra in place and writes fort.89,
// fort.67, fort.68 and fort.69 around them.
//
// Each transform's input is formatted once, right before it runs, and those texts serve its
// fort.67 block, its fort.68 block (the transform's first step only exchanges elements, so
// the permuted array holds the same values at bit-reversed positions) and, for the first
// component, fort.89. No text is ever reused for values it was not made from.
void inverse_transforms_with_dumps(RecordLayer& layer, int n, std::span<Complex> fx1,
                                   std::span<Complex> fx2, std::span<Complex> fx3);

// fort.88: one record "i, value dur" per position of the rescaled first component.
void write_rescaled_dump(RecordLayer& layer, std::span<const double> xr1, double dur);

}  // namespace wavespec
