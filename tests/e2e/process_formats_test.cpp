// wavespec process on the networks' formats: processing the original files and processing
// the record converted to the tool's CSV give the same bytes in every file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"

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
    if (!windows_tool()) {
        sets.push_back({"mseed",
                        [](const fs::path& d) {
                            write_mseed_file(d, n);
                            return std::vector<std::string>{"XYZ.mseed"};
                        },
                        ""});
    }
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
            EXPECT_EQ(read_file(dir / "original" / file), read_file(entry.path())) << file;
            ++compared;
        }
        EXPECT_EQ(compared, 8u);
    }
}

}  // namespace
}  // namespace wavespec::test
