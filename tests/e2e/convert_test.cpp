// wavespec convert end to end: one record of each format to the tool's CSV with exact values,
// and every kind of broken input refused with one line naming the file and place, nothing
// written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "e2e/records.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;
using namespace wavespec::samples;

struct Csv {
    std::vector<std::string> header;
    std::vector<std::array<double, 4>> rows;
};

Csv parse_csv(const std::string& text) {
    Csv csv;
    std::vector<std::string> lines_of_text = split_lines(text);
    std::string head = lines_of_text.at(0);
    for (std::size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
        comma = head.find(',', start);
        csv.header.push_back(head.substr(start, comma - start));
    }
    for (std::size_t i = 1; i < lines_of_text.size(); ++i) {
        std::array<double, 4> row{};
        const char* p = lines_of_text[i].c_str();
        for (double& v : row) {
            char* end = nullptr;
            v = std::strtod(p, &end);
            p = end + 1;
        }
        csv.rows.push_back(row);
    }
    return csv;
}

std::vector<double> knet_gal(int c, std::size_t n) {
    std::vector<double> v;
    double sum = 0.0;
    for (std::int32_t count : sample_counts(c, n)) {
        v.push_back(static_cast<double>(count) * 3920.0 / 6182761.0);
        sum += v.back();
    }
    double mean = sum / static_cast<double>(n);
    for (double& x : v) x -= mean;
    return v;
}

struct FormatCase {
    std::string label;
    std::function<std::vector<std::string>(const ScratchDir&)> write;  // gives the arguments
    std::vector<std::string> names;
    double dt;
    std::function<double(int, std::size_t, std::size_t)> value;  // component, sample, count
};

TEST(Convert, OneRecordOfEachFormatWithExactValues) {
    constexpr std::size_t n = 1003;  // not a multiple of 8 or 5: the last lines are short
    std::vector<FormatCase> cases = {
        {"knet",
         [](const ScratchDir& d) {
             write_knet_set(d.path(), "XYZ0012001020304", n);
             return std::vector<std::string>{"XYZ0012001020304.EW"};
         },
         {"N-S", "E-W", "U-D"},
         0.01,
         [](int c, std::size_t i, std::size_t count) { return knet_gal(c, count)[i]; }},
        {"at2",
         [](const ScratchDir& d) {
             write_at2_triple(d.path(), n);
             return std::vector<std::string>{"RSN1063_TEST_XYZ-UP.AT2"};
         },
         {"000", "090", "UP"},
         0.005,
         [](int c, std::size_t i, std::size_t count) { return at2_values(c, count)[i] * 980.665; }},
        {"sac big-endian",
         [](const ScratchDir& d) {
             write_sac_triple(d.path(), n, true);
             return std::vector<std::string>{"XYZ.HHZ.SAC", "XYZ.HHN.SAC", "XYZ.HHE.SAC"};
         },
         {"HHN", "HHE", "HHZ"},
         static_cast<double>(0.01f),
         [](int c, std::size_t i, std::size_t count) {
             return static_cast<double>(sac_values(c, count)[i]);
         }},
        {"sac little-endian",
         [](const ScratchDir& d) {
             write_sac_triple(d.path(), n, false);
             return std::vector<std::string>{"XYZ.HHN.SAC", "XYZ.HHE.SAC", "XYZ.HHZ.SAC"};
         },
         {"HHN", "HHE", "HHZ"},
         static_cast<double>(0.01f),
         [](int c, std::size_t i, std::size_t count) {
             return static_cast<double>(sac_values(c, count)[i]);
         }},
#ifdef WAVESPEC_HAVE_MSEED
        {"mseed",
         [](const ScratchDir& d) {
             write_mseed_file(d.path(), n);
             return std::vector<std::string>{"XYZ.mseed"};
         },
         {"HHN", "HHE", "HHZ"},
         0.01,
         [](int c, std::size_t i, std::size_t count) {
             return static_cast<double>(sample_counts(c, count)[i]);
         }},
#endif
    };
    for (const FormatCase& test : cases) {
        SCOPED_TRACE(test.label);
        ScratchDir dir;
        std::vector<std::string> args = {"convert"};
        for (const std::string& input : test.write(dir)) args.push_back(input);
        args.insert(args.end(), {"-o", "record.csv"});
        ToolRun run = run_tool_with(dir.path(), args);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        Csv csv = parse_csv(read_file(dir / "record.csv"));
        EXPECT_EQ(csv.header,
                  (std::vector<std::string>{"time", test.names[0], test.names[1], test.names[2]}));
        ASSERT_EQ(csv.rows.size(), n);
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_EQ(csv.rows[i][0], static_cast<double>(i) * test.dt) << "row " << i;
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(csv.rows[i][c + 1], test.value(c, i, n)) << "row " << i;
        }
    }
}

