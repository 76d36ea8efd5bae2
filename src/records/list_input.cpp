#include "records/list_input.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "records/exact_powers_of_ten.hpp"
#include "records/number_chars.hpp"
#include "records/number_scan.hpp"

namespace wavespec {

namespace {
constexpr std::size_t kSignificantDigits = 40;
constexpr std::int64_t kScaleLimit = 1'000'000;  // far beyond any double; keeps sums in range
constexpr std::size_t kHeldTextLimit = 256;      // longer than any text variable of the tool
constexpr long kRepeatLimit = 999'999'999;

bool is_digit(int c) {
    return c >= '0' && c <= '9';
}
bool starts_number(int c) {
    return is_digit(c) || c == '-' || c == '+' || c == '.';
}
bool ends_unquoted(int c) {
    return c == ',' || c == ' ' || c == '\t' || c == '/' || c == '\n' || c == '\r' ||
           c == kEndOfInput;
}
std::int64_t clamp_scale(std::int64_t s) {
    return std::clamp(s, -kScaleLimit, kScaleLimit);
}
}  // namespace

ListReader::ListReader(RecordLayer& layer, int unit, bool end_of_file_branch)
    : layer_(layer), unit_(unit), branch_(end_of_file_branch) {
    layer_.begin_list_statement(unit, Direction::reading);
    if (layer_.at_end(unit_)) {
        if (!branch_) layer_.fatal_end_of_file(unit_, "read start");
        ended_ = true;
        status_ = Status::end_of_file;
    }
}

int ListReader::refill_peek() {
    layer_.consume(unit_, pos_);
    pos_ = 0;
    window_ = layer_.input_window(unit_);
    return window_.empty() ? kEndOfInput : static_cast<unsigned char>(window_[0]);
}

void ListReader::sync() {
    layer_.consume(unit_, pos_);
    pos_ = 0;
    window_ = {};
}

void ListReader::fail(std::string_view context, std::string_view message) {
    sync();
    layer_.fatal(unit_, context, message);
}

void ListReader::hit_end(std::string_view context) {
    layer_.mark_end(unit_);
    if (!branch_) {
        sync();
        layer_.fatal_end_of_file(unit_, context);
    }
    ended_ = true;
    status_ = Status::end_of_file;
}

bool ListReader::begin_value() {
    if (ended_) return false;
    for (;;) {
        int c = peek();
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            advance();
            continue;
        }
        if (c == kEndOfInput) {
            hit_end("list in");
            return false;
        }
        if (c == ',') {
            advance();
            return false;
        }
        if (c == '/') {
            advance();
            ended_ = true;
            return false;
        }
        return true;
    }
}

void ListReader::end_value() {
    int c = peek();
    while (c == ' ' || c == '\t') {
        advance();
        c = peek();
    }
    if (c == kEndOfInput) {
        layer_.mark_end(unit_);  // the value ends at the end of the input; it still counts
    } else if (c == ',') {
        advance();
    }
}

bool ListReader::take_held(Kind kind, Held& out) {
    if (repeat_left_ == 0) return false;
    --repeat_left_;
    if (repeat_null_) {
        out.is_text = kind == Kind::text;
        return false;
    }
    out = held_;
    return true;
}

// Reads a value for a variable of the given kind, or a null value. Returns false when the
// variable is to keep its value.
bool ListReader::read_value(Kind kind, Held& out) {
    if (repeat_left_ > 0) {
        bool have = take_held(kind, out);
        return have && out.is_text == (kind == Kind::text);
    }
    if (!begin_value()) return false;
    return read_started_value(kind, out);
}

// The same from the first character of a value that begin_value has found.
bool ListReader::read_started_value(Kind kind, Held& out) {
    out.is_text = kind == Kind::text;
    bool repeated = false;
    int c = peek();
    if (kind == Kind::number) {
        read_number(out.number, true, &out, repeated);
    } else if (c == '\'' || c == '"') {
        read_quoted(out.text);
    } else if (is_digit(c)) {
        // Digits followed by an asterisk are a repeat count; otherwise they open the text.
        std::string digits;
        while (is_digit(peek())) {
            if (digits.size() < kHeldTextLimit) digits += static_cast<char>(peek());
            advance();
        }
        if (peek() == '*') {
            advance();
            long count = 0;
            auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
            (void)p;
            repeated = true;
            if (start_repeat(ec == std::errc() ? count : 0)) {
                int q = peek();
                if (q == '\'' || q == '"') {
                    read_quoted(out.text);
                } else {
                    read_unquoted(out.text);
                }
                held_ = out;
            }
        } else {
            out.text = digits;
            std::string rest;
            read_unquoted(rest);
            out.text += rest;
            if (out.text.size() > kHeldTextLimit) out.text.resize(kHeldTextLimit);
        }
    } else {
        read_unquoted(out.text);
    }
    if (ended_) return false;  // the end of the input inside a quoted value
    end_value();
    if (repeated && repeat_null_) return false;
    return true;
}

