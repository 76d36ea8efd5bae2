// wavespec flatfile: the rows are each record's own measures.csv and response.csv, read back
// here field by field; the refusals leave no table behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;

// The records of a CSV text as RFC 4180 reads them.
std::vector<std::vector<std::string>> read_csv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            rows.back().back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            rows.back().emplace_back();
        } else if (!quoted && c == '\n') {
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
    return rows;
}

void write_records(const fs::path& dir, const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        write_file(dir / names[i], make_record(200, 0.01, [i](int k, double t) {
                       return std::sin((1.0 + 0.2 * static_cast<double>(i)) * k * t) + 0.1 * k;
                   }));
    }
}

const std::string kPeriods = "--periods=0.1,1";
const std::string kDampings = "--damping=0.05,0.02";

// The runs of the tests: a,b and r1 in a/, r2 alone in b/deep/.
void make_runs(const ScratchDir& dir) {
    write_records(dir.path(), {"a,b.csv", "r1.csv", "r2.csv"});
    for (const auto& [out, records] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"a", {"a,b.csv", "r1.csv"}}, {"b/deep", {"r2.csv"}}}) {
        std::vector<std::string> args = {"process", "-q",     "-C", out, "--response-spectra",
                                         kPeriods,  kDampings};
        args.insert(args.end(), records.begin(), records.end());
        ASSERT_EQ(run_tool_with(dir.path(), args).exit_status, 0);
    }
}

