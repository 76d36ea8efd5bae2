#include "records/list_output.hpp"

#include <cstring>
#include <string>

#include "records/decimal_digits.hpp"
#include "records/number_text.hpp"

namespace wavespec {

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
    char* item = out_.reserve(kItemRoom);
    item[0] = ' ';
    std::size_t n = 1 + integer_text(value, item + 1);
    place_formatted(item, n, n - 1 - (value < 0 ? 1 : 0));
    return *this;
}

ListWriter& ListWriter::real(double value) {
    char* item = out_.reserve(kItemRoom);
    std::size_t n = list_real_text(value, item);
    place_formatted(item, n, n);
    return *this;
}

ListWriter& ListWriter::real_text(std::string_view text) {
    make_room(text.size());
    place(text);
    return *this;
}

bool ListWriter::place_complex(char* item, std::size_t re_size, std::size_t im_size) {
    std::size_t n = re_size + im_size + 4;
    std::size_t start = (position_ > 0 && position_ + n >= kListLineLimit) ? 0 : position_;
    // After " (", the real part and the comma, the imaginary part and ")" must still fit.
    if (start + 3 + re_size + im_size + 1 >= kListLineLimit) return false;
    place_formatted(item, n, n);
    return true;
}

ListWriter& ListWriter::complex(double re, double im) {
    char* item = out_.reserve(kItemRoom);
    item[0] = ' ';
    item[1] = '(';
    std::size_t re_size = list_real_part_text(re, item + 2);
    item[2 + re_size] = ',';
    std::size_t im_size = list_real_part_text(im, item + 3 + re_size);
    item[3 + re_size + im_size] = ')';
    if (place_complex(item, re_size, im_size)) return *this;
    std::string real_part(item + 2, re_size);
    std::string imag_part(item + 3 + re_size, im_size);
    return complex_parts(real_part, imag_part);
}

void ComplexItemText::format(double real, double imaginary) {
    char text[kNumberTextCapacity];
    re_size = static_cast<std::uint8_t>(list_real_part_text(real, text));
    std::memcpy(re, text, kSlot);
    im_size = static_cast<std::uint8_t>(list_real_part_text(imaginary, text));
    std::memcpy(im, text, kSlot);
}

ListWriter& ListWriter::complex_text(const ComplexItemText& text) {
    char* item = out_.reserve(kItemRoom);
    item[0] = ' ';
    item[1] = '(';
    std::memcpy(item + 2, text.re, ComplexItemText::kSlot);
    item[2 + text.re_size] = ',';
    std::memcpy(item + 3 + text.re_size, text.im, ComplexItemText::kSlot);
    item[3 + text.re_size + text.im_size] = ')';
    if (place_complex(item, text.re_size, text.im_size)) return *this;
    return complex_parts({text.re, text.re_size}, {text.im, text.im_size});
}

ListWriter& ListWriter::complex_parts(std::string_view re, std::string_view im) {
    if (re.size() + im.size() + 4 <= kItemRoom - kLineEnd.size()) {
        // The usual case, the whole value on one record: placed as one piece.
        char* item = out_.reserve(kItemRoom);
        item[0] = ' ';
        item[1] = '(';
        copy_bytes(item + 2, re.data(), re.size());
        item[2 + re.size()] = ',';
        copy_bytes(item + 3 + re.size(), im.data(), im.size());
        item[3 + re.size() + im.size()] = ')';
        if (place_complex(item, re.size(), im.size())) return *this;
    }
    make_room(re.size() + im.size() + 4);
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
