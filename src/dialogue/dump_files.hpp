// The diagnostic dumps of the inverse path: fort.89 (the spectrum going in), fort.67, fort.68
// and fort.69 (each inverse transform's input, permuted array and output) and fort.88 (the
// rescaled first component with the record length).
#pragma once

#include <span>

#include "dialogue/record_layer.hpp"
#include "spectral/reconstruction.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec {

inline constexpr int kInputDumpUnit = 67;
inline constexpr int kPermutedDumpUnit = 68;
inline constexpr int kOutputDumpUnit = 69;
inline constexpr int kRescaledDumpUnit = 88;
inline constexpr int kSpectrumDumpUnit = 89;

// fort.89: one record "i, (re,im)" per bin.
void dump_spectrum(RecordLayer& layer, std::span<const Complex> spectrum);

// fort.67 to fort.69 from the transform's three observation points.
class TransformDumps final : public TransformObserver {
public:
    explicit TransformDumps(RecordLayer& layer) : layer_(layer) {}
    void input(std::span<const Complex> a) override;
    void permuted(std::span<const Complex> a) override;
    void output(std::span<const Complex> a) override;

private:
    RecordLayer& layer_;
};

// fort.88: one record "i, value dur" per rescaled position.
class RescaleDump final : public RescaleObserver {
public:
    RescaleDump(RecordLayer& layer, double dur) : layer_(layer), dur_(dur) {}
    void rescaled(int position, double value) override;

private:
    RecordLayer& layer_;
    double dur_;
};

}  // namespace wavespec
