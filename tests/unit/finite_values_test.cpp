// The last check before a newer file is written: a number reading nan or inf is found and
// named by its column; names (the header, a column of component names) are not numbers.
#include "cli/finite_values.hpp"

#include <gtest/gtest.h>

namespace wavespec::cli {
namespace {

struct Text {
    std::string_view file, text;
    std::optional<std::string_view> found;  // the start of the message
};

TEST(FiniteValues, TheFirstFieldReadingNanOrInfIsNamedByItsColumnAndLine) {
    const Text cases[] = {
        {"smoothed.csv", "frequency(Hz),nan,inf,UD,H/V\n1,2,3,4,5\n", std::nullopt},
        {"measures.csv", "component,PGA,PGV\ninf,1,2\n-nan,3,4\n", std::nullopt},
        {"measures.csv", "component,PGA,PGV\nNS,1,-nan\n", "measures.csv: PGV on line 2"},
        {"response.csv", "d,p,component,Sd\n0.05,1,\"inf\",2\n0.05,2,EW,inf\n",
         "response.csv: Sd on line 3"},
        {"hv.csv", "frequency(Hz),mean\n1,2\n2,-inf\n", "hv.csv: mean on line 3"},
        {"hv.csv", "frequency(Hz),mean\n1,2\n2,info\n3,nano\n", std::nullopt},
        {"hv-summary.txt", "H/V of noise\nf0 = 2 Hz, A0 = nan\n",
         "hv-summary.txt: a value on line 2"},
        {"hv-summary.txt", "windows (nan) of\n", "hv-summary.txt: a value on line 1"},
    };
    for (const Text& c : cases) {
        std::optional<std::string> why = non_finite_field(c.file, c.text);
        ASSERT_EQ(why.has_value(), c.found.has_value()) << c.text << (why ? *why : "");
        if (why) {
            EXPECT_TRUE(why->starts_with(*c.found)) << *why;
        }
    }
}

}  // namespace
}  // namespace wavespec::cli
