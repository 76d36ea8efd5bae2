#include "formats/agency_text.hpp"

#include <charconv>
#include <cmath>

#include "records/ascii_case.hpp"

namespace wavespec::formats {

bool contains_ignoring_case(std::string_view text, std::string_view word) {
    if (word.empty()) return true;
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < word.size() && same; ++i) {
            same = ascii_upper(text[at + i]) == ascii_upper(word[i]);
        }
        if (same) return true;
    }
    return false;
}

std::optional<std::string_view> after_colon(std::string_view line) {
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    return trim(line.substr(colon + 1));
}

std::optional<double> compass_azimuth(std::string_view text) {
    auto base = [](char c) -> std::optional<int> {
        switch (c) {
            case 'N':
                return 0;
            case 'E':
                return 90;
            case 'S':
                return 180;
            case 'W':
                return 270;
            default:
                return std::nullopt;
        }
    };
    if (text.size() == 1) {
        auto a = base(text[0]);
        return a ? std::optional<double>(*a) : std::nullopt;
    }
    if (text.size() < 3) return std::nullopt;
    const char from = text.front(), to = text.back();
    int degrees = 0;
    auto digits = text.substr(1, text.size() - 2);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), degrees);
    if (error != std::errc() || end != digits.data() + digits.size() || degrees < 0 ||
        degrees > 90 || (from != 'N' && from != 'S') || (to != 'E' && to != 'W')) {
        return std::nullopt;
    }
    double azimuth = from == 'N' ? (to == 'E' ? degrees : 360 - degrees)
                                 : (to == 'E' ? 180 - degrees : 180 + degrees);
    return std::fmod(azimuth, 360.0);
}

std::vector<std::vector<double>> read_number_columns(std::string_view file, TextLines& lines,
                                                     std::size_t columns, std::size_t rows) {
    std::vector<std::vector<double>> values(columns);
    for (auto& column : values) column.reserve(std::min<std::size_t>(rows, 1 << 20));
    for (std::size_t row = 0; row < rows; ++row) {
        auto line = lines.next();
        if (!line) {
            fail_at_line(file, lines.number(),
                         "the file ends after " + std::to_string(row) + " of " +
                             std::to_string(rows) + " rows of values");
        }
        Words words(*line);
        std::size_t c = 0;
        while (auto word = words.next()) {
            if (c == columns) {
                fail_at_line(file, lines.number(),
                             "more than " + std::to_string(columns) + " values on the line");
            }
            auto value = parse_real_token(*word);
            if (!value) fail_at_line(file, lines.number(), quoted(*word) + " is not a number");
            values[c++].push_back(*value);
        }
        if (c != columns) {
            fail_at_line(file, lines.number(),
                         std::to_string(c) + " values on the line, not " + std::to_string(columns));
        }
    }
    return values;
}

void expect_only_blank_lines(std::string_view file, TextLines& lines, std::string_view after) {
    while (auto line = lines.next()) {
        if (!trim(*line).empty()) {
            fail_at_line(file, lines.number(), "text after " + std::string(after));
        }
    }
}

namespace {

void append_utf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// 0x80 to 0x9F of Windows-1254; 0 where the code page defines no character.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0,      0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178};

}  // namespace

std::string windows1254_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t code = byte;
        if (byte >= 0x80 && byte < 0xA0) {
            code = kHigh[byte - 0x80] != 0 ? kHigh[byte - 0x80] : 0xFFFD;
        } else {
            // Latin-1 but for the six Turkish letters that take the Icelandic ones' places.
            switch (byte) {
                case 0xD0:
                    code = 0x011E;  // G with breve
                    break;
                case 0xDD:
                    code = 0x0130;  // I with dot above
                    break;
                case 0xDE:
                    code = 0x015E;  // S with cedilla
                    break;
                case 0xF0:
                    code = 0x011F;
                    break;
                case 0xFD:
                    code = 0x0131;  // dotless i
                    break;
                case 0xFE:
                    code = 0x015F;
                    break;
                default:
                    break;
            }
        }
        append_utf8(out, code);
    }
    return out;
}

std::optional<std::int64_t> utc_from_local(const CivilTime& local, int offset_minutes) {
    auto us = utc_microseconds(local);
    if (!us) return std::nullopt;
    return *us - static_cast<std::int64_t>(offset_minutes) * 60'000'000;
}

}  // namespace wavespec::formats

namespace wavespec::formats {

std::vector<double> numbers_in(std::string_view line) {
    std::vector<double> numbers;
    std::size_t at = 0;
    auto is_digit = [&](std::size_t i) {
        return i < line.size() && line[i] >= '0' && line[i] <= '9';
    };
    while (at < line.size()) {
        std::size_t begin = at;
        if ((line[at] == '-' || line[at] == '+') &&
            (is_digit(at + 1) ||
             (at + 2 < line.size() && line[at + 1] == '.' && is_digit(at + 2)))) {
            ++at;
        }
        std::size_t digits_from = at;
        while (is_digit(at) || (at < line.size() && line[at] == '.')) ++at;
        if (at > digits_from) {
            if (auto value = parse_real_token(line.substr(begin, at - begin)))
                numbers.push_back(*value);
        } else {
            at = begin + 1;
        }
    }
    return numbers;
}

CountAndInterval count_and_interval(std::string_view file, std::int64_t number,
                                    std::string_view line) {
    std::vector<double> numbers = numbers_in(line);
    if (numbers.size() < 2 || !(numbers[0] >= 2.0 && numbers[0] <= 1e8) ||
        numbers[0] != std::trunc(numbers[0]) || !(numbers[1] > 0.0)) {
        fail_at_line(
            file, number,
            "the line gives no count of samples and positive duration: " + quoted(trim(line)));
    }
    const auto count = static_cast<std::size_t>(numbers[0]);
    return {count, numbers[1] / static_cast<double>(count - 1)};
}

}  // namespace wavespec::formats
