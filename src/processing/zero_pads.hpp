// Zeros before and after a record, ahead of its filters.
#pragma once

#include <cstdint>
#include <optional>

namespace wavespec::processing {

struct Pads {
    std::int64_t before = 0, after = 0;
    std::int64_t total() const { return before + after; }
};

// floor(n / 2) of n zeros go before the record, the rest after it.
Pads split_pads(std::int64_t total);

// The Converse-Brady length ceil(1.5 order / (fc dt) - 1e-9) in samples, for the high-pass
// filter of this order and corner; nullopt where it passes `most`.
std::optional<std::int64_t> transient_pad_samples(int order, double corner_hz, double dt,
                                                  std::int64_t most);

// round(seconds / dt) samples; nullopt where it passes `most`.
std::optional<std::int64_t> pad_samples_for(double seconds, double dt, std::int64_t most);

}  // namespace wavespec::processing
