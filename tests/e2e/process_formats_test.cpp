// wavespec process on the networks' formats: processing the original files and processing
// the record converted to the tool's CSV give the same bytes in every file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"
#include "same_bytes.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;
using namespace wavespec::samples;

struct SampleSet {
    std::string label;
    std::function<std::vector<std::string>(const fs::path&)> write;  // the paths to name
    std::string stem;                                                // the record's directory
};

TEST(ProcessFormats, OriginalFilesAndTheirConvertedCsvGiveTheSameFiles) {
    constexpr std::size_t n = 700;
    std::vector<SampleSet> sets = {
        {"knet",
         [](const fs::path& d) {
             write_knet_set(d, "XYZ0012001020304", n);
             return std::vector<std::string>{"XYZ0012001020304.NS"};
         },
         "XYZ0012001020304"},
        {"at2",
         [](const fs::path& d) {
             write_at2_triple(d, n);
             return std::vector<std::string>{"RSN1063_TEST_XYZ-UP.AT2"};
         },
         ""},
        {"sac",
         [](const fs::path& d) {
             write_sac_triple(d, n, true);
             return std::vector<std::string>{"XYZ.HHN.SAC", "XYZ.HHE.SAC", "XYZ.HHZ.SAC"};
         },
         ""},
    };
#ifdef WAVESPEC_HAVE_MSEED
    sets.push_back({"mseed",
                    [](const fs::path& d) {
                        write_mseed_file(d, n);
                        return std::vector<std::string>{"XYZ.mseed"};
                    },
                    ""});
#endif
    const std::vector<std::string> job = {"process",     "-q",     "--bandpass=0.2,0.5,10,20",
                                          "--integrate", "--plot", "-C"};
    for (const SampleSet& set : sets) {
        SCOPED_TRACE(set.label);
        ScratchDir dir;
        std::vector<std::string> inputs = set.write(dir.path());
        std::vector<std::string> convert = {"convert", "-o", "converted.csv"};
        convert.insert(convert.end(), inputs.begin(), inputs.end());
        ASSERT_EQ(run_tool_with(dir.path(), convert).exit_status, 0);

        std::vector<std::string> original = job, converted = job;
        original.push_back("original");
        original.insert(original.end(), inputs.begin(), inputs.end());
        converted.insert(converted.end(), {"converted", "converted.csv"});
        ToolRun run = run_tool_with(dir.path(), original);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        ASSERT_EQ(run_tool_with(dir.path(), converted).exit_status, 0);

        std::size_t compared = 0;
        for (const auto& entry : fs::directory_iterator(dir / "converted")) {
            std::string file = entry.path().filename().string();
            if (file.ends_with(".svg")) continue;  // their titles name the records
            if (file == "run.json") continue;      // it names the input files
            EXPECT_PRED_FORMAT2(same_bytes, read_file(dir / "original" / file),
                                read_file(entry.path()))
                << file;
            ++compared;
        }
        EXPECT_EQ(compared, 8u);
    }
}

}  // namespace
}  // namespace wavespec::test

namespace wavespec::test {
namespace {

// SAC files of one station, component names as given.
void write_sac_station(const fs::path& dir, const std::string& station,
                       const std::vector<std::string>& components) {
    for (std::size_t c = 0; c < components.size(); ++c) {
        write_bytes(dir / (station + "." + components[c] + ".SAC"),
                    sac_bytes(sac_values(static_cast<int>(c % 3), 500), 0.01f, components[c], false,
                              station));
    }
}

TEST(ProcessFormats, AFileThatMakesNoRecordFailsAloneAndTheOtherSetsRun) {
    struct Broken {
        const char* what;
        std::vector<std::string> components;  // of station CCC, given between the good ones
        std::string message;                  // its one line on standard error
    };
    const Broken cases[] = {
        {"a component letter that names no component",
         {"HHX"},
         "CCC.HHX.SAC: kcmpnm 'HHX' does not end in N, E, Z, 1 or 2"},
        {"a station without its Z file",
         {"HHN", "HHE"},
         "CCC.HHN.SAC: component missing: no Z file of station XX.CCC."},
    };
    for (const Broken& broken : cases) {
        SCOPED_TRACE(broken.what);
        ScratchDir dir;
        std::vector<std::string> good;
        for (const std::string station : {"AAA", "BBB"}) {
            write_sac_station(dir.path(), station, {"HHN", "HHE", "HHZ"});
            for (const char* c : {"HHN", "HHE", "HHZ"}) good.push_back(station + "." + c + ".SAC");
        }
        write_sac_station(dir.path(), "CCC", broken.components);
        std::vector<std::string> batch = {"process", "-q", "-C", "batch"};
        batch.insert(batch.end(), good.begin(), good.begin() + 3);
        for (const std::string& c : broken.components) batch.push_back("CCC." + c + ".SAC");
        batch.insert(batch.end(), good.begin() + 3, good.end());
        ToolRun run = run_tool_with(dir.path(), batch);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(split_lines(run.err).size(), 1u) << run.err;
        EXPECT_NE(run.err.find(broken.message), std::string::npos) << run.err;
        // Each good station's files are those it gets when processed alone.
        for (std::size_t s = 0; s < 2; ++s) {
            std::string stem = s == 0 ? "AAA.HH" : "BBB.HH";
            std::vector<std::string> alone = {"process", "-q", "-C", "alone-" + stem};
            alone.insert(alone.end(), good.begin() + 3 * s, good.begin() + 3 * s + 3);
            ASSERT_EQ(run_tool_with(dir.path(), alone).exit_status, 0);
            std::size_t compared = 0;
            for (const auto& entry : fs::directory_iterator(dir / ("alone-" + stem))) {
                std::string file = entry.path().filename().string();
                EXPECT_PRED_FORMAT2(same_bytes, read_file(dir / "batch" / stem / file),
                                    read_file(entry.path()))
                    << file;
                ++compared;
            }
            EXPECT_EQ(compared, 9u);  // run.json too: the same whatever else the batch holds
        }
        EXPECT_FALSE(fs::exists(dir / "batch" / "CCC.HH"));
    }
}

}  // namespace
}  // namespace wavespec::test