TEST(Convert, KeepOffsetKeepsTheScaledCountsAndKikNetSetsAreTwoRecords) {
    ScratchDir dir;
    std::vector<std::int32_t> counts = {5, 7, 9, 11, 13, 15, 17, 19, 21};
    const char* files[][2] = {{"NS1", "1"}, {"EW1", "2"}, {"UD1", "3"},
                              {"NS2", "4"}, {"EW2", "5"}, {"UD2", "6"}};
    for (auto& [extension, channel] : files) {
        write_bytes(dir / (std::string("K.") + extension),
                    knet_text(channel, counts, "100Hz", "2(gal)/4", "0"));
    }
    ToolRun both = run_tool_with(dir.path(), {"convert", "K.NS1", "K.UD2", "-o", "r.csv"});
    EXPECT_EQ(both.exit_status, 1);
    EXPECT_NE(both.err.find("2 records (K-borehole, K-surface)"), std::string::npos) << both.err;
    ToolRun run =
        run_tool_with(dir.path(), {"convert", "--keep-offset", "K.EW2", "--output=r.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    std::string csv = read_file(dir / "r.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n', csv.find('\n') + 1) + 1),
              "time,NS2,EW2,UD2\n0,2.5,2.5,2.5\n");
}

TEST(Convert, ComponentsOfDifferentLengthsAreCutWithANote) {
    ScratchDir dir;
    write_at2_triple(dir.path(), 12);
    write_bytes(dir / "RSN1063_TEST_XYZ090.AT2", at2_text(1, 10));
    ToolRun run = run_tool_with(dir.path(), {"convert", "RSN1063_TEST_XYZ000.AT2", "-o", "r.csv"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err,
              lines("wavespec convert: RSN1063_TEST_XYZ: components cut to the shortest, 10 "
                    "samples (000 12, 090 10, UP 12)\n"));
    EXPECT_EQ(split_lines(read_file(dir / "r.csv")).size(), 11u);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

struct BrokenCase {
    std::string label;
    std::function<void(const ScratchDir&)> write;
    std::vector<std::string> inputs;
    std::string message;  // the whole line after "wavespec convert: "
};

TEST(Convert, BrokenInputIsRefusedNamingFileAndPlaceAndWritesNothing) {
    auto knet = [](const ScratchDir& d) { write_knet_set(d.path(), "K", 300); };
    auto knet_ns = [knet](std::function<std::string(std::string)> edit) {
        return [knet, edit](const ScratchDir& d) {
            knet(d);
            write_bytes(d / "K.NS", edit(read_file(d / "K.NS")));
        };
    };
    auto at2 = [](std::function<std::string(std::string)> edit) {
        return [edit](const ScratchDir& d) {
            write_at2_triple(d.path(), 12);
            write_bytes(d / "RSN1063_TEST_XYZ090.AT2",
                        edit(read_file(d / "RSN1063_TEST_XYZ090.AT2")));
        };
    };
    auto sac = [](std::function<std::string(std::string)> edit) {
        return [edit](const ScratchDir& d) {
            write_sac_triple(d.path(), 20, true);
            write_bytes(d / "XYZ.HHE.SAC", edit(read_file(d / "XYZ.HHE.SAC")));
        };
    };
    const std::vector<std::string> sac_inputs = {"XYZ.HHN.SAC", "XYZ.HHE.SAC", "XYZ.HHZ.SAC"};
    std::vector<BrokenCase> cases = {
        {"knet truncated header",
         knet_ns([](std::string t) { return t.substr(0, t.find("Sampling")); }),
         {"K.NS"},
         "K.NS:11: the file ends inside the header (Sampling Freq(Hz) expected)"},
        {"knet field missing",
         knet_ns([](std::string t) { return replaced(t, "Dir.", "Dri."); }),
         {"K.EW"},
         "K.NS:13: header field Dir. missing"},
        {"knet unreadable frequency",
         knet_ns([](std::string t) { return replaced(t, "100Hz", "fastHz"); }),
         {"K.NS"},
         "K.NS:11: Sampling Freq(Hz) 'fastHz' is not a frequency like 100Hz"},
        {"knet zero scale",
         knet_ns([](std::string t) { return replaced(t, "3920(gal)", "0(gal)"); }),
         {"K.NS"},
         "K.NS:14: Scale Factor '0(gal)/6182761' is zero"},
        {"knet malformed scale",
         knet_ns([](std::string t) { return replaced(t, "3920(gal)/", "3920/"); }),
         {"K.NS"},
         "K.NS:14: Scale Factor '3920/6182761' is not written like 3920(gal)/6182761"},
        {"knet fewer counts than the duration",
         [knet](const ScratchDir& d) {
             knet(d);
             write_bytes(d / "K.NS", knet_text("N-S", sample_counts(0, 300), "100Hz",
                                               "3920(gal)/6182761", "5"));
         },
         {"K.NS"},
         "K.NS:55: 300 counts, but Duration Time(s) 5 at 100 Hz means 500"},
        {"knet non-integer count",
         knet_ns([](std::string t) { return replaced(t, "\n      100", "\n    1.5e3"); }),
         {"K.NS"},
         "K.NS:18: '1.5e3' is not an integer count"},
        {"knet component missing",
         [knet](const ScratchDir& d) {
             knet(d);
             fs::remove(d / "K.UD");
         },
         {"K.NS"},
         "K.NS: component missing: K.UD not found"},
        {"knet intervals differ",
         [knet](const ScratchDir& d) {
             knet(d);
             write_bytes(d / "K.EW",
                         knet_text("E-W", sample_counts(1, 300), "200Hz", "1(gal)/1", "1.5"));
         },
         {"K.NS"},
         "K.EW: sampling interval 0.005 s differs from the 0.01 s of K.NS"},
        {"knet files swapped",
         [knet](const ScratchDir& d) {
             knet(d);
             fs::rename(d / "K.UD", d / "X");
             fs::rename(d / "K.EW", d / "K.UD");
             fs::rename(d / "X", d / "K.EW");
         },
         {"K.NS"},
         "K.EW:13: Dir. gives U-D, but the file takes the set's E-W place"},
        {"at2 fewer values",
         at2([](std::string t) { return t.substr(0, t.rfind('\n', t.size() - 2) + 1); }),
         {"RSN1063_TEST_XYZ-UP.AT2"},
         "RSN1063_TEST_XYZ090.AT2:6: the file ends after 10 values; NPTS is 12"},
        {"at2 more values",
         at2([](std::string t) { return t + "  1.0\n"; }),
         {"RSN1063_TEST_XYZ-UP.AT2"},
         "RSN1063_TEST_XYZ090.AT2:8: more values than NPTS 12"},
        {"at2 count line unreadable",
         at2([](std::string t) { return replaced(t, "NPTS=  12", "NPTS=  twelve"); }),
         {"RSN1063_TEST_XYZ-UP.AT2"},
         "RSN1063_TEST_XYZ090.AT2:4: NPTS and DT unreadable in 'NPTS=  twelve, DT=   .0050 "
         "SEC'"},
        {"at2 non-finite value",
         at2([](std::string t) { return replaced(t, "\n  ", "\n  NaN "); }),
         {"RSN1063_TEST_XYZ-UP.AT2"},
         "RSN1063_TEST_XYZ090.AT2:5: 'NaN' is not a finite number"},
        {"at2 truncated header",
         at2([](std::string t) { return t.substr(0, 20); }),
         {"RSN1063_TEST_XYZ-UP.AT2"},
         "RSN1063_TEST_XYZ090.AT2:2: the file ends inside the four header lines"},
        {"at2 component missing",
         [](const ScratchDir& d) {
             write_at2_triple(d.path(), 12);
             fs::remove(d / "RSN1063_TEST_XYZ000.AT2");
         },
         {"RSN1063_TEST_XYZ-UP.AT2"},
         "RSN1063_TEST_XYZ-UP.AT2: component missing: the set RSN1063 .AT2 has 2 files beside each "
         "other, not 3"},
        // Too short to be told a SAC file by its content: the format is named.
        {"sac truncated header",
         sac([](std::string b) { return b.substr(0, 400); }),
         {"--format=sac", "XYZ.HHN.SAC", "XYZ.HHE.SAC", "XYZ.HHZ.SAC"},
         "XYZ.HHE.SAC: byte 400: the file ends inside the 632-byte SAC header"},
        {"sac truncated data", sac([](std::string b) { return b.substr(0, 632 + 4 * 19 + 2); }),
         sac_inputs, "XYZ.HHE.SAC: byte 710: the file ends after 19 samples; npts is 20"},
        {"sac more data", sac([](std::string b) { return b + std::string(4, '\0'); }), sac_inputs,
         "XYZ.HHE.SAC: byte 712: 4 bytes after the npts 20 samples"},
        {"sac non-finite sample",
         sac([](std::string b) { return b.replace(636, 4, "\x7f\xc0\0\0", 4); }), sac_inputs,
         "XYZ.HHE.SAC: byte 636: sample 2 is not a finite number"},
        {"sac not evenly spaced",
         sac([](std::string b) { return b.replace(420, 4, std::string(4, '\0')); }), sac_inputs,
         "XYZ.HHE.SAC: byte 420: leven is not true: the samples are not evenly spaced"},
        {"sac intervals differ",
         sac([](std::string b) { return b.replace(0, 4, "\x3c\x00\x00\x00", 4); }), sac_inputs,
         "XYZ.HHE.SAC: sampling interval 0.0078125 s differs from the 0.009999999776482582 s of "
         "XYZ.HHN.SAC"},
        {"sac component missing",
         [](const ScratchDir& d) { write_sac_triple(d.path(), 20, false); },
         {"XYZ.HHN.SAC", "XYZ.HHE.SAC"},
         "XYZ.HHN.SAC: component missing: no Z file of station XX.XYZ. among the files given"},
#ifdef WAVESPEC_HAVE_MSEED
        {"mseed truncated",
         [](const ScratchDir& d) {
             write_mseed_file(d.path(), 300);
             write_bytes(d / "XYZ.mseed", read_file(d / "XYZ.mseed").substr(0, 700));
         },
         {"XYZ.mseed"},
         "XYZ.mseed: byte 512: the file ends inside a MiniSEED record"},
        {"mseed gap",
         [](const ScratchDir& d) {
             std::vector<MseedChannel> channels = {
                 {"HHN", sample_counts(0, 300)},
                 {"HHZ", sample_counts(2, 300)},
                 {"HHE", sample_counts(1, 100)},
                 {"HHE", sample_counts(1, 150), 1577934242000000}};
             write_bytes(d / "XYZ.mseed", mseed_bytes(channels));
         },
         {"XYZ.mseed"},
         "XYZ.mseed: gap in XX.XYZ.00.HHE from 2020-01-02T03:04:00.990000 to "
         "2020-01-02T03:04:02.000000"},
        {"mseed clock drift",  // HHN's pieces of 3 s start 4 ms late each: under half the
                               // interval, but adding up
         [](const ScratchDir& d) {
             std::vector<MseedChannel> channels = {{"HHE", sample_counts(1, 900)},
                                                   {"HHZ", sample_counts(2, 900)}};
             for (std::int64_t i = 0; i < 3; ++i)
                 channels.push_back({"HHN", sample_counts(0, 300), 1577934240000000 + i * 3004000});
             write_bytes(d / "XYZ.mseed", mseed_bytes(channels));
         },
         {"XYZ.mseed"},
         "XYZ.mseed: clock drift in XX.XYZ.00.HHN: the record starting 2020-01-02T03:04:06.008000 "
         "is 0.008 s off the time its channel's first start and the 600 samples before it give "
         "(more than half a sampling interval)"},
        {"mseed rates differ",
         [](const ScratchDir& d) {
             std::vector<MseedChannel> channels = {
                 {"HHN", sample_counts(0, 300)},
                 {"HHE", sample_counts(1, 300)},
                 {"HHZ", sample_counts(2, 300), 1577934240000000, 50.0}};
             write_bytes(d / "XYZ.mseed", mseed_bytes(channels));
         },
         {"XYZ.mseed"},
         "XYZ.mseed: sampling rates differ: XX.XYZ.00.HHN 100 Hz, XX.XYZ.00.HHZ 50 Hz"},
        {"mseed component missing",
         [](const ScratchDir& d) {
             write_bytes(d / "XYZ.mseed", mseed_bytes({{"HHN", sample_counts(0, 30)},
                                                       {"HHE", sample_counts(1, 30)}}));
         },
         {"XYZ.mseed"},
         "XYZ.mseed: component missing: no channel XX.XYZ.00.HHZ"},
        // A header promising more uncompressed samples than the record holds (libmseed would
        // read past the record).
        {"mseed sample count beyond the record",
         [](const ScratchDir& d) {
             MseedChannel channel{"HHN", sample_counts(0, 50)};
             channel.encoding = DE_INT32;
             std::string bytes = mseed_bytes({channel});
             bytes[30] = 0;
             bytes[31] = static_cast<char>(200);  // numsamples, big-endian
             write_bytes(d / "XYZ.mseed", bytes);
         },
         {"XYZ.mseed"},
         "XYZ.mseed: byte 0: the record's 200 samples do not fit in its data area"},
        // Steim-2 packs at most 105 samples a 64-byte frame: 7 frames of a 512-byte record
        // hold at most 735, and memory was reserved for whatever the header said.
        {"mseed steim count beyond the record",
         [](const ScratchDir& d) {
             std::string bytes = mseed_bytes({{"HHN", sample_counts(0, 50)}});
             bytes[30] = 0x02;
             bytes[31] = static_cast<char>(0xE0);  // numsamples 736, big-endian
             write_bytes(d / "XYZ.mseed", bytes);
         },
         {"XYZ.mseed"},
         "XYZ.mseed: byte 0: the record's 736 samples do not fit in its data area"},
        // The library takes a record's length from the first blockette 1000 but decodes with
        // the last: a second one claiming 64 KiB in a 512-byte file had it read past the file.
        {"mseed second blockette 1000 beyond the file",
         [](const ScratchDir& d) {
             MseedChannel channel{"HHN", sample_counts(0, 50)};
             channel.encoding = DE_INT32;
             std::string bytes = mseed_bytes({channel}).substr(0, 512);
             bytes.replace(30, 2, "\x03\xE8", 2);  // numsamples 1000, big-endian
             bytes[39] = 2;                        // blockettes
             bytes.replace(50, 2, "\x00\x38", 2);  // the first blockette 1000 leads to byte 56
             bytes.replace(56, 8, "\x03\xE8\x00\x00\x03\x01\x10\x00", 8);
             write_bytes(d / "XYZ.mseed", bytes);
         },
         {"XYZ.mseed"},
         "XYZ.mseed: byte 0: the record's length of 65536 bytes reaches past the end of the file"},
#endif
    };
    for (const BrokenCase& test : cases) {
        SCOPED_TRACE(test.label);
        ScratchDir dir;
        test.write(dir);
        auto before = std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
        std::vector<std::string> args = {"convert"};
        args.insert(args.end(), test.inputs.begin(), test.inputs.end());
        args.insert(args.end(), {"-o", "out.csv"});
        ToolRun run = run_tool_with(dir.path(), args);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.err, lines("wavespec convert: " + test.message + "\n"));
        EXPECT_FALSE(fs::exists(dir / "out.csv"));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()),
                  before);
    }
}

