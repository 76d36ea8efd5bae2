#include "formats/stationxml_time.hpp"

#include "formats/calendar.hpp"

namespace wavespec::formats {
namespace {

class Cursor {
  public:
    explicit Cursor(std::string_view text) : text_(text) {}
    bool done() const { return pos_ == text_.size(); }
    bool take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
        return false;
    }
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    // Exactly `count` digits.
    std::optional<int> digits(int count) {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            char c = peek();
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
            ++pos_;
        }
        return value;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::int64_t> parse_iso_time(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t'))
        text.remove_suffix(1);
    Cursor c(text);
    auto year = c.digits(4);
    if (!year || !c.take('-')) return std::nullopt;
    auto month = c.digits(2);
    if (!month || !c.take('-')) return std::nullopt;
    auto day = c.digits(2);
    if (!day || *year < 1 || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
    if (static_cast<unsigned>(*day) > days_in_month(*year, static_cast<unsigned>(*month))) {
        return std::nullopt;
    }
    std::int64_t us =
        days_from_civil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)) *
        86400LL * 1000000LL;
    if (c.done()) return us;
    if (!c.take('T') && !c.take(' ')) return std::nullopt;
    auto hour = c.digits(2);
    if (!hour || !c.take(':')) return std::nullopt;
    auto minute = c.digits(2);
    if (!minute || *hour > 24 || *minute > 59) return std::nullopt;
    int second = 0;
    if (c.take(':')) {
        auto s = c.digits(2);
        if (!s || *s > 60) return std::nullopt;  // 60: a leap second
        second = *s;
    }
    if (*hour == 24 && (*minute != 0 || second != 0)) return std::nullopt;
    std::int64_t fraction = 0;
    if (c.take('.') || c.take(',')) {
        std::int64_t scale = 100000;
        bool any = false;
        while (c.peek() >= '0' && c.peek() <= '9') {
            fraction += (c.peek() - '0') * scale;
            scale /= 10;
            c.digits(1);
            any = true;
        }
        if (!any) return std::nullopt;
    }
    us += ((*hour * 60LL + *minute) * 60LL + second) * 1000000LL + fraction;
    if (c.take('Z') || c.done()) return c.done() ? std::optional(us) : std::nullopt;
    bool east = c.take('+');
    if (!east && !c.take('-')) return std::nullopt;
    auto zone_hours = c.digits(2);
    if (!zone_hours) return std::nullopt;
    int zone_minutes = 0;
    if (!c.done()) {
        c.take(':');
        auto m = c.digits(2);
        if (!m) return std::nullopt;
        zone_minutes = *m;
    }
    if (!c.done() || *zone_hours > 14 || zone_minutes > 59) return std::nullopt;
    std::int64_t offset = (*zone_hours * 60LL + zone_minutes) * 60LL * 1000000LL;
    return east ? us - offset : us + offset;
}

}  // namespace wavespec::formats
