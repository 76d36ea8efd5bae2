// The position number of consecutive records as text, counted up in place: the dumps number
// hundreds of thousands of records 1, 2, 3, ..., and adding one to the last digit costs far
// less than converting each number afresh. The digits live in one word, so that the writer
// stores them straight from a register.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "records/decimal_digits.hpp"

namespace wavespec {

class RecordCounter {
  public:
    static constexpr std::uint32_t kLargest = 99999999;  // eight digits: the dumps stay far below

    explicit RecordCounter(std::uint32_t start) { set(start < kLargest ? start : kLargest); }

    // The digits, the first in the lowest byte (the bytes after the last digit hold '0').
    std::uint64_t chars() const { return chars_; }
    std::size_t size() const { return size_; }
    std::string text() const {
        char text[8];
        store_eight_chars(chars_, text);
        return {text, size_};
    }

    // The next number; the count stops at kLargest.
    void next() {
        if (value_ == kLargest) return;
        ++value_;
        int last = 8 * (static_cast<int>(size_) - 1);
        if (((chars_ >> last) & 0xFF) != '9') {
            chars_ += std::uint64_t{1} << last;
        } else {
            set(value_);  // a carry: one time in ten, worked out afresh
        }
    }

  private:
    void set(std::uint32_t value) {
        value_ = value;
        std::uint64_t digits = eight_digit_values(value);
        int count = value == 0 ? 1 : 8 - std::countr_zero(digits) / 8;
        size_ = static_cast<std::size_t>(count);
        chars_ = (digits >> (8 * (8 - count))) + kAsciiZeros;
    }

    std::uint32_t value_ = 0;
    std::uint64_t chars_ = 0;
    std::size_t size_ = 1;
};

}  // namespace wavespec
