// The diagnostic dumps of the inverse path: fort.89 (the spectrum going in), fort.67, fort.68
// and fort.69 (each inverse transform's input, permuted array and output) and fort.88 (the
// rescaled first component with the record length).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "records/list_output.hpp"
#include "records/record_layer.hpp"
#include "spectral/reconstruction.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec {

inline constexpr int kInputDumpUnit = 67;
inline constexpr int kPermutedDumpUnit = 68;
inline constexpr int kOutputDumpUnit = 69;
inline constexpr int kRescaledDumpUnit = 88;
inline constexpr int kSpectrumDumpUnit = 89;

// The list-directed texts of a block of complex values, kept with the values they stand for.
// The dumps show the same values several times (fort.89 and the first block of fort.67, and
// each block of fort.68 is its fort.67 block reordered), so each is formatted once.
// Only the texts and a fingerprint of the values are kept, not the values themselves.
class ComplexTexts {
  public:
    void format(std::span<const Complex> values);
    // True if the texts stand for exactly these values, in this order.
    bool holds(std::span<const Complex> values) const;
    // True if position i of values holds the value the texts stand for at order[i].
    bool holds_reordered(std::span<const Complex> values,
                         std::span<const std::uint32_t> order) const;
    std::size_t size() const { return texts_.size(); }
    const ComplexItemText& operator[](std::size_t i) const { return texts_[i]; }
    // A hint that text i is wanted soon: its bytes are brought toward the cache.
    void prefetch(std::size_t i) const {
        const char* first = reinterpret_cast<const char*>(&texts_[i]);
        __builtin_prefetch(first);
        __builtin_prefetch(first + sizeof(ComplexItemText) - 1);
    }

  private:
    std::vector<ComplexItemText> texts_;
    std::uint64_t fingerprint_ = 0;
};

// Writes fort.67 to fort.69 from the transform's three observation points, and fort.89.
class TransformDumps final : public TransformObserver {
  public:
    explicit TransformDumps(RecordLayer& layer) : layer_(layer) {}
    // fort.89: one record "i, (re,im)" per bin of the spectrum about to be transformed.
    void dump_spectrum(std::span<const Complex> spectrum);
    void input(std::span<const Complex> a) override;
    void permuted(std::span<const Complex> a) override;
    void output(std::span<const Complex> a) override;

  private:
    void write_block(int unit, std::span<const Complex> a, const ComplexTexts& texts);

    RecordLayer& layer_;
    ComplexTexts input_texts_;
    std::vector<std::uint32_t> order_;  // the transform's permutation for the current length
};

// fort.88: one record "i, value dur" per rescaled position.
class RescaleDump final : public RescaleObserver {
  public:
    RescaleDump(RecordLayer& layer, double dur);
    void rescaled(int position, double value) override;

  private:
    RecordLayer& layer_;
    std::string dur_text_;  // the same in every record: formatted once
    int next_position_ = 1;
    RecordCounter next_number_{1};
};

}  // namespace wavespec
