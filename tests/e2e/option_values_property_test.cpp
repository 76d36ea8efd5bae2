// Every numeric option, given awkward values on a tiny record: each run is refused as a usage
// error naming the option, or fails the record alone, or finishes quickly in little memory
// with no nan or inf in any newer file. Both layouts, alternately.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>

#include "e2e/measured_run.hpp"
#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr double kSlower = 10.0;  // the sanitizers' own cost
#else
constexpr double kSlower = 1.0;
#endif

struct Template {
    const char* option;              // as named in a refusal
    std::vector<std::string> parts;  // arguments; "{}" stands for the value
};

const Template kTemplates[] = {
    {"--smooth", {"--smooth=konno-ohmachi:{}"}},
    {"--smooth", {"--smooth=parzen:{}"}},
    {"--smooth-points", {"--smooth=parzen", "--smooth-points={}"}},
    {"--hv-windows", {"--hv-windows={}"}},
    {"--periods", {"--response-spectra", "--periods={}"}},
    {"--periods", {"--response-spectra", "--periods=0.1:{}:5"}},
    {"--periods", {"--response-spectra", "--periods=0.1:1:{}"}},
    {"--damping", {"--response-spectra", "--damping={}"}},
    {"--bandpass", {"--bandpass=0,{},5,10"}},
    {"--bandpass", {"--bandpass={},{},{},{}"}},
    {"--window", {"--window={},0.2"}},
    {"--window", {"--window=0,{}"}},
    {"--skip", {"--skip={}"}},
    {"--jobs", {"--jobs={}"}},
    {"--invert", {"--invert={}"}},
};

// Extremes, subnormals, huge and negative numbers, duplicates, empty items, non-numbers.
const char* const kValues[] = {
    "0",          "-0",       "1",
    "-1",         "4.9e-324", "2.2250738585072014e-308",
    "1e-300",     "1e300",    "1.7976931348623157e308",
    "-1e300",     "1e-6",     "99999",
    "2147483648", "",         ",",
    "1,,2",       "1,1",      "nan",
    "inf",        " 1",       "1e",
};

std::string with_value(std::string part, const std::string& value) {
    for (std::size_t at; (at = part.find("{}")) != std::string::npos;) part.replace(at, 2, value);
    return part;
}

// A token that reads as not finite, in any spelling a C library or another runtime may use.
bool holds_non_finite(const std::string& text) {
    std::string token;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        char c = i < text.size() ? text[i] : '\n';
        if (std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == '=' || c == '(' ||
            c == ')') {
            std::string bare = token;
            if (!bare.empty() && (bare[0] == '-' || bare[0] == '+')) bare.erase(0, 1);
            std::transform(bare.begin(), bare.end(), bare.begin(),
                           [](unsigned char x) { return std::tolower(x); });
            if (bare == "nan" || bare == "inf" || bare == "infinity") return true;
            token.clear();
        } else {
            token += c;
        }
    }
    return false;
}

TEST(OptionValuesProperty, EveryRunIsRefusedFailsAloneOrFinishesSmallWithFiniteFiles) {
    if (windows_tool()) GTEST_SKIP() << "runs the native tool as a direct child";
    const std::set<std::string> newer = {"smoothed.csv", "hv.csv",       "hv-summary.txt",
                                         "response.csv", "measures.csv", "response-summary.txt"};
    ScratchDir dir;
    write_file(dir / "r.csv", smooth_record(64));
    write_file(dir / "keyboard", "");
    int index = 0;
    for (const Template& t : kTemplates) {
        for (const char* value : kValues) {
            const bool full = index++ % 2 == 1;
            std::string arguments =
                std::string("process -q -C out ") + (full ? "--layout=full" : "--layout=legacy");
            for (const std::string& part : t.parts)
                arguments += " '" + with_value(part, value) + "'";
            arguments += " r.csv";
            SCOPED_TRACE(arguments);
            MeasuredRun measured =
                run_measured(dir.path(), dir / "keyboard",
                             {.stdout_path = {}, .file_size_limit = -1, .arguments = arguments});
            const ToolRun& run = measured.run;
            std::vector<std::string> err = split_lines(run.err);
            // Processor time: the machine may be busy with other work.
            EXPECT_LE(measured.cpu_seconds, 2.0 * kSlower);
            EXPECT_LE(measured.peak_kib, static_cast<long>(200 * 1024 * kSlower));
            if (run.exit_status == 2 || run.exit_status == 1) {
                ASSERT_EQ(err.size(), 1u) << run.err;
                EXPECT_NE(err[0].find(run.exit_status == 2 ? t.option : "r.csv"), std::string::npos)
                    << err[0];
                EXPECT_FALSE(fs::exists(dir / "out"));
                continue;
            }
            ASSERT_EQ(run.exit_status, 0) << run.err;
            for (const auto& entry : fs::directory_iterator(dir / "out")) {
                std::string name = entry.path().filename().string();
                if (!newer.count(name) && !(full && name.ends_with(".csv"))) continue;
                EXPECT_FALSE(holds_non_finite(read_file(entry.path()))) << name;
            }
            fs::remove_all(dir / "out");
        }
    }
}

}  // namespace
}  // namespace wavespec::test
