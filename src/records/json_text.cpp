#include "records/json_text.hpp"

#include <charconv>
#include <cmath>

#include "records/number_chars.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::json {
namespace {

// The length of the well-formed UTF-8 sequence at the start of text, or 0.
std::size_t utf8_sequence(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    // No overlong forms, surrogates or code points beyond U+10FFFF.
    if (length == 3 && ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0)))
        return 0;
    if (length == 4 && ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)))
        return 0;
    return length;
}

constexpr int kDeepest = 64;

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<Value> whole() {
        std::optional<Value> value = read(0);
        skip_space();
        if (!value || pos_ != text_.size()) return std::nullopt;
        return value;
    }

  private:
    void skip_space() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool take(char c) {
        skip_space();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool take_word(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    std::optional<Value> read(int depth) {
        if (depth > kDeepest) return std::nullopt;
        skip_space();
        if (pos_ >= text_.size()) return std::nullopt;
        Value value;
        char c = text_[pos_];
        if (c == '{') return read_object(depth);
        if (c == '[') return read_array(depth);
        if (c == '"') {
            value.kind = Value::Kind::string;
            if (!read_string(value.text)) return std::nullopt;
        } else if (take_word("null")) {
        } else if (take_word("true")) {
            value.kind = Value::Kind::boolean;
            value.flag = true;
        } else if (take_word("false")) {
            value.kind = Value::Kind::boolean;
        } else {
            value.kind = Value::Kind::number;
            if (!read_number(value.text)) return std::nullopt;
        }
        return value;
    }

    std::optional<Value> read_object(int depth) {
        ++pos_;
        Value value;
        value.kind = Value::Kind::object;
        if (take('}')) return value;
        do {
            skip_space();
            std::string key;
            if (pos_ >= text_.size() || text_[pos_] != '"' || !read_string(key)) {
                return std::nullopt;
            }
            if (!take(':')) return std::nullopt;
            std::optional<Value> member = read(depth + 1);
            if (!member) return std::nullopt;
            value.members.emplace_back(std::move(key), std::move(*member));
        } while (take(','));
        if (!take('}')) return std::nullopt;
        return value;
    }

    std::optional<Value> read_array(int depth) {
        ++pos_;
        Value value;
        value.kind = Value::Kind::array;
        if (take(']')) return value;
        do {
            std::optional<Value> item = read(depth + 1);
            if (!item) return std::nullopt;
            value.items.push_back(std::move(*item));
        } while (take(','));
        if (!take(']')) return std::nullopt;
        return value;
    }

    // The number's text as written, once it has JSON's form and is a finite double.
    bool read_number(std::string& out) {
        std::size_t start = pos_;
        auto digits = [&] {
            std::size_t first = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ > first;
        };
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        if (!digits()) return false;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (!digits()) return false;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            if (!digits()) return false;
        }
        out.assign(text_.substr(start, pos_ - start));
        return read_finite(out).has_value();
    }

    bool read_hex4(unsigned& code) {
        if (text_.size() - pos_ < 4) return false;
        auto result = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
        if (result.ptr != text_.data() + pos_ + 4) return false;
        pos_ += 4;
        return true;
    }

    static void append_utf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool read_escape(std::string& out) {
        if (pos_ >= text_.size()) return false;
        char c = text_[pos_++];
        static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
        if (std::size_t at = kFrom.find(c); at != std::string_view::npos) {
            out += kTo[at];
            return true;
        }
        unsigned code = 0;
        if (c != 'u' || !read_hex4(code)) return false;
        if (code >= 0xD800 && code < 0xDC00) {  // a surrogate pair's first half
            unsigned low = 0;
            if (!take_word("\\u") || !read_hex4(low) || low < 0xDC00 || low >= 0xE000) {
                return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code < 0xE000) {
            return false;
        }
        append_utf8(out, code);
        return true;
    }

    bool read_string(std::string& out) {
        ++pos_;  // the opening quote
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
            } else if (!read_escape(out)) {
                return false;
            }
        }
        return false;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

const Value* Value::find(std::string_view key) const {
    for (const auto& [name, value] : members) {
        if (name == key) return &value;
    }
    return nullptr;
}

std::optional<std::int64_t> Value::integer() const {
    if (kind != Kind::number) return std::nullopt;
    std::int64_t value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> Value::real() const {
    if (kind != Kind::number) return std::nullopt;
    // The reader took only numbers that read_finite reads.
    return read_finite(text);
}

std::optional<Value> parse(std::string_view text) {
    return Reader(text).whole();
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        std::size_t length = utf8_sequence(text);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for a byte that begins no UTF-8 character
            text.remove_prefix(1);
            continue;
        }
        char c = text[0];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out + "\"";
}

std::string number(double value) {
    return shortest_text(value);
}

std::string number(const std::optional<double>& value) {
    return value ? shortest_text(*value) : "null";
}

}  // namespace wavespec::json
