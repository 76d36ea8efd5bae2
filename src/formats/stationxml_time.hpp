// Times of station metadata: ISO 8601 calendar dates and times, with or without fractional
// seconds and a zone ("2024-05-01", "2024-05-01T12:00:00", "2024-05-01T12:00:00.25Z",
// "2024-05-01T14:00:00+02:00"), as microseconds since 1970 in UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace wavespec::formats {

// Nothing for a text that is not such a time (or lies outside the years 1 to 9999).
// Fractions finer than a microsecond are cut off.
std::optional<std::int64_t> parse_iso_time(std::string_view text);

}  // namespace wavespec::formats
