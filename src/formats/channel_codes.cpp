#include "formats/channel_codes.hpp"

#include "records/ascii_case.hpp"

namespace wavespec::formats {

int component_position(std::string_view code) {
    if (code.empty()) return -1;
    switch (ascii_upper(code.back())) {
        case 'N':
        case '1':
            return 0;
        case 'E':
        case '2':
            return 1;
        case 'Z':
            return 2;
        default:
            return -1;
    }
}

std::string rotated_component_name(std::string_view name, char letter) {
    auto is_letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.size() == 3 && is_letter(name[0]) && is_letter(name[1]) &&
        (is_letter(name[2]) || is_digit(name[2]))) {
        return std::string(name.substr(0, 2)) + letter;
    }
    return std::string(1, letter);
}

std::optional<Orientation> seed_orientation(std::string_view code) {
    if (code.empty()) return std::nullopt;
    switch (ascii_upper(code.back())) {
        case 'N':
            return Orientation{0.0, 0.0};
        case 'E':
            return Orientation{90.0, 0.0};
        case 'Z':
            return Orientation{0.0, -90.0};
        default:
            return std::nullopt;
    }
}

}  // namespace wavespec::formats
