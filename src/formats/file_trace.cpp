#include "formats/file_trace.hpp"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>

#include "formats/formats.hpp"
#include "records/number_chars.hpp"
#include "records/whole_file.hpp"

namespace wavespec::formats {

void fail(std::string_view file, std::string_view what) {
    std::string line(file);
    line.append(": ").append(what);
    throw FormatError(line);
}

void fail_at_line(std::string_view file, std::int64_t line, std::string_view what) {
    fail(std::string(file) + ":" + std::to_string(line), what);
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
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && (token.front() == '+' || token.front() == '-')) return std::nullopt;
    }
    if (token.empty() || token.size() > 64) return std::nullopt;
    // Only digits, signs, point and exponent letters: reading alone would also take "inf"
    // and "nan", which no network writes. A D exponent (Fortran) is read as E.
    // 1: allowed, 2: a D exponent.
    static constexpr auto kKinds = [] {
        std::array<unsigned char, 256> kinds{};
        for (char c : std::string_view("0123456789.+-Ee")) kinds[static_cast<unsigned char>(c)] = 1;
        kinds['D'] = kinds['d'] = 2;
        return kinds;
    }();
    unsigned char seen = 1;
    for (char c : token) {
        unsigned char kind = kKinds[static_cast<unsigned char>(c)];
        if (kind == 0) return std::nullopt;
        seen |= kind;
    }
    const bool fortran_exponent = (seen & 2) != 0;
    char buffer[64];
    const char* first = token.data();
    if (fortran_exponent) {
        for (std::size_t i = 0; i < token.size(); ++i) {
            buffer[i] = (token[i] == 'D' || token[i] == 'd') ? 'e' : token[i];
        }
        first = buffer;
    }
    return read_finite(std::string_view(first, token.size()));
}

void check_count_and_duration(std::string_view file, std::int64_t line, std::int64_t count,
                              double dt, std::optional<double> duration,
                              std::string_view duration_name) {
    if (!duration) return;
    const double counted = static_cast<double>(count) * dt;
    if (!(std::fabs(*duration - counted) <= dt * (1.0 + 1e-9))) {
        fail_at_line(file, line,
                     std::to_string(count) + " samples of " + shortest_text(dt) + " s last " +
                         shortest_text(counted) + " s, but " + std::string(duration_name) + " is " +
                         shortest_text(*duration) + " s");
    }
}

std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.append(1, '\'').append(text).append(1, '\'');
    return result;
}

std::string base_name(std::string_view path) {
    std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string read_whole_file(const std::string& path) {
    std::string content;
    if (auto why = wavespec::read_whole_file(path, content)) fail(path, *why);
    return content;
}

std::optional<std::string_view> Words::next() {
    while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
    std::size_t start = pos_;
    while (pos_ < line_.size() && line_[pos_] != ' ' && line_[pos_] != '\t') ++pos_;
    if (pos_ == start) return std::nullopt;
    return line_.substr(start, pos_ - start);
}

std::vector<std::string_view> split_words(std::string_view line) {
    std::vector<std::string_view> words;
    Words cursor(line);
    while (auto word = cursor.next()) words.push_back(*word);
    return words;
}

}  // namespace wavespec::formats
