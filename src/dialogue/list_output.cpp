#include "dialogue/list_output.hpp"

#include <cstring>

#include "dialogue/number_text.hpp"

namespace wavespec {

ListWriter::ListWriter(RecordLayer& layer, int unit)
    : out_((layer.begin_list_statement(unit, Direction::writing), layer.sink(unit))) {}

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
    return real_text({buffer, list_real_text(value, buffer)});
}

ListWriter& ListWriter::real_text(std::string_view text) {
    make_room(text.size());
    place(text);
    return *this;
}

ListWriter& ListWriter::complex(double re, double im) {
    char real_part[kNumberTextCapacity];
    char imag_part[kNumberTextCapacity];
    return complex_parts({real_part, list_real_part_text(re, real_part)},
                         {imag_part, list_real_part_text(im, imag_part)});
}

ListWriter& ListWriter::complex_parts(std::string_view re, std::string_view im) {
    make_room(re.size() + im.size() + 4);
    if (position_ + re.size() + 3 + im.size() + 1 < kListLineLimit &&
        re.size() + im.size() <= 2 * kNumberTextCapacity) {
        // The usual case, the whole value on this record: placed as one piece.
        char item[2 * kNumberTextCapacity + 4];
        std::size_t n = 0;
        item[n++] = ' ';
        item[n++] = '(';
        std::memcpy(item + n, re.data(), re.size());
        n += re.size();
        item[n++] = ',';
        std::memcpy(item + n, im.data(), im.size());
        n += im.size();
        item[n++] = ')';
        place({item, n});
        return *this;
    }
    place(" (");
    place(re);
    place(",");
    if (position_ + im.size() + 1 >= kListLineLimit) {
        // The value is broken after its comma; the next record starts with a blank.
        out_.end_record();
        position_ = 0;
        place(" ");
    }
    place(im);
    place(")");
    return *this;
}

}  // namespace wavespec
