// The records of a list and the shard each lands in, decided from the names alone.
#include "cli/record_list.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "cli/option_parser.hpp"

namespace wavespec::cli {
namespace {

TEST(RecordList, FnvOneA64MatchesThePublishedVectors) {
    // The FNV authors' test vectors for FNV-1a, 64 bits.
    const std::pair<const char*, std::uint64_t> vectors[] = {
        {"", 0xcbf29ce484222325ull},
        {"a", 0xaf63dc4c8601ec8cull},
        {"foobar", 0x85944171f73967e8ull},
    };
    for (auto [text, hash] : vectors) EXPECT_EQ(fnv1a_64(text), hash) << text;
}

TEST(RecordList, TheShardStemComesFromTheNamesAlone) {
    const std::pair<ListedRecord, std::string> cases[] = {
        {{"dir/x.y.csv"}, "x.y"},
        {{"k/IWT0101103111446.NS"}, "IWT0101103111446"},
        {{"IWT010.ew"}, "IWT010"},
        {{"kik/FKSH1011.EW1"}, "FKSH1011-borehole"},
        {{"FKSH1011.ud2"}, "FKSH1011-surface"},
        {{"FKSH1011.UD3"}, "FKSH1011"},  // not a KiK-net site: the name without its extension
        {{"nga/RSN1063_NORTHR_RRS228.AT2"}, "RSN1063"},
        {{"rsn12_x-UP.at2"}, "RSN12"},
        {{"RSN_x.AT2"}, "RSN_x"},
        {{"IU.ANMO.00.BHN.sac", "d/IU.ANMO.00.BHE.sac", "IU.ANMO.00.BHZ.sac"}, "IU.ANMO.00.BH"},
    };
    for (const auto& [record, stem] : cases) EXPECT_EQ(shard_stem(record), stem) << record.front();
}

TEST(RecordList, ShardsAreCheckedAtTheEdge) {
    using Env = std::map<std::string, std::string>;
    struct Case {
        std::string text;
        Env env;
        std::optional<std::pair<std::uint64_t, std::uint64_t>> shard;  // nothing: refused
    };
    const Case cases[] = {
        {"0/1", {}, {{0, 1}}},
        {"2/3", {}, {{2, 3}}},
        {"3/3", {}, {}},
        {"1/0", {}, {}},
        {"-1/2", {}, {}},
        {"1", {}, {}},
        {"1/2/3", {}, {}},
        {"slurm", {}, {}},
        {"slurm",
         {{"SLURM_ARRAY_TASK_ID", "5"},
          {"SLURM_ARRAY_TASK_MIN", "4"},
          {"SLURM_ARRAY_TASK_MAX", "7"}},
         {{1, 4}}},
        {"slurm", {{"SLURM_ARRAY_TASK_ID", "2"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, {{2, 4}}},
        {"slurm",
         {{"SLURM_ARRAY_TASK_ID", "0"},
          {"SLURM_ARRAY_TASK_MAX", "3"},
          {"SLURM_ARRAY_TASK_COUNT", "4"},
          {"SLURM_ARRAY_TASK_STEP", "1"}},
         {{0, 4}}},
        {"slurm",  // an array with gaps: COUNT is not MAX - MIN + 1
         {{"SLURM_ARRAY_TASK_ID", "0"},
          {"SLURM_ARRAY_TASK_MAX", "3"},
          {"SLURM_ARRAY_TASK_COUNT", "2"}},
         {}},
        {"slurm",
         {{"SLURM_ARRAY_TASK_ID", "0"},
          {"SLURM_ARRAY_TASK_MAX", "6"},
          {"SLURM_ARRAY_TASK_STEP", "2"}},
         {}},
        {"slurm", {{"SLURM_ARRAY_TASK_ID", "4"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, {}},
        {"slurm", {{"SLURM_ARRAY_TASK_ID", "x"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " with " + std::to_string(c.env.size()) + " variables");
        auto getenv = [&](const char* name) -> const char* {
            auto it = c.env.find(name);
            return it == c.env.end() ? nullptr : it->second.c_str();
        };
        if (!c.shard) {
            EXPECT_THROW(parse_shard(c.text, getenv), UsageError);
            continue;
        }
        Shard shard = parse_shard(c.text, getenv);
        EXPECT_EQ(shard.index, c.shard->first);
        EXPECT_EQ(shard.count, c.shard->second);
    }
}

TEST(RecordList, LinesAreSplitAtLineFeedsAndTabsOnly) {
    std::filesystem::path file = std::filesystem::temp_directory_path() / "wavespec-list-test";
    std::ofstream(file, std::ios::binary) << "a.csv\r\n\n# note\n b.csv \nc.sac\td.sac\r\n#\r\n"
                                          << "e.csv";
    std::vector<ListedRecord> expected = {{"a.csv"}, {" b.csv "}, {"c.sac", "d.sac"}, {"e.csv"}};
    EXPECT_EQ(read_record_list(file.string()), expected);
    std::filesystem::remove(file);
    EXPECT_THROW(read_record_list(file.string()), UsageError);
}

}  // namespace
}  // namespace wavespec::cli
