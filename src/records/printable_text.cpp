#include "records/printable_text.hpp"

#include <algorithm>

namespace wavespec {
namespace {

bool is_control(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

void append_escaped(char c, std::string& out) {
    static constexpr std::string_view kLetters = "abtnvfr";  // \a (7) to \r (13)
    auto byte = static_cast<unsigned char>(c);
    out += '\\';
    if (byte >= 7 && byte <= 13) {
        out += kLetters[byte - 7];
        return;
    }
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

}  // namespace

std::string printable_name(std::string_view name) {
    if (std::none_of(name.begin(), name.end(), is_control)) return std::string(name);
    std::string out = "\"";
    for (char c : name) {
        if (is_control(c)) {
            append_escaped(c, out);
        } else {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
    }
    return out + "\"";
}

std::string printable_line(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (char c : line) {
        if (is_control(c)) {
            append_escaped(c, out);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace wavespec
