// A small reader and the writer of JSON (RFC 8259) for the tool's own run.json and info --json:
// objects keep their keys in the order written, numbers keep their text, so that integers
// beyond 2^53 (sizes, times in nanoseconds) read back exactly.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wavespec::json {

struct Value {
    enum class Kind { null, boolean, number, string, array, object };
    Kind kind = Kind::null;
    bool flag = false;
    std::string text;  // a number's text, or a string's characters
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;

    // The member of this name, or nothing (also when this is no object).
    const Value* find(std::string_view key) const;
    std::optional<std::int64_t> integer() const;  // a number without fraction or exponent
    std::optional<double> real() const;
    bool operator==(const Value&) const = default;
};

// Nothing for a text that is not one whole JSON value (or nests deeper than 64).
std::optional<Value> parse(std::string_view text);

// The one writer of the tool's JSON (run.json, info --json). A string in JSON's quotes, with
// '"', '\\' and the control characters escaped and the bytes that are not UTF-8 (a header's
// ISO-8859 text, say) replaced by U+FFFD, so that the file stays valid JSON.
std::string quoted(std::string_view text);

// A number as its shortest round-trip text (finite values only); null for none.
std::string number(double value);
std::string number(const std::optional<double>& value);

}  // namespace wavespec::json
