#include "processing/zero_pads.hpp"

#include <cmath>

namespace wavespec::processing {
namespace {

std::optional<std::int64_t> at_most(double count, std::int64_t most) {
    if (!(count >= 0.0 && count <= static_cast<double>(most))) return std::nullopt;
    return static_cast<std::int64_t>(count);
}

}  // namespace

Pads split_pads(std::int64_t total) {
    return {total / 2, total - total / 2};
}

std::optional<std::int64_t> transient_pad_samples(int order, double corner_hz, double dt,
                                                  std::int64_t most) {
    return at_most(std::ceil(1.5 * order / (corner_hz * dt) - 1e-9), most);
}

std::optional<std::int64_t> pad_samples_for(double seconds, double dt, std::int64_t most) {
    return at_most(std::round(seconds / dt), most);
}

}  // namespace wavespec::processing
