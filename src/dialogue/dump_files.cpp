#include "dialogue/dump_files.hpp"

#include <vector>

#include "records/list_output.hpp"
#include "records/number_text.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec {
namespace {

// The list-directed texts of the values one transform starts from.
class InputTexts {
  public:
    void format(std::span<const Complex> values) {
        texts_.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            texts_[i].format(values[i].re, values[i].im);
        }
    }
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
};

void write_spectrum_block(RecordLayer& layer, const InputTexts& texts) {
    RecordCounter number(1);
    for (std::size_t i = 0; i < texts.size(); ++i, number.next()) {
        ListWriter(layer, kSpectrumDumpUnit).integer(number).text(",").complex_text(texts[i]);
    }
}

void write_input_block(RecordLayer& layer, const InputTexts& texts) {
    RecordCounter number(1);
    for (std::size_t i = 0; i < texts.size(); ++i, number.next()) {
        ListWriter(layer, kInputDumpUnit).integer(number).complex_text(texts[i]);
    }
}

// Record i shows the input value that the permutation brings to position i.
void write_permuted_block(RecordLayer& layer, const InputTexts& texts,
                          std::span<const std::uint32_t> order) {
    // The texts are read in bit-reversed order, each far from the one before: asking for them
    // a few records ahead hides the wait for memory.
    constexpr std::size_t kAhead = 16;
    RecordCounter number(1);
    for (std::size_t i = 0; i < texts.size(); ++i, number.next()) {
        if (i + kAhead < texts.size()) texts.prefetch(order[i + kAhead]);
        ListWriter(layer, kPermutedDumpUnit).integer(number).complex_text(texts[order[i]]);
    }
}

void write_output_block(RecordLayer& layer, std::span<const Complex> a) {
    RecordCounter number(1);
    for (std::size_t i = 0; i < a.size(); ++i, number.next()) {
        ListWriter(layer, kOutputDumpUnit).integer(number).complex(a[i].re, a[i].im);
    }
}

}  // namespace

void inverse_transforms_with_dumps(RecordLayer& layer, int n, std::span<Complex> fx1,
                                   std::span<Complex> fx2, std::span<Complex> fx3) {
    const auto count = static_cast<std::size_t>(n);
    const std::vector<std::uint32_t> order = bit_reversal_order(n);
    InputTexts texts;
    bool first = true;
    for (std::span<Complex> spectrum : {fx1, fx2, fx3}) {
        std::span<Complex> a = spectrum.first(count);
        texts.format(a);
        if (first) write_spectrum_block(layer, texts);
        first = false;
        write_input_block(layer, texts);
        write_permuted_block(layer, texts, order);
        wvfast(n, spectrum, static_cast<int>(spectrum.size()), 1);
        write_output_block(layer, a);
    }
}

void write_rescaled_dump(RecordLayer& layer, std::span<const double> xr1, double dur) {
    char buffer[kNumberTextCapacity];
    const std::string dur_text(buffer, list_real_text(dur, buffer));  // the same in every record
    RecordCounter number(1);
    for (std::size_t i = 0; i < xr1.size(); ++i) {
        ListWriter record(layer, kRescaledDumpUnit);
        // The counter serves positions while they stay within its range.
        if (i + 1 < RecordCounter::kLargest) {
            record.integer(number);
            number.next();
        } else {
            record.integer(static_cast<std::int32_t>(i + 1));
        }
        record.text(",").real(xr1[i]).real_text(dur_text);
    }
}

}  // namespace wavespec
