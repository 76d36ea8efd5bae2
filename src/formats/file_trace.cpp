#include "formats/file_trace.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "formats/formats.hpp"

namespace wavespec::formats {

void fail(std::string_view file, std::string_view what) {
    std::string line(file);
    line.append(": ").append(what);
    throw FormatError(line);
}

void fail_at_line(std::string_view file, std::int64_t line, std::string_view what) {
    fail(file, "line " + std::to_string(line) + ": " + std::string(what));
}

void fail_at_byte(std::string_view file, std::int64_t byte, std::string_view what) {
    fail(file, "byte " + std::to_string(byte) + ": " + std::string(what));
}

std::string plain_word(std::string_view text, std::string_view fallback) {
    text = trim(text);
    if (text.empty()) text = fallback;
    std::string word;
    for (char c : text.substr(0, 20)) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '+';
        word += plain ? c : '_';
    }
    return word;
}

std::optional<double> parse_real_token(std::string_view token) {
    if (token.empty() || token.size() > 64) return std::nullopt;
    char buffer[64];
    std::size_t n = 0;
    std::size_t start = token.front() == '+' ? 1 : 0;
    for (std::size_t i = start; i < token.size(); ++i) {
        char c = token[i];
        // Only digits, one sign, point and exponent letters: from_chars alone would also take
        // "inf" and "nan", which no network writes.
        bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' ||
                       c == 'e' || c == 'D' || c == 'd';
        if (!allowed) return std::nullopt;
        buffer[n++] = (c == 'D' || c == 'd') ? 'e' : c;
    }
    if (n == 0 || (start == 1 && (buffer[0] == '+' || buffer[0] == '-'))) return std::nullopt;
    double value = 0.0;
    auto [end, error] = std::from_chars(buffer, buffer + n, value);
    if (error != std::errc() || end != buffer + n || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.append(1, '\'').append(text).append(1, '\'');
    return result;
}

std::string shortest_text(double value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string base_name(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, std::string("cannot open: ") + std::strerror(errno));
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) fail(path, "cannot read the file");
    return content.str();
}

std::optional<std::string_view> TextLines::next() {
    if (pos_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++number_;
    return line;
}

std::vector<std::string_view> split_words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace wavespec::formats
