// Upper case of ASCII letters alone, whatever the locale: the networks' codes and names are
// compared and matched this way everywhere.
#pragma once

#include <string>
#include <string_view>

namespace wavespec {

inline char ascii_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string ascii_upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = ascii_upper(c);
    return result;
}

}  // namespace wavespec
