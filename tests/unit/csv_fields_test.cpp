// CSV fields as RFC 4180 writes and reads them.
#include "records/csv_fields.hpp"

#include <gtest/gtest.h>

namespace wavespec {
namespace {

struct Written {
    std::string_view text, field;
};

TEST(CsvFields, QuotedOnlyWhenTheyMustBe) {
    const Written cases[] = {
        {"plain", "plain"},     {"", ""},           {" a b ", " a b "},   {"a,b", "\"a,b\""},
        {"E\"W", "\"E\"\"W\""}, {"\"", "\"\"\"\""}, {"a\rb", "\"a\rb\""}, {"line\n", "\"line\n\""},
    };
    for (const Written& c : cases) EXPECT_EQ(csv_field(c.text), c.field) << c.text;
}

struct Read {
    std::string_view line;
    std::optional<std::vector<std::string>> fields;
};

TEST(CsvFields, ReadBackWithQuotesUndoneAndBrokenQuotesRefused) {
    using F = std::vector<std::string>;
    const Read cases[] = {
        {"", F{""}},
        {"a,,b", F{"a", "", "b"}},
        {"a,", F{"a", ""}},
        {"\"N,S\",\"E\"\"W\",U D", F{"N,S", "E\"W", "U D"}},
        {"\"\"", F{""}},
        {"\"\"\"\"", F{"\""}},
        {"x,\"a,b\"", F{"x", "a,b"}},
        {"\"open", std::nullopt},
        {"\"a\"b,c", std::nullopt},
        {"a,\"b\"\"", std::nullopt},
    };
    for (const Read& c : cases) EXPECT_EQ(csv_fields(c.line), c.fields) << c.line;
}

TEST(CsvFields, TrimmedNameDropsOnlyTheBlanksOnTheRight) {
    EXPECT_EQ(trimmed_name("  U D   "), "  U D");
    EXPECT_EQ(trimmed_name("    "), "");
    EXPECT_EQ(trimmed_name("NS"), "NS");
}

}  // namespace
}  // namespace wavespec
