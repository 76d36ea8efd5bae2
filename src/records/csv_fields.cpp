#include "records/csv_fields.hpp"

#include <algorithm>

namespace wavespec {

std::string csv_field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::optional<std::vector<std::string>> csv_fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) return std::nullopt;  // no closing quote
                if (line[i] != '"') {
                    field += line[i];
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    break;
                }
            }
            ++i;  // past the closing quote
            if (i < line.size() && line[i] != ',') return std::nullopt;
        } else {
            std::size_t end = std::min(line.find(',', i), line.size());
            field.assign(line.substr(i, end - i));
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= line.size()) return fields;
        ++i;  // the comma
    }
}

std::string_view trimmed_name(std::string_view name) {
    std::size_t end = name.find_last_not_of(' ');
    return name.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

}  // namespace wavespec