bool ListReader::start_repeat(long count) {
    if (count < 1 || count > kRepeatLimit) {
        fail("bad repetition count", "incomprehensible list input");
    }
    repeat_left_ = count - 1;
    repeat_null_ = ends_unquoted(peek());
    return !repeat_null_;
}

void ListReader::read_unquoted(std::string& text) {
    for (int c = peek(); !ends_unquoted(c); c = peek()) {
        if (text.size() < kHeldTextLimit) text += static_cast<char>(c);
        advance();
    }
}

void ListReader::read_quoted(std::string& text) {
    int mark = peek();
    advance();
    for (;;) {
        int c = peek();
        if (c == kEndOfInput) {
            hit_end("list in");
            return;
        }
        advance();
        if (c == mark) {
            if (peek() != mark) return;
            advance();
        } else if (c == '\n') {
            continue;  // line ends inside a quoted value are dropped
        } else if (c == '\r' && peek() == '\n') {
            continue;
        }
        if (text.size() < kHeldTextLimit) text += static_cast<char>(c);
    }
}

void ListReader::read_number(Number& number, bool allow_repeat, Held* repeat_target,
                             bool& repeated) {
    number = Number{};
    bool is_signed = false;
    int c = peek();
    if (c == '+' || c == '-') {
        number.negative = c == '-';
        is_signed = true;
        advance();
    }
    bool any_digit = false;
    std::size_t integer_digits = 0;
    for (c = peek(); is_digit(c); c = peek()) {
        any_digit = true;
        ++integer_digits;
        if (number.digits.empty() && c == '0') {
            // leading zeros do not count
        } else if (number.digits.size() < kSignificantDigits) {
            number.digits.push_back(static_cast<char>(c));
        } else {
            number.scale = clamp_scale(number.scale + 1);
        }
        advance();
    }
    if (c == '*' && allow_repeat) {
        advance();
        long count = 0;
        if (!is_signed && integer_digits > 0 && number.digits.size() <= 9 && number.scale == 0 &&
            !number.digits.empty()) {
            std::from_chars(number.digits.data(), number.digits.data() + number.digits.size(),
                            count);
        }
        repeated = true;
        if (start_repeat(count)) {
            bool inner = false;
            read_number(number, false, nullptr, inner);
            repeat_target->number = number;
            held_ = *repeat_target;
        }
        return;
    }
    if (c == '.') {
        number.has_point = true;
        advance();
        for (c = peek(); is_digit(c); c = peek()) {
            any_digit = true;
            if (number.digits.empty() && c == '0') {
                number.scale = clamp_scale(number.scale - 1);
            } else if (number.digits.size() < kSignificantDigits) {
                number.digits.push_back(static_cast<char>(c));
                number.scale = clamp_scale(number.scale - 1);
            }
            advance();
        }
    }
    if (!any_digit) fail("invalid number", "incomprehensible list input");
    c = peek();
    bool letter = c == 'e' || c == 'E' || c == 'd' || c == 'D';
    if (letter || c == '+' || c == '-') {
        number.has_exponent = true;
        advance();
        bool exponent_negative = false;
        if (letter) c = peek();
        if (c == '+' || c == '-') {
            exponent_negative = c == '-';
            if (letter) advance();
        }
        if (!is_digit(peek())) fail("exponent field", "incomprehensible list input");
        std::int64_t exponent = 0;
        for (c = peek(); is_digit(c); c = peek()) {
            exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), kScaleLimit);
            advance();
        }
        number.scale = clamp_scale(number.scale + (exponent_negative ? -exponent : exponent));
    }
}

