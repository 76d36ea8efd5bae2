// The position number of consecutive records as text, counted up digit by digit: the dumps
// number hundreds of thousands of records 1, 2, 3, ..., and carrying a nine into the next digit
// costs far less than converting each number afresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace wavespec {

class RecordCounter {
  public:
    static constexpr std::size_t kDigits = 10;  // every non-negative 32-bit number

    explicit RecordCounter(std::uint32_t start) {
        std::memset(text_, '0', sizeof text_);
        std::size_t i = kDigits;
        do {
            text_[--i] = static_cast<char>('0' + start % 10);
            start /= 10;
        } while (start != 0);
        first_ = i;
    }

    std::string_view text() const { return {text_ + first_, kDigits - first_}; }
    // The digits start at digits() and are readable for kDigits bytes beyond: the writer copies
    // them in one fixed-size piece.
    const char* digits() const { return text_ + first_; }

    // The next number. Past 9999999999 the count would need an eleventh digit: it stays there.
    void next() {
        std::size_t i = kDigits;
        while (i > 0 && text_[i - 1] == '9') text_[--i] = '0';
        if (i == 0) {  // all nines: keep the largest number rather than lose digits
            std::memset(text_, '9', kDigits);
            return;
        }
        ++text_[i - 1];
        if (i - 1 < first_) first_ = i - 1;
    }

  private:
    char text_[2 * kDigits];  // the number right-aligned in the first kDigits, then slack
    std::size_t first_ = kDigits;
};

}  // namespace wavespec
