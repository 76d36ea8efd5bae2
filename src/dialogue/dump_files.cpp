#include "dialogue/dump_files.hpp"

#include <cstring>

#include "records/list_output.hpp"
#include "records/number_text.hpp"

namespace wavespec {

namespace {

// FNV-1a over the 64-bit words of the values, in the order given by position(i): four
// lanes over every fourth value, so that their multiplications overlap instead of waiting on
// each other, folded into one at the end.
template <typename Position>
std::uint64_t fingerprint(std::span<const Complex> values, Position position) {
    constexpr std::uint64_t kBasis = 14695981039346656037ull;
    constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t lanes[4] = {kBasis, kBasis + 1, kBasis + 2, kBasis + 3};
    auto mix = [&](std::uint64_t& hash, std::size_t i) {
        std::uint64_t words[2];
        std::memcpy(words, &values[position(i)], sizeof words);
        hash = (hash ^ words[0]) * kPrime;
        hash = (hash ^ words[1]) * kPrime;
    };
    std::size_t i = 0;
    for (; i + 4 <= values.size(); i += 4) {
        for (std::size_t lane = 0; lane < 4; ++lane) mix(lanes[lane], i + lane);
    }
    for (; i < values.size(); ++i) mix(lanes[i % 4], i);
    std::uint64_t hash = lanes[0];
    for (std::size_t lane = 1; lane < 4; ++lane) hash = (hash ^ lanes[lane]) * kPrime;
    return hash;
}

}  // namespace

void ComplexTexts::format(std::span<const Complex> values) {
    texts_.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) texts_[i].format(values[i].re, values[i].im);
    fingerprint_ = fingerprint(values, [](std::size_t i) { return i; });
}

bool ComplexTexts::holds(std::span<const Complex> values) const {
    return values.size() == size() &&
           fingerprint(values, [](std::size_t i) { return i; }) == fingerprint_;
}

bool ComplexTexts::holds_reordered(std::span<const Complex> values,
                                   std::span<const std::uint32_t> order) const {
    if (values.size() != size() || order.size() != size()) return false;
    return fingerprint(values, [order](std::size_t i) { return order[i]; }) == fingerprint_;
}

void TransformDumps::dump_spectrum(std::span<const Complex> spectrum) {
    input_texts_.format(spectrum);
    RecordCounter number(1);
    for (std::size_t i = 0; i < spectrum.size(); ++i, number.next()) {
        ListWriter(layer_, kSpectrumDumpUnit)
            .integer(number)
            .text(",")
            .complex_text(input_texts_[i]);
    }
}

void TransformDumps::write_block(int unit, std::span<const Complex> a, const ComplexTexts& texts) {
    RecordCounter number(1);
    for (std::size_t i = 0; i < a.size(); ++i, number.next()) {
        ListWriter(layer_, unit).integer(number).complex_text(texts[i]);
    }
}

void TransformDumps::input(std::span<const Complex> a) {
    if (!input_texts_.holds(a)) input_texts_.format(a);
    write_block(kInputDumpUnit, a, input_texts_);
}

void TransformDumps::permuted(std::span<const Complex> a) {
    // After the transform's permutation each input value stands at its bit-reversed
    // position; the fingerprint confirms it before the input's texts are reused.
    if (order_.size() != a.size()) order_ = bit_reversal_order(static_cast<int>(a.size()));
    if (!input_texts_.holds_reordered(a, order_)) {
        input_texts_.format(a);
        write_block(kPermutedDumpUnit, a, input_texts_);
        return;
    }
    // The texts are read in bit-reversed order, each far from the one before: asking for them
    // a few records ahead hides the wait for memory.
    constexpr std::size_t kAhead = 16;
    RecordCounter number(1);
    for (std::size_t i = 0; i < a.size(); ++i, number.next()) {
        if (i + kAhead < a.size()) input_texts_.prefetch(order_[i + kAhead]);
        ListWriter(layer_, kPermutedDumpUnit).integer(number).complex_text(input_texts_[order_[i]]);
    }
}

void TransformDumps::output(std::span<const Complex> a) {
    RecordCounter number(1);
    for (std::size_t i = 0; i < a.size(); ++i, number.next()) {
        ListWriter(layer_, kOutputDumpUnit).integer(number).complex(a[i].re, a[i].im);
    }
}

RescaleDump::RescaleDump(RecordLayer& layer, double dur) : layer_(layer) {
    char buffer[kNumberTextCapacity];
    dur_text_.assign(buffer, list_real_text(dur, buffer));
}

void RescaleDump::rescaled(int position, double value) {
    ListWriter record(layer_, kRescaledDumpUnit);
    // Positions come one by one from 1; the counter takes them while they stay in its range.
    if (position == next_position_ && position < static_cast<int>(RecordCounter::kLargest)) {
        record.integer(next_number_);
        next_number_.next();
        ++next_position_;
    } else {
        record.integer(position);
    }
    record.text(",").real(value).real_text(dur_text_);
}

}  // namespace wavespec