TEST(Convert, UsageErrorsAndInputsThatAreNotOneRecord) {
    ScratchDir dir;
    write_bytes(dir / "plain.csv", "time,a,b,c\n0,1,2,3\n0.01,1,2,3\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    std::vector<Case> cases = {
        {{"convert", "plain.csv"},
         2,
         "wavespec convert: no output file: give -o RECORD.csv; try 'wavespec convert --help'\n"},
        {{"convert", "--format=segy", "plain.csv", "-o", "x.csv"},
         2,
         "wavespec convert: unknown format 'segy' (auto, csv, knet, at2, sac, mseed, esm, "
         "cosmos, smc, geonet, csmip, cwa, afad, unam, renadic or bhrc); try 'wavespec convert "
         "--help'\n"},
        {{"convert", "plain.csv", "-o", "x.csv"},
         1,
         "wavespec convert: plain.csv: is not a K-NET, AT2, SAC or MiniSEED file (a CSV record "
         "needs no conversion)\n"},
        {{"convert", "--format=sac", "plain.csv", "-o", "x.csv"},
         1,
         "wavespec convert: plain.csv: byte 30: the file ends inside the 632-byte SAC header\n"},
        {{"convert", "missing.NS", "-o", "x.csv"},
         1,
         "wavespec convert: missing.NS: cannot open: No such file or directory\n"},
    };
    for (const Case& test : cases) {
        ToolRun run = run_tool_with(dir.path(), test.args);
        EXPECT_EQ(run.exit_status, test.status) << test.args[1];
        EXPECT_EQ(run.err, lines(test.err));
        EXPECT_FALSE(fs::exists(dir / "x.csv"));
    }
}

// An output that is one of the inputs is refused: by its own name, another path to it, a symbolic
// or a hard link, or another file of the set.
TEST(Convert, RefusesAnOutputThatIsOneOfItsInputs) {
    ScratchDir dir;
    std::vector<fs::path> sac = write_sac_triple(dir.path(), 300, false);
    const std::string first = sac[0].filename().string(), bytes = read_file(sac[0]);
    std::vector<std::string> outputs = {first, "./" + first, sac[2].filename().string()};
    if (!windows_tool()) {
        fs::create_symlink(first, dir / "link.sac");
        fs::create_hard_link(sac[0], dir / "hard.sac");
        outputs.insert(outputs.end(), {"link.sac", "hard.sac"});
    }
    for (const std::string& output : outputs) {
        ToolRun run =
            run_tool_with(dir.path(), {"convert", "-o", output, first, sac[1].filename().string(),
                                       sac[2].filename().string()});
        EXPECT_EQ(run.exit_status, 1) << output;
        EXPECT_NE(run.err.find("itself; choose another -o"), std::string::npos) << run.err;
        EXPECT_TRUE(read_file(sac[0]) == bytes) << output;
    }
}

}  // namespace
}  // namespace wavespec::test
