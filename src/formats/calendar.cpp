#include "formats/calendar.hpp"

#include <cstdio>

namespace wavespec::formats {

std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilDate civil_from_days(std::int64_t z) {
    z += 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    auto doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    CivilDate date;
    date.year = static_cast<std::int64_t>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    date.day = doy - (153 * mp + 2) / 5 + 1;
    date.month = mp < 10 ? mp + 3 : mp - 9;
    if (date.month <= 2) ++date.year;
    return date;
}

bool is_leap_year(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned days_in_month(std::int64_t year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && is_leap_year(year) ? 1 : 0);
}

namespace {

bool time_of_day_valid(int hour, int minute, int second, std::int64_t microsecond) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 60 &&
           microsecond >= 0 && microsecond < 1000000;
}

std::int64_t at(std::int64_t days, int hour, int minute, int second, std::int64_t microsecond) {
    return (((days * 24 + hour) * 60 + minute) * 60 + second) * 1000000 + microsecond;
}

}  // namespace

std::optional<std::int64_t> utc_microseconds(const CivilTime& t) {
    if (t.year < 1 || t.year > 9999 || t.month < 1 || t.day < 1 ||
        static_cast<unsigned>(t.day) > days_in_month(t.year, static_cast<unsigned>(t.month)) ||
        !time_of_day_valid(t.hour, t.minute, t.second, t.microsecond)) {
        return std::nullopt;
    }
    std::int64_t days =
        days_from_civil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    return at(days, t.hour, t.minute, t.second, t.microsecond);
}

std::optional<std::int64_t> utc_microseconds_of_year_day(std::int64_t year, int day_of_year,
                                                         int hour, int minute, int second,
                                                         std::int64_t microsecond) {
    if (year < 1 || year > 9999 || day_of_year < 1 ||
        day_of_year > (is_leap_year(year) ? 366 : 365) ||
        !time_of_day_valid(hour, minute, second, microsecond)) {
        return std::nullopt;
    }
    std::int64_t days = days_from_civil(year, 1, 1) + day_of_year - 1;
    return at(days, hour, minute, second, microsecond);
}

std::string iso_time(std::int64_t microseconds) {
    constexpr std::int64_t kDay = 86400LL * 1000000LL;
    // Days rounded down and the rest, without an intermediate that could overflow.
    std::int64_t days = microseconds / kDay;
    std::int64_t rest = microseconds % kDay;
    if (rest < 0) {
        --days;
        rest += kDay;
    }
    CivilDate date = civil_from_days(days);
    char text[64];
    std::snprintf(
        text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%06lld",
        static_cast<long long>(date.year), date.month, date.day,
        static_cast<long long>(rest / 3600000000LL), static_cast<long long>(rest / 60000000LL % 60),
        static_cast<long long>(rest / 1000000LL % 60), static_cast<long long>(rest % 1000000LL));
    return text;
}

}  // namespace wavespec::formats
