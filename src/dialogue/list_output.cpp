#include "dialogue/list_output.hpp"

#include "dialogue/number_text.hpp"

namespace wavespec {

ListWriter::ListWriter(RecordLayer& layer, int unit) : out_((layer.begin_list_statement(unit, Direction::writing), layer.sink(unit))) {}

ListWriter::~ListWriter() {
    if (!ended_) end();
}

void ListWriter::end() {
    if (ended_) return;
    ended_ = true;
    out_.end_record();
}

void ListWriter::make_room(std::size_t item_length) {
    if (position_ > 0 && position_ + item_length >= kListLineLimit) {
        out_.end_record();
        position_ = 0;
    }
}

void ListWriter::place(std::string_view text) {
    out_.put(text);
    position_ += text.size();
}

ListWriter& ListWriter::text(std::string_view value) {
    make_room(value.size());
    if (position_ == 0) place(" ");
    place(value);
    return *this;
}

ListWriter& ListWriter::integer(std::int32_t value) {
    char buffer[16];
    buffer[0] = ' ';
    std::size_t n = 1 + integer_text(value, buffer + 1);
    std::size_t digits = n - 1 - (value < 0 ? 1 : 0);
    make_room(digits);
    place({buffer, n});
    return *this;
}

ListWriter& ListWriter::real(double value) {
    char buffer[kNumberTextCapacity];
    std::size_t n = list_real_text(value, buffer);
    make_room(n);
    place({buffer, n});
    return *this;
}

ListWriter& ListWriter::complex(double re, double im) {
    char real_part[kNumberTextCapacity];
    char imag_part[kNumberTextCapacity];
    std::size_t re_len = list_real_part_text(re, real_part);
    std::size_t im_len = list_real_part_text(im, imag_part);
    make_room(re_len + im_len + 4);
    place(" (");
    place({real_part, re_len});
    place(",");
    if (position_ + im_len + 1 >= kListLineLimit) {
        // The value is broken after its comma; the next record starts with a blank.
        out_.end_record();
        position_ = 0;
        place(" ");
    }
    place({imag_part, im_len});
    place(")");
    return *this;
}

}  // namespace wavespec