double ListReader::to_double(const Number& number) {
    if (number.digits.empty()) return number.negative ? -0.0 : 0.0;
    // Up to 15 digits are exact in a double, and so are the powers of ten up to 10^22: one
    // multiplication or division then rounds once, correctly, as the full conversion would.
    if (number.digits.size() <= 15 && number.scale >= -kMaxExactPowerOfTen &&
        number.scale <= kMaxExactPowerOfTen) {
        std::uint64_t mantissa = 0;
        for (char d : number.digits) mantissa = mantissa * 10 + static_cast<std::uint64_t>(d - '0');
        auto m = static_cast<double>(mantissa);
        double value = number.scale >= 0 ? m * kExactPowersOfTen[number.scale]
                                         : m / kExactPowersOfTen[-number.scale];
        return number.negative ? -value : value;
    }
    char text[kSignificantDigits + 32];
    std::memcpy(text, number.digits.data(), number.digits.size());
    char* end = text + number.digits.size();
    *end++ = 'e';
    end = std::to_chars(end, text + sizeof text, number.scale).ptr;
    double value = 0.0;
    auto [p, ec] = read_chars(text, end, value);
    (void)p;
    if (ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: infinity above, zero below, as the C library gives.
        std::int64_t magnitude = static_cast<std::int64_t>(number.digits.size()) + number.scale;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number.negative ? -value : value;
}

std::int32_t ListReader::to_integer(const Number& number) {
    if (number.has_point || number.has_exponent) {
        fail("invalid integer", "read unexpected character");
    }
    std::int64_t value = 0;
    if (!number.digits.empty()) {
        if (number.digits.size() + static_cast<std::size_t>(number.scale) > 10) {
            fail("invalid integer", "integer out of range");
        }
        for (char d : number.digits) value = value * 10 + (d - '0');
        for (std::int64_t s = 0; s < number.scale; ++s) value *= 10;
    }
    if (number.negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        fail("invalid integer", "integer out of range");
    }
    return static_cast<std::int32_t>(value);
}

void ListReader::integer(std::int32_t& variable) {
    Held value;
    if (read_value(Kind::number, value)) variable = to_integer(value.number);
}

void ListReader::real(double& variable) {
    if (repeat_left_ > 0) {
        Held value;
        if (read_value(Kind::number, value)) variable = to_double(value.number);
        return;
    }
    // The usual value of a record: a plain number right here, then a comma or the line end.
    // It is read straight from the buffer; everything else takes the full road.
    if (!ended_ && starts_number(peek())) {
        double plain;
        if (std::size_t taken = scan_plain_real(window_.substr(pos_), plain)) {
            pos_ += taken;
            int next = peek();
            if (next == ',') {
                advance();
            } else if (next != '\n') {
                end_value();
            }
            variable = plain;
            return;
        }
    }
    if (!begin_value()) return;
    Held value;
    if (read_started_value(Kind::number, value)) variable = to_double(value.number);
}

void ListReader::text(std::span<char> variable) {
    Held value;
    if (!read_value(Kind::text, value)) return;
    std::size_t n = std::min(value.text.size(), variable.size());
    std::memcpy(variable.data(), value.text.data(), n);
    std::fill(variable.begin() + static_cast<std::ptrdiff_t>(n), variable.end(), ' ');
}

ListReader::Status ListReader::finish() {
    if (status_ == Status::end_of_file) {
        sync();
        return status_;
    }
    if (!layer_.at_end(unit_)) {
        for (;;) {
            int c = peek();
            if (c == kEndOfInput) {
                layer_.mark_end(unit_);
                // The end of the input while the rest of the record is skipped.
                if (branch_) status_ = Status::end_of_file;
                break;
            }
            advance();
            if (c == '\n') break;
        }
    }
    sync();
    return status_;
}

void read_pause(RecordLayer& layer, int unit) {
    ListReader pause(layer, unit, false);
    pause.finish();
}

std::string read_text_field(RecordLayer& layer, int unit, const FormatProgram& format) {
    const auto& steps = format.steps();
    if (steps.size() != 1 || steps[0].kind != FormatStep::Kind::text) {
        throw std::logic_error("a text field read needs a single A descriptor");
    }
    layer.begin_formatted_statement(unit, Direction::reading, format);
    if (layer.at_end(unit)) layer.fatal_end_of_file(unit, "read start");
    auto width = static_cast<std::size_t>(steps[0].width);
    std::string field;
    field.reserve(width);
    bool pending_cr = false;  // a carriage return is kept only if no line feed follows it
    for (;;) {
        std::string_view window = layer.input_window(unit);
        if (window.empty()) {
            layer.mark_end(unit);
            layer.fatal_end_of_file(unit, "fmt");
        }
        std::size_t i = 0;
        bool line_end = false;
        for (; i < window.size(); ++i) {
            char c = window[i];
            if (c == '\n') {
                line_end = true;
                ++i;
                break;
            }
            if (pending_cr && field.size() < width) field += '\r';
            pending_cr = c == '\r';
            if (!pending_cr && field.size() < width) field += c;
        }
        layer.consume(unit, i);
        if (line_end) break;
    }
    field.resize(width, ' ');
    return field;
}

}  // namespace wavespec
