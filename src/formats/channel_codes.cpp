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
