// One list-directed output statement: items placed back to back in a record of at most 80
// columns, each bringing its own leading blanks; the record ends when the statement ends.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "records/decimal_digits.hpp"
#include "records/number_text.hpp"
#include "records/record_counter.hpp"
#include "records/record_layer.hpp"

namespace wavespec {

inline constexpr std::size_t kListLineLimit = 80;

// A complex value's two parts formatted ahead, for values written more than once. Each part
// (sign, nine digits, point, a three-digit exponent: 16 characters at most) sits in a slot
// that always holds it, so that it is copied in one fixed-size piece.
struct ComplexItemText {
    static constexpr std::size_t kSlot = 16;
    char re[kSlot];
    char im[kSlot];
    std::uint8_t re_size = 0;
    std::uint8_t im_size = 0;

    void format(double real, double imaginary);
};

class ListWriter {
  public:
    ListWriter(RecordLayer& layer, int unit)
        : out_((layer.begin_list_statement(unit, Direction::writing), layer.sink(unit))) {}
    // Ending the record may meet a write failure, which a layer that throws its failures
    // reports from here.
    ~ListWriter() noexcept(false) { end(); }
    ListWriter(const ListWriter&) = delete;
    ListWriter& operator=(const ListWriter&) = delete;

    ListWriter& text(std::string_view value);
    ListWriter& integer(std::int32_t value);
    ListWriter& integer(const RecordCounter& value) {  // inline: once per dump record
        char* item = out_.reserve(kItemRoom);
        item[0] = ' ';
        store_eight_chars(value.chars(), item + 1);
        place_formatted(item, 1 + value.size(), value.size());
        return *this;
    }
    ListWriter& real(double value);
    ListWriter& complex(double re, double im);
    // The same items from texts already formatted: a real with its two leading characters,
    // and the two parts of a complex value without theirs.
    ListWriter& real_text(std::string_view text);
    ListWriter& complex_parts(std::string_view re, std::string_view im);
    ListWriter& complex_text(const ComplexItemText& item);
    // Ends the record; a statement without items writes an empty record.
    void end() {
        if (ended_) return;
        ended_ = true;
        out_.end_record();
    }

  private:
    // Ends the current record first when an item of this length would reach the limit.
    void make_room(std::size_t item_length);
    void place(std::string_view text);
    // Places an item already formatted at the sink's free space (not yet committed), ending
    // the record before it when its length (as the limit counts it) would reach the limit.
    void place_formatted(char* item, std::size_t size, std::size_t counted_length) {
        if (position_ > 0 && position_ + counted_length >= kListLineLimit) {
            std::memmove(item + kLineEnd.size(), item, size);
            std::memcpy(item, kLineEnd.data(), kLineEnd.size());
            out_.commit(kLineEnd.size());
            position_ = 0;
        }
        out_.commit(size);
        position_ += size;
    }
    // Scratch room for one item formatted in place, with a line end that may go before it.
    static constexpr std::size_t kItemRoom = 2 * kNumberTextCapacity + 8;
    // A complex item formatted in place, or false when it must be broken after its comma.
    bool place_complex(char* item, std::size_t re_size, std::size_t im_size);

    RecordSink& out_;
    std::size_t position_ = 0;
    bool ended_ = false;
};

}  // namespace wavespec
