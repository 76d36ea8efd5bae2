#include "formats/record_sets.hpp"

#include <algorithm>
#include <cctype>

#include "formats/file_trace.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {

std::string file_stem(std::string_view path) {
    std::string name = base_name(path);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

std::string common_stem(std::span<const std::string> names) {
    if (names.empty()) return {};
    std::string prefix = names.front();
    for (const std::string& name : names.subspan(1)) {
        std::size_t n = 0;
        while (n < prefix.size() && n < name.size() && prefix[n] == name[n]) ++n;
        prefix.resize(n);
    }
    while (!prefix.empty() &&
           (prefix.back() == '_' || prefix.back() == '-' || prefix.back() == '.')) {
        prefix.pop_back();
    }
    return prefix.empty() ? names.front() : prefix;
}

std::array<std::string, 3> at2_component_names(std::span<const std::string> paths) {
    std::vector<std::string> stems;
    for (const std::string& path : paths) stems.push_back(file_stem(path));
    std::size_t shared = stems.empty() ? 0 : stems.front().size();
    for (const std::string& stem : stems) {
        std::size_t n = 0;
        while (n < shared && n < stem.size() && stem[n] == stems.front()[n]) ++n;
        shared = n;
    }
    std::array<std::string, 3> names;
    for (std::size_t i = 0; i < names.size() && i < stems.size(); ++i) {
        std::string_view tag = std::string_view(stems[i]).substr(shared);
        while (!tag.empty() && (tag.front() == '_' || tag.front() == '-' || tag.front() == '.')) {
            tag.remove_prefix(1);
        }
        names[i] = plain_word(tag.empty() ? std::string_view(stems[i]) : tag, "H");
    }
    return names;
}

bool is_vertical_at2_name(std::string_view name) {
    std::string upper = ascii_upper(name);
    return upper.find("UP") != std::string::npos || upper.find("DWN") != std::string::npos ||
           (!upper.empty() && upper.back() == 'V');
}

}  // namespace wavespec::formats
