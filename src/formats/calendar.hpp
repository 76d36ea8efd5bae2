// The one calendar of the readers: civil dates (proleptic Gregorian) and times in UTC as
// microseconds since 1970-01-01T00:00:00.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wavespec::formats {

// Days from 1970-01-01 to a civil date; month 1 to 12, day 1 to 31.
std::int64_t days_from_civil(std::int64_t year, unsigned month, unsigned day);

struct CivilDate {
    std::int64_t year = 1970;
    unsigned month = 1, day = 1;
};
CivilDate civil_from_days(std::int64_t days);

bool is_leap_year(std::int64_t year);
// 28 to 31; 0 for a month outside 1 to 12.
unsigned days_in_month(std::int64_t year, unsigned month);

// A date and time of day in UTC as microseconds since 1970; nothing for a field out of its
// range (years 1 to 9999, seconds up to 60 for a leap second, microseconds below 1e6).
struct CivilTime {
    std::int64_t year = 0;
    int month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::int64_t microsecond = 0;
};
std::optional<std::int64_t> utc_microseconds(const CivilTime& time);

// The same from the day of the year (1 to 366) instead of month and day.
std::optional<std::int64_t> utc_microseconds_of_year_day(std::int64_t year, int day_of_year,
                                                         int hour, int minute, int second,
                                                         std::int64_t microsecond);

// Microseconds since 1970 as "2024-05-01T12:00:00.000000".
std::string iso_time(std::int64_t microseconds);

}  // namespace wavespec::formats
