// The JSON text of info --json: strings that stay valid UTF-8 whatever bytes a header holds.
#include "cli/record_description.hpp"

#include <gtest/gtest.h>

namespace wavespec::cli {
namespace {

TEST(RecordDescription, JsonStringsEscapeAndReplaceWhatIsNotUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"ACC", "\"ACC\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"tab\there\n", "\"tab\\u0009here\\u000a\""},
        {"\xC4\x9Fi\xC5\x9F", "\"\xC4\x9Fi\xC5\x9F\""},                // "ğiş" stays as it is
        {"\xF0\x9F\x8C\x8D", "\"\xF0\x9F\x8C\x8D\""},                  // a four-byte character
        {"\xFE", "\"\xEF\xBF\xBD\""},                                  // ISO-8859-9 "ş": not UTF-8
        {"\xC4", "\"\xEF\xBF\xBD\""},                                  // a sequence cut short
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                  // an overlong form
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(json_string(text), json) << text;
}

}  // namespace
}  // namespace wavespec::cli
