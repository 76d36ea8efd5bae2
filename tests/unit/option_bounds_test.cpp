// The bounds of the options' values: each edge taken, the next value beyond refused, and the
// guide's table of bounds (docs/command-line.md) the one the parser enforces.
#include "cli/option_bounds.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/option_parser.hpp"
#include "cli/process_options.hpp"

namespace wavespec::cli {
namespace {

// n distinct dampings 0.001, 0.002, ...
std::string dampings(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += (i > 1 ? ",0.00" : "0.00") + std::to_string(i) + "1";
    return text;
}

struct Edge {
    std::vector<std::string> args;
    bool taken;
};

TEST(OptionBounds, EachEdgeIsTakenAndTheValueBeyondItRefusedNamingTheOption) {
    const Edge edges[] = {
        {{"--smooth=konno-ohmachi:0.01"}, true},
        {{"--smooth=konno-ohmachi:0.0099"}, false},
        {{"--smooth=konno-ohmachi:10000"}, true},
        {{"--smooth=konno-ohmachi:10000.01"}, false},
        {{"--smooth=konno-ohmachi:1e300"}, false},
        {{"--smooth=konno-ohmachi:4.9e-324"}, false},
        {{"--smooth=parzen:1e-6"}, true},
        {{"--smooth=parzen:9.99e-7"}, false},
        {{"--smooth=parzen:1e6"}, true},
        {{"--smooth=parzen:1e-300"}, false},
        {{"--smooth=parzen:"}, false},
        {{"--smooth=parzen", "--smooth-points=10000"}, true},
        {{"--smooth=parzen", "--smooth-points=10001"}, false},
        {{"--smooth=parzen", "--smooth-points=1e3"}, false},
        {{"--hv-windows=1e-6"}, true},
        {{"--hv-windows=0"}, false},
        {{"--hv-windows=1.1e9"}, false},
        {{"--jobs=1024"}, true},
        {{"--jobs=1025"}, false},
        {{"--skip=2147483647"}, true},
        {{"--skip=2147483648"}, false},
        {{"--bandpass=0,0,1e9,1e9"}, true},
        {{"--bandpass=0,0,1,1.000001e9"}, false},
        {{"--window=-1e9,1e9"}, true},
        {{"--window=-1.1e9,1"}, false},
        {{"--window=0,1.1e9"}, false},
        {{"--invert=3,1,3"}, true},
        {{"--invert=0"}, false},
        {{"--response-spectra", "--periods=1e-6,1e5"}, true},
        {{"--response-spectra", "--periods=9.9e-7"}, false},
        {{"--response-spectra", "--periods=100001"}, false},
        {{"--response-spectra", "--periods=1,,2"}, false},
        {{"--response-spectra", "--periods="}, false},
        {{"--response-spectra", "--periods=0.1,0.2,0.1"}, false},
        {{"--response-spectra", "--periods=0.1:0.1:2"}, false},
        {{"--response-spectra", "--periods=1:1.0000000000000002:3"}, false},
        {{"--response-spectra", "--periods=1:2:2"}, true},
        {{"--response-spectra", "--periods=1:2:10001"}, false},
        {{"--response-spectra", "--periods=1:2"}, false},
        {{"--response-spectra", "--periods=1:2:3:4"}, false},
        {{"--response-spectra", "--damping=0.999"}, true},
        {{"--response-spectra", "--damping=1"}, false},
        {{"--response-spectra", "--damping=0"}, false},
        {{"--response-spectra", "--damping=" + dampings(100)}, true},
        {{"--response-spectra", "--damping=" + dampings(101)}, false},
        {{"--response-spectra", "--damping=0.05,0.050"}, false},
    };
    for (const Edge& edge : edges) {
        std::vector<std::string> args = edge.args;
        args.push_back("r.csv");
        std::string option = edge.args.back().substr(0, edge.args.back().find('='));
        SCOPED_TRACE(edge.args.back().substr(0, 80));
        if (edge.taken) {
            EXPECT_NO_THROW(parse_process_options(args));
        } else {
            try {
                parse_process_options(args);
                ADD_FAILURE() << "taken";
            } catch (const UsageError& error) {
                EXPECT_NE(std::string(error.what()).find("for " + option + ":"), std::string::npos)
                    << error.what();
            }
        }
    }
}

// The rows of the guide's table under "Bounds of option values" (docs/command-line.md).
std::set<std::tuple<std::string, std::string, std::string>> guide_rows() {
    std::ifstream guide(WAVESPEC_SOURCE_DIR "/docs/command-line.md");
    std::set<std::tuple<std::string, std::string, std::string>> rows;
    std::string line;
    bool inside = false;
    while (std::getline(guide, line)) {
        if (line.starts_with("#")) inside = line == "## Bounds of option values";
        if (!inside || !line.starts_with("| `--")) continue;
        std::vector<std::string> cells;
        std::stringstream stream(line.substr(2));
        for (std::string cell; std::getline(stream, cell, '|');) {
            cells.push_back(cell.substr(0, cell.find_last_not_of(' ') + 1));
            if (cells.back().starts_with(' ')) cells.back().erase(0, 1);
        }
        rows.insert({cells[0], cells[1], cells[2]});
    }
    return rows;
}

TEST(OptionBounds, TheGuideTableListsEveryRangeAsEnforced) {
    std::set<std::tuple<std::string, std::string, std::string>> enforced;
    for (const ValueRange& range : kValueRanges) {
        enforced.insert(
            {"`--" + std::string(range.option) + "`", std::string(range.value), range_text(range)});
    }
    EXPECT_EQ(guide_rows(), enforced);
}

}  // namespace
}  // namespace wavespec::cli
