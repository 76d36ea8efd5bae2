// The JSON reader of run.json: whole values only, numbers kept as written.
#include "records/json_text.hpp"

#include <gtest/gtest.h>

namespace wavespec::json {
namespace {

TEST(JsonText, RefusesWhatIsNotOneWholeValue) {
    for (const char* text : {"", "{", "{\"a\":1,}", "[1 2]", "nan", "1e999", "\"a", "\"\x01\"",
                             "{\"a\" 1}", "[1]x", "\"\\ud800\"", "\"\\q\"", "-", "1.", "tru"}) {
        EXPECT_FALSE(parse(text)) << text;
    }
    std::string deep(100, '[');
    EXPECT_FALSE(parse(deep + std::string(100, ']')));
}

TEST(JsonText, ReadsMembersStringsAndLargeIntegersExactly) {
    auto value = parse(
        R"( {"n": 1796908857483546716, "s": "a\"\\\u00e9\ud83d\ude00\n", "x": [null, true, false, -2.5e-3]} )");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->find("n")->integer(), 1796908857483546716);
    EXPECT_EQ(value->find("s")->text, "a\"\\\xc3\xa9\xf0\x9f\x98\x80\n");
    const Value& x = *value->find("x");
    ASSERT_EQ(x.items.size(), 4u);
    EXPECT_EQ(x.items[0].kind, Value::Kind::null);
    EXPECT_TRUE(x.items[1].flag);
    EXPECT_FALSE(x.items[2].flag);
    EXPECT_EQ(x.items[3].real(), -2.5e-3);
    EXPECT_FALSE(x.items[3].integer());
    EXPECT_EQ(value->find("missing"), nullptr);
}

// The strings of info --json and run.json stay valid UTF-8 whatever bytes a header holds.
TEST(JsonText, QuotedStringsEscapeAndReplaceWhatIsNotUtf8) {
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
    for (const auto& [text, json] : cases) EXPECT_EQ(json::quoted(text), json) << text;
}

TEST(JsonText, QuotedTextReadsBackToTheSameCharacters) {
    const std::string text = "tab\there \"q\" back\\ \x01 \xc3\xa9";
    auto value = parse(json::quoted(text));
    ASSERT_TRUE(value);
    EXPECT_EQ(value->text, text);
}

}  // namespace
}  // namespace wavespec::json
