// Plain text in memory taken apart line by line: the lines of a file without their line ends,
// and fields without the blanks around them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace wavespec {

// The text without leading blanks and tabs, nor trailing blanks, tabs and carriage returns.
inline std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// The fields of a line between its commas, kept as they stand ("a,,b" gives three).
inline std::vector<std::string_view> split_at_commas(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        std::size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}

// Lines of a text, numbered from 1, without their "\n" or "\r\n".
class TextLines {
  public:
    explicit TextLines(std::string_view text) : text_(text) {}
    // The next line, or nothing at the end of the text.
    std::optional<std::string_view> next() {
        if (pos_ >= text_.size()) return std::nullopt;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        std::string_view line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++number_;
        return line;
    }
    std::int64_t number() const { return number_; }  // of the line last returned

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::int64_t number_ = 0;
};

}  // namespace wavespec
