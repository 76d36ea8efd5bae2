// The shortest decimal text that reads back to the same double, for messages and the tool's
// newer files (never for the fixed layouts of the dialogue's files).
#pragma once

#include <string>

#include "records/number_chars.hpp"

namespace wavespec {

inline std::string shortest_text(double value) {
    char buffer[32];  // the longest shortest form of a double takes 24 characters
    auto result = shortest_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace wavespec
