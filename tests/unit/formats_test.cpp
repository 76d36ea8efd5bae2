// The formats layer below the command: which files make which record, the forms of the AT2
// count line, MiniSEED channels cut to their common span, and component names.
#include "formats/formats.hpp"

#include <gtest/gtest.h>

#include "formats/at2_reader.hpp"
#include "formats/file_trace.hpp"
#include "formats/mseed_segments.hpp"
#include "formats_samples.hpp"
#include "unit/record_test_support.hpp"

namespace wavespec::formats {
namespace {

using test::ScratchDir;

std::vector<std::string> names_of(const RecordInput& input) {
    std::vector<std::string> names;
    for (const std::string& path : input.paths) names.push_back(base_name(path));
    return names;
}

TEST(FormatsGrouping, FilesMakeRecordsByContentAndByTheirSets) {
    ScratchDir dir;
    samples::write_at2_triple(dir.path(), 6);  // RSN1063_TEST_XYZ000/090/-UP.AT2
    samples::write_knet_set(dir.path(), "K", 16);
    samples::write_sac_triple(dir.path(), 4, false);
    // AT2 content under names that say nothing; a CSV record under a K-NET name.
    for (int c = 0; c < 3; ++c)
        dir.write("plain" + std::to_string(c) + ".txt", samples::at2_text(c, 6));
    dir.write("csv.NS", "time,a,b,c\n0,1,2,3\n");
    auto p = [&](const char* name) { return dir.file(name); };
    struct Case {
        std::vector<std::string> paths;
        std::vector<std::vector<std::string>> records;  // file names of each record, in order
        std::vector<std::string> stems;
    };
    std::vector<Case> cases = {
        {{p("RSN1063_TEST_XYZ-UP.AT2")},
         {{"RSN1063_TEST_XYZ000.AT2", "RSN1063_TEST_XYZ090.AT2", "RSN1063_TEST_XYZ-UP.AT2"}},
         {"RSN1063_TEST_XYZ"}},
        {{p("K.UD"), p("K.NS"), p("csv.NS")}, {{"K.NS", "K.EW", "K.UD"}, {"csv.NS"}}, {"K", "csv"}},
        {{p("plain2.txt"), p("plain0.txt"), p("plain1.txt")},
         {{"plain2.txt", "plain0.txt", "plain1.txt"}},
         {"plain"}},
        {{p("XYZ.HHZ.SAC"), p("XYZ.HHE.SAC"), p("XYZ.HHN.SAC"), p("K.EW")},
         {{"XYZ.HHN.SAC", "XYZ.HHE.SAC", "XYZ.HHZ.SAC"}, {"K.NS", "K.EW", "K.UD"}},
         {"XYZ.HH", "K"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.paths.front());
        std::vector<RecordInput> records = group_record_inputs(test.paths, InputFormat::automatic);
        ASSERT_EQ(records.size(), test.records.size());
        for (std::size_t r = 0; r < records.size(); ++r) {
            EXPECT_EQ(names_of(records[r]), test.records[r]);
            EXPECT_EQ(records[r].stem, test.stems[r]);
        }
    }
    // A format asked for overrides the content.
    std::vector<std::string> forced = {p("K.NS")};
    std::vector<RecordInput> as_csv = group_record_inputs(forced, InputFormat::csv);
    ASSERT_EQ(as_csv.size(), 1u);
    EXPECT_EQ(as_csv[0].format, InputFormat::csv);
}

TEST(FormatsAt2, BothFormsOfTheCountLineAndUnitsByExtension) {
    const std::string body = "  .5  -1.25E-1\n  2\n";
    struct Case {
        std::string file, count_line;
        double dt, first;
    };
    for (const Case& test : std::vector<Case>{
             {"a.AT2", "NPTS=    3, DT=  .0050 SEC", 0.005, 0.5 * kStandardGravityGal},
             {"a.at2", "3 .0100 NPTS, DT", 0.01, 0.5 * kStandardGravityGal},
             {"a.VT2", "NPTS= 3, DT= 0.02 SEC, units cm/s", 0.02, 0.5},
             {"a.DT2", "   3   .02   NPTS, DT", 0.02, 0.5}}) {
        FileTrace trace = read_at2(test.file, "h1\nh2\nh3\n" + test.count_line + "\n" + body, "H1");
        EXPECT_EQ(trace.dt, test.dt) << test.file;
        ASSERT_EQ(trace.samples.size(), 3u) << test.file;
        EXPECT_EQ(trace.samples[0], test.first) << test.file;
        EXPECT_EQ(trace.samples[2], 4 * test.first) << test.file;
    }
}

MseedSegment segment(std::string channel, std::int64_t start_us, std::vector<double> samples) {
    MseedSegment s{"f.mseed",          "XX", "S", "", std::move(channel), start_us, 0, 100.0,
                   std::move(samples), {}};
    s.end_us = start_us + static_cast<std::int64_t>(s.samples.size() - 1) * 10000;
    return s;
}

TEST(FormatsMseed, ChannelsAreCutToTheirCommonSpan) {
    // N starts 20 ms early, E ends 10 ms early, Z has a gap outside the common span.
    std::vector<MseedSegment> segments = {segment("HHZ", 0, {30, 31, 32, 33, 34, 35}),
                                          segment("HHN", -20000, {8, 9, 10, 11, 12, 13, 14, 15}),
                                          segment("HHE", 0, {20, 21, 22, 23, 24}),
                                          segment("HHZ", -100000, {1, 2}),
                                          segment("BHZ", 0, {0, 0})};
    WaveformRecord record = assemble_mseed_record(segments, "XX.S..HH", "r");
    EXPECT_EQ(record.dt, 0.01);
    EXPECT_EQ(record.components[0].name, "HHN");
    EXPECT_EQ(record.components[0].samples, (std::vector<double>{10, 11, 12, 13, 14}));
    EXPECT_EQ(record.components[1].samples, (std::vector<double>{20, 21, 22, 23, 24}));
    EXPECT_EQ(record.components[2].samples, (std::vector<double>{30, 31, 32, 33, 34}));
    EXPECT_THROW(assemble_mseed_record(segments, "XX.S..BH", "r"), FormatError);  // BHZ alone
    EXPECT_EQ(iso_time(-1), "1969-12-31T23:59:59.999999");
    EXPECT_EQ(iso_time(951782400000000), "2000-02-29T00:00:00.000000");
}

#ifdef WAVESPEC_HAVE_MSEED
// A channel's records join in time order, whatever their order in the file; a missing record
// splits its channel in two, each piece with its own samples and start.
TEST(FormatsMseed, RecordsJoinInTimeOrderWhateverTheirOrderInTheFile) {
    const std::size_t n = 2000;
    std::vector<samples::MseedChannel> channels;
    for (int c = 0; c < 3; ++c) {
        channels.push_back({std::string("HH") + "NEZ"[c], samples::sample_counts(c, n)});
    }
    const std::string bytes = samples::mseed_bytes(channels);  // HHN's records first
    const std::size_t count = bytes.size() / 512;
    ASSERT_GT(count, 12u);  // several records a channel
    std::vector<std::size_t> reversed, interleaved, without_second;
    for (std::size_t i = count; i-- > 0;) reversed.push_back(i);
    for (std::size_t i = 0; i < count; i += 2) interleaved.push_back(i);
    for (std::size_t i = 1; i < count; i += 2) interleaved.push_back(i);
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 1) without_second.push_back(i);
    }
    struct Case {
        const char* name;
        std::vector<std::size_t> order;  // the records in file order
    };
    for (const Case& test : {Case{"reversed", reversed}, Case{"interleaved", interleaved},
                             Case{"HHN's second record left out", without_second}}) {
        SCOPED_TRACE(test.name);
        std::string file;
        for (std::size_t i : test.order) file += bytes.substr(i * 512, 512);
        std::vector<MseedSegment> segments = read_mseed_segments("f.mseed", file);
        const bool gap = test.order.size() < count;
        ASSERT_EQ(segments.size(), gap ? 4u : 3u);
        std::size_t samples_seen = 0;
        for (const MseedSegment& segment : segments) {
            const auto& counts = channels[std::string("NEZ").find(segment.channel[2])].counts;
            // Where the piece lies in the channel: from its start time.
            const auto first =
                static_cast<std::size_t>((segment.start_us - channels[0].start_us) / 10000);
            ASSERT_LE(first + segment.samples.size(), n);
            EXPECT_TRUE(std::equal(segment.samples.begin(), segment.samples.end(),
                                   counts.begin() + static_cast<std::ptrdiff_t>(first)));
            EXPECT_EQ(
                segment.end_us,
                segment.start_us + static_cast<std::int64_t>(segment.samples.size() - 1) * 10000);
            samples_seen += segment.samples.size();
        }
        if (gap) {
            EXPECT_LT(samples_seen, 3 * n);
        } else {
            EXPECT_EQ(samples_seen, 3 * n);
        }
    }
}

// A file cut inside a record fails alone; a group of other files that it showed before the cut
// fails with it (it would lack its samples), and the other groups still make their records.
TEST(FormatsGrouping, AnUnreadableMiniSeedFileFailsItsGroupsAlone) {
    auto channels = [](const char* band) {
        std::vector<samples::MseedChannel> list;
        for (int c = 0; c < 3; ++c) {
            list.push_back({std::string(band) + "NEZ"[c], samples::sample_counts(c, 900)});
        }
        return list;
    };
    struct Case {
        const char* cut_band;  // the channels of the file that is cut
        std::size_t records;   // and failures: the cut file, and the good file's group if cut
    };
    for (Case test : {Case{"BH", 1}, Case{"HH", 0}}) {
        SCOPED_TRACE(test.cut_band);
        ScratchDir dir;
        dir.write("good.mseed", samples::mseed_bytes(channels("HH")));
        std::string cut = samples::mseed_bytes(channels(test.cut_band));
        ASSERT_GT(cut.size(), 1000u);
        dir.write("cut.mseed", cut.substr(0, 1000));
        std::vector<std::string> paths = {dir.file("good.mseed"), dir.file("cut.mseed")};
        GroupedInputs grouped = group_each_record_input(paths, InputFormat::automatic);
        ASSERT_EQ(grouped.records.size(), test.records);
        if (test.records == 1) {
            EXPECT_EQ(grouped.records[0].channel_group, "XX.XYZ.00.HH");
        }
        ASSERT_EQ(grouped.failures.size(), 2 - test.records);
        EXPECT_EQ(grouped.failures[0],
                  dir.file("cut.mseed") + ": byte 512: the file ends inside a MiniSEED record");
        if (test.records == 0) {
            EXPECT_NE(grouped.failures[1].find("XX.XYZ.00.HH is not read: its file " +
                                               dir.file("cut.mseed")),
                      std::string::npos)
                << grouped.failures[1];
        }
    }
}
#endif

TEST(FormatsNames, ComponentNamesArePlainWordsTheDialogueKeeps) {
    EXPECT_EQ(plain_word(" N-S ", "x"), "N-S");
    EXPECT_EQ(plain_word("H 1,a\"b", "x"), "H_1_a_b");
    EXPECT_EQ(plain_word("", "fallback"), "fallback");
    EXPECT_EQ(plain_word("abcdefghijklmnopqrstuvwxyz", "x"), "abcdefghijklmnopqrst");
}

}  // namespace
}  // namespace wavespec::formats
