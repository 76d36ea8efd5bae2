// A byte-for-byte comparison of two texts that, when they differ, says where: the offset and
// line of the first difference and a few bytes of each side around it, escaped, instead of two
// whole files that no one can read in a test log.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>

namespace wavespec::test {

namespace same_bytes_detail {

// The bytes [from, from + count) of text, control and non-ASCII bytes as \r, \n or \xNN.
inline std::string excerpt(const std::string& text, std::size_t from, std::size_t count) {
    std::string shown = "\"";
    for (std::size_t i = from; i < std::min(text.size(), from + count); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '"' || c == '\\') {
            shown += '\\';
            shown += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown + (from + count < text.size() ? "\"..." : "\"");
}

}  // namespace same_bytes_detail

// For EXPECT_PRED_FORMAT2(same_bytes, actual, expected).
inline ::testing::AssertionResult same_bytes(const char* actual_expression,
                                             const char* expected_expression,
                                             const std::string& actual,
                                             const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    std::size_t line =
        1 + static_cast<std::size_t>(std::count(expected.begin(), expected.begin() + at, '\n'));
    std::size_t from = at >= 16 ? at - 16 : 0;
    using same_bytes_detail::excerpt;
    return ::testing::AssertionFailure()
           << actual_expression << " and " << expected_expression << " differ first at byte " << at
           << " (line " << line << "; sizes " << actual.size() << " and " << expected.size()
           << ")\n  actual:   " << (from > 0 ? "..." : "") << excerpt(actual, from, 48)
           << "\n  expected: " << (from > 0 ? "..." : "") << excerpt(expected, from, 48);
}

}  // namespace wavespec::test