TEST(Flatfile, EachRowHoldsTheRecordsOwnMeasuresAndSpectra) {
    ScratchDir dir;
    make_runs(dir);
    ToolRun run = run_tool_with(dir.path(), {"flatfile", "b", "a", "-o", "flat.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    std::string text = read_file(dir / "flat.csv");
    auto table = read_csv(text);
    ASSERT_EQ(table.size(), 1u + 3 * 8);
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "stem,component,files,format,network,station,location,channels,start,dt,nt,units,"
              "highpass,lowpass,PGA,PGV,PGD,Arias,D5-75,D5-95,CAV,SA(0.1),SA(1),"
              "\"SA(0.1,0.02)\",\"SA(1,0.02)\"");
    const std::vector<std::pair<std::string, fs::path>> records = {
        {"a,b", dir / "a" / "a,b"}, {"r1", dir / "a" / "r1"}, {"r2", dir / "b" / "deep"}};
    const char* const kComponents[] = {"H1",     "H2",      "V",        "RotD00",
                                       "RotD50", "RotD100", "GMRotD50", "GMRotI50"};
    const char* const kNames[] = {"NS",     "EW",      "UD",       "RotD00",
                                  "RotD50", "RotD100", "GMRotD50", "GMRotI50"};
    for (std::size_t r = 0; r < records.size(); ++r) {
        const auto& [stem, run_dir] = records[r];
        auto measures = read_csv(read_file(run_dir / "measures.csv"));
        // response.csv by damping, period and component: its PSA field.
        std::map<std::string, std::string> psa;
        for (const auto& row : read_csv(read_file(run_dir / "response.csv"))) {
            psa[row[0] + "|" + row[1] + "|" + row[2]] = row[7];
        }
        for (std::size_t c = 0; c < 8; ++c) {
            const auto& row = table[1 + r * 8 + c];
            SCOPED_TRACE(stem + " " + kComponents[c]);
            ASSERT_EQ(row.size(), 25u);
            EXPECT_EQ(row[0], stem);
            EXPECT_EQ(row[1], kComponents[c]);
            EXPECT_EQ(row[2], stem + ".csv");
            EXPECT_EQ(row[3], "csv");
            EXPECT_EQ(row[7], "NS;EW;UD");
            EXPECT_EQ(row[9], "0.01");
            EXPECT_EQ(row[10], "200");
            for (std::size_t m = 0; m < 7; ++m) {
                if (c < 3) {
                    EXPECT_EQ(std::stod(row[14 + m]), std::stod(measures[1 + c][1 + m])) << m;
                } else {
                    EXPECT_EQ(row[14 + m], "");
                }
            }
            const std::string keys[] = {"0.05|0.1|", "0.05|1|", "0.02|0.1|", "0.02|1|"};
            for (std::size_t k = 0; k < 4; ++k) {
                EXPECT_EQ(std::stod(row[21 + k]), std::stod(psa.at(keys[k] + kNames[c]))) << k;
            }
        }
    }
}

TEST(Flatfile, PeriodsKeepsOnlyThosePeriodsAndRefusesOneARunLacks) {
    ScratchDir dir;
    make_runs(dir);
    ToolRun kept =
        run_tool_with(dir.path(), {"flatfile", "a", "b", "-o", "flat.csv", "--periods=1"});
    ASSERT_EQ(kept.exit_status, 0) << kept.err;
    auto table = read_csv(read_file(dir / "flat.csv"));
    ASSERT_EQ(table.front().size(), 23u);
    EXPECT_EQ(table.front()[21], "SA(1)");
    EXPECT_EQ(table.front()[22], "SA(1,0.02)");
    ToolRun lacking =
        run_tool_with(dir.path(), {"flatfile", "a", "b", "-o", "other.csv", "--periods=0.5"});
    EXPECT_EQ(lacking.exit_status, 1);
    EXPECT_NE(lacking.err.find("no period 0.5"), std::string::npos) << lacking.err;
    EXPECT_FALSE(fs::exists(dir / "other.csv"));
}

// The corners of each row are the ones the run was asked for (its processing.txt), empty where
// it was not filtered.
TEST(Flatfile, HighpassAndLowpassAreTheCornersTheRunFilteredWith) {
    ScratchDir dir;
    write_records(dir.path(), {"r.csv"});
    const struct {
        std::vector<std::string> options;
        std::string highpass, lowpass;
    } cases[] = {
        {{}, "", ""},
        {{"--highpass=0.2"}, "0.2", ""},
        {{"--highpass=0.125,2", "--lowpass=25", "--filter=causal"}, "0.125", "25"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"process", "-q", "-C", "out", "r.csv"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(run_tool_with(dir.path(), args).exit_status, 0);
        ASSERT_EQ(run_tool_with(dir.path(), {"flatfile", "out", "-o", "flat.csv"}).exit_status, 0);
        auto table = read_csv(read_file(dir / "flat.csv"));
        ASSERT_EQ(table.size(), 4u);  // no response spectra: H1, H2, V
        for (std::size_t r = 1; r < table.size(); ++r) {
            SCOPED_TRACE(c.highpass + " " + c.lowpass + " row " + std::to_string(r));
            EXPECT_EQ(table[r][12], c.highpass);
            EXPECT_EQ(table[r][13], c.lowpass);
        }
    }
}

TEST(Flatfile, RefusalsWriteNoTableAndSayWhy) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> spoil;
        std::vector<std::string> dirs;
        int status;
        std::string message;
        bool written;  // a table of the other records
    };
    const Case cases[] = {
        {"no run",
         [](const fs::path& d) { fs::create_directories(d / "empty"); },
         {"empty"},
         1,
         "no run",
         false},
        {"a directory that does not exist",
         [](const fs::path&) {},
         {"a", "nowhere"},
         1,
         "nowhere: no such directory",
         false},
        {"the same stem twice",
         [](const fs::path& d) { fs::copy(d / "a" / "r1", d / "b" / "r1"); },
         {"a", "b"},
         1,
         "the stem 'r1' is both",
         false},
        {"a listed file missing",
         [](const fs::path& d) { fs::remove(d / "a" / "r1" / "amp3.csv"); },
         {"a", "b"},
         1,
         "lists amp3.csv, which is not there",
         true},
        {"run.json that does not parse",
         [](const fs::path& d) { write_file(d / "b" / "deep" / "run.json", "{"); },
         {"b"},
         1,
         "no run",
         false},
        {"run.json under a link only",
         [](const fs::path& d) { fs::create_directory_symlink(d / "a", d / "linked"); },
         {"."},
         0,
         "",
         true},
        {"periods that differ",
         [](const fs::path& d) {
             ASSERT_EQ(run_tool_with(d, {"process", "-q", "-C", "c", "--response-spectra",
                                         "--periods=0.1,2", kDampings, "r1.csv"})
                           .exit_status,
                       0);
             fs::rename(d / "c", d / "b" / "c");
             fs::remove_all(d / "a");
         },
         {"b"},
         1,
         "its periods are not those of",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The Windows tool under Wine sees the test's symbolic link as a plain directory.
        if (windows_tool() && std::string_view(c.what) == "run.json under a link only") continue;
        ScratchDir dir;
        make_runs(dir);
        c.spoil(dir.path());
        std::vector<std::string> args = {"flatfile", "-o", "flat.csv"};
        args.insert(args.end(), c.dirs.begin(), c.dirs.end());
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(fs::exists(dir / "flat.csv"), c.written);
    }
    ScratchDir dir;
    EXPECT_EQ(run_tool_with(dir.path(), {"flatfile", "."}).exit_status, 2);
}

}  // namespace
}  // namespace wavespec::test
