// The time window: a start and a duration in seconds turned into sample counts, and the
// output series refilled from the reconstructed series.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace wavespec {

inline constexpr std::int64_t kSeriesCapacity = 33000;

// seconds / dt truncated toward zero, if that fits a 32-bit integer; nothing otherwise
// (including a zero dt or a non-finite quotient).
std::optional<std::int32_t> samples_in(double seconds, double dt);

// out(i) = source(i + nstime) for i = 1 .. out.size() (counted from 1), and 0 where that
// position lies before the record (below 1) or beyond the source's capacity.
void cut_window(std::span<const double> source, std::int32_t nstime, std::span<double> out);

}  // namespace wavespec
