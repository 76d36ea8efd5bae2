// wavespec info end to end: what each record holds, as "key: value" lines and as JSON Lines,
// with the values typed from the sample files' headers; refusals and the exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "agency_samples.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"

namespace wavespec::test {
namespace {

using namespace wavespec::samples;

TEST(Info, JsonLinesDescribeEachRecordOfEachFormat) {
    ScratchDir dir;
    write_knet_set(dir.path(), "K", 16);
    write_file(dir / "ACC.HNN.txt", esm_text("HNN", esm_value_lines(0, 8)));
    write_file(dir / "ACC.HNE.txt", esm_text("HNE", esm_value_lines(1, 8)));
    write_file(dir / "ACC.HNZ.txt", esm_text("HNZ", esm_value_lines(2, 8)));
    write_file(dir / "r.csv", "time,a,b,c\n0,1,2,3\n0.5,1,2,3\n1,1,2,3\n");
    ToolRun run = run_tool_with(dir.path(), {"info", "--json", "K.NS", "ACC.HNZ.txt", "ACC.HNN.txt",
                                             "ACC.HNE.txt", "r.csv"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // K-NET: Record Time 2020/01/02 03:04:10 JST less 9 h and the 15 s before the trigger.
    const std::string knet_peak =
        R"({"quantity":"acceleration","value":1,"time":null,"units":"cm/s/s"})";
    auto peak = [&](const char* component) {
        return std::string(R"({"component":")") + component + "\"," + knet_peak.substr(1);
    };
    std::string expected =
        R"({"format":"knet","network":null,"station":"XYZ001","location":null,"components":[)"
        R"({"code":"N-S","azimuth":0,"dip":0},{"code":"E-W","azimuth":90,"dip":0},)"
        R"({"code":"U-D","azimuth":0,"dip":-90}],"units":"cm/s/s","quantity":"acceleration",)"
        R"("start":"2020-01-01T18:03:55.000000Z","dt":0.01,"nt":16,"stated":[)" +
        peak("N-S") + "," + peak("E-W") + "," + peak("U-D") +
        R"(],"filter":null,"notes":[]})"
        "\n";
    auto esm_peak = [](const char* component) {
        return std::string(R"({"component":")") + component +
               R"(","quantity":"acceleration","value":-4.5,"time":0.01,"units":"cm/s/s"})";
    };
    expected +=
        R"({"format":"esm","network":"IT","station":"ACC","location":null,"components":[)"
        R"({"code":"HNN","azimuth":0,"dip":0},{"code":"HNE","azimuth":90,"dip":0},)"
        R"({"code":"HNZ","azimuth":0,"dip":-90}],"units":"cm/s/s","quantity":"acceleration",)"
        R"("start":"2016-10-30T06:40:04.250000Z","dt":0.005,"nt":8,"stated":[)" +
        esm_peak("HNN") + "," + esm_peak("HNE") + "," + esm_peak("HNZ") +
        R"(],"filter":{"highpass":0.05,"lowpass":30},"notes":[]})"
        "\n";
    expected +=
        R"({"format":"csv","network":null,"station":null,"location":null,"components":[)"
        R"({"code":"a","azimuth":null,"dip":null},{"code":"b","azimuth":null,"dip":null},)"
        R"({"code":"c","azimuth":null,"dip":null}],"units":null,"quantity":null,"start":null,)"
        R"("dt":0.5,"nt":3,"stated":[],"filter":null,"notes":[]})"
        "\n";
    EXPECT_EQ(run.out, lines(expected));
}

TEST(Info, TextLinesAndTheFileOrientationOfSac) {
    ScratchDir dir;
    // cmpaz 30 and 120, cmpinc 90 (horizontal) and 0 (up).
    const char* components[] = {"HH1", "HH2", "HHZ"};
    const float azimuths[] = {30.0f, 120.0f, 0.0f};
    const float incidences[] = {90.0f, 90.0f, 0.0f};
    for (int c = 0; c < 3; ++c) {
        std::string bytes = sac_bytes(sac_values(c, 4), 0.01f, components[c], false);
        std::memcpy(&bytes[4 * 57], &azimuths[c], 4);
        std::memcpy(&bytes[4 * 58], &incidences[c], 4);
        write_file(dir / (std::string("S.") + components[c]), bytes);
    }
    ToolRun run = run_tool_with(dir.path(), {"info", "--format=sac", "S.HH1", "S.HH2", "S.HHZ"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(
        run.out,
        lines("record: S\nformat: sac\nnetwork: XX\nstation: XYZ\nlocation: unknown\n"
              "components: HH1 (azimuth 30, dip 0), HH2 (azimuth 120, dip 0), HHZ (azimuth 0, "
              "dip -90)\nunits: unknown\nquantity: unknown\nstart: unknown\ndt: "
              "0.009999999776482582\n"
              "nt: 4\n"));
}

TEST(Info, ARefusedFileIsOneLineAndTheOthersAreStillDescribed) {
    ScratchDir dir;
    write_file(dir / "r.csv", "time,a,b,c\n0,1,2,3\n0.5,1,2,3\n");
    std::vector<std::string> bad = esm_value_lines(0, 4);
    bad[2] = "x1";
    write_file(dir / "B.HNN.txt", esm_text("HNN", bad));
    write_file(dir / "B.HNE.txt", esm_text("HNE", esm_value_lines(1, 4)));
    write_file(dir / "B.HNZ.txt", esm_text("HNZ", esm_value_lines(2, 4)));
    ToolRun run =
        run_tool_with(dir.path(), {"info", "B.HNN.txt", "B.HNE.txt", "B.HNZ.txt", "r.csv"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, lines("wavespec info: B.HNN.txt:34: 'x1' is not a number\n"));
    EXPECT_EQ(run.out.rfind(lines("record: r\nformat: csv"), 0), 0u) << run.out;

    struct Usage {
        std::vector<std::string> args;
        const char* err;
    };
    const Usage usages[] = {
        {{"info"}, "wavespec info: no input files; try 'wavespec info --help'\n"},
        {{"info", "--format=segy", "r.csv"},
         "wavespec info: unknown format 'segy' (auto, csv, knet, at2, sac, mseed, esm, cosmos, "
         "smc, geonet, csmip, cwa, afad, unam, renadic or bhrc); try 'wavespec info --help'\n"},
    };
    for (const Usage& usage : usages) {
        ToolRun refused = run_tool_with(dir.path(), usage.args);
        EXPECT_EQ(refused.exit_status, 2);
        EXPECT_EQ(refused.err, lines(usage.err));
        EXPECT_EQ(refused.out, "");
    }
}

// A COSMOS V2 file of three channels, each with its three quantities: --quantity picks one for
// info and convert alike.
TEST(Info, TheQuantityOfACosmosFileOfThreeChannels) {
    ScratchDir dir;
    auto channel = [](int orientation, const char* scale) {
        std::string s(scale);
        return cosmos_channel(2, orientation,
                              {{"acceleration", 4, "(8F10.5)", 2, {"   1.00000   2.00000"}},
                               {"velocity", 5, "(8F10.5)", 2, {"   0." + s + "   0.50000"}},
                               {"displacement", 6, "(8F10.5)", 2, {"  -0.00100   0.00200"}}},
                              {}, {{62, "0.020000"}});
    };
    write_file(dir / "all.v2",
               channel(90, "25000") + channel(400, "75000") + channel(360, "12500"));
    ToolRun info = run_tool_with(dir.path(), {"info", "--json", "--quantity=velocity", "all.v2"});
    EXPECT_EQ(info.exit_status, 0) << info.err;
    EXPECT_EQ(
        info.out,
        lines(R"({"format":"cosmos-v2","network":"CE","station":"13921","location":null,)"
              R"("components":[{"code":"360","azimuth":0,"dip":0},{"code":"90","azimuth":90,)"
              R"("dip":0},{"code":"UP","azimuth":0,"dip":-90}],"units":"cm/s","quantity":)"
              R"("velocity","start":"2020-01-02T03:04:10.250000Z","dt":0.01,"nt":2,"stated":[],)"
              R"("filter":{"highpass":0.1,"lowpass":25},"notes":[]})"
              "\n"));
    ToolRun convert = run_tool_with(
        dir.path(), {"convert", "--quantity=displacement", "all.v2", "-o", "all.csv"});
    EXPECT_EQ(convert.exit_status, 0) << convert.err;
    EXPECT_EQ(read_file(dir / "all.csv"),
              "time,360,90,UP\n0,-0.001,-0.001,-0.001\n0.01,0.002,0.002,0.002\n");
    ToolRun wrong = run_tool_with(dir.path(), {"info", "--quantity=speed", "all.v2"});
    EXPECT_EQ(wrong.exit_status, 2);
    EXPECT_EQ(
        wrong.err,
        lines("wavespec info: --quantity is acceleration, velocity or displacement, not 'speed'; "
              "try 'wavespec info --help'\n"));
}

// A GeoNet V2A file is one record: the vertical placed last, the padding kept with a note.
TEST(Info, AGeonetFileIsOneRecordWithItsVerticalLast) {
    ScratchDir dir;
    const std::vector<std::string> blocks = {"  12.500-100.250", "   1.000   2.000",
                                             "  -0.500   0.500"};
    // Two samples a block, the first a zero padded before the buffer's start.
    std::map<int, long> padded = {{30, 2}, {31, 1}, {33, 2}, {34, 2}, {35, 2}};
    write_file(dir / "a.V2A", geonet_component(true, "UP", blocks, padded) +
                                  geonet_component(true, "N28E", blocks, padded) +
                                  geonet_component(true, "S72W", blocks, padded));
    ToolRun convert = run_tool_with(dir.path(), {"convert", "a.V2A", "-o", "a.csv"});
    EXPECT_EQ(convert.exit_status, 0) << convert.err;
    EXPECT_EQ(read_file(dir / "a.csv"),
              "time,N28E,S72W,UP\n0,1.25,1.25,1.25\n0.005,-10.025,-10.025,-10.025\n");
    std::string padding = " the 1 and 0 zeros padded before and after are kept as samples\n";
    EXPECT_EQ(convert.err, lines("wavespec convert: a.V2A: N28E:" + padding +
                                 "wavespec convert: a.V2A: S72W:" + padding +
                                 "wavespec convert: a.V2A: UP:" + padding));
    ToolRun info = run_tool_with(dir.path(), {"info", "--quantity=velocity", "a.V2A"});
    EXPECT_EQ(info.exit_status, 0) << info.err;
    EXPECT_NE(info.out.find(lines("format: geonet-v2a\nnetwork: NZ\nstation: WTMC\n")),
              std::string::npos)
        << info.out;
    // The start is the padded zero's: 5 ms before the buffer's 03:04:10.25.
    EXPECT_NE(
        info.out.find(lines("components: N28E (azimuth 28, dip 0), S72W (azimuth 252, dip 0), UP "
                            "(azimuth 0, dip -90)\nunits: cm/s\nquantity: velocity\n"
                            "start: 2020-01-02T03:04:10.245000Z\n")),
        std::string::npos)
        << info.out;
}

// Each national format is found by its content and described with its start in UTC and its
// components (north and east first, the vertical last); the CSV has the file's values.
TEST(Info, TheNationalFormatsFoundByContent) {
    ScratchDir dir;
    const std::string accel =
        "       2 points of accel data equally spaced at  .010 sec, in cm/sec2.\n"
        "    -2.500     1.250\n";
    write_file(dir / "c.v2", csmip_channel(2, "Up", {accel}) + csmip_channel(2, "90", {accel}) +
                                 csmip_channel(2, "360", {accel}));
    write_file(dir / "t.txt", cwa_text({"     0.000     1.000     2.000     3.000",
                                        "     0.010    -1.500     0.250    -0.125"},
                                       "2018/02/07-07:00:00.000", "0.02"));
    write_file(
        dir / "r.txt",
        renadic_channel("Z", "NPTS 2 DURATION 0.005", {"  0.000 1.0000  0.005-0.5000"}) +
            renadic_channel("NS", "NPTS 2 DURATION 0.005", {"  0.000 1.0000  0.005-0.5000"}) +
            renadic_channel("EW", "NPTS 2 DURATION 0.005", {"  0.000 1.0000  0.005-0.5000"}));
    struct Case {
        const char* file;
        std::string json;
        std::string csv;
    };
    const Case cases[] = {
        {"c.v2",
         "{\"format\":\"csmip-v2\",\"network\":\"CE\",\"station\":\"24611\",\"location\":null,"
         "\"components\":[{\"code\":\"360\",\"azimuth\":0,\"dip\":0},{\"code\":\"90\","
         "\"azimuth\":90,\"dip\":0},{\"code\":\"Up\",\"azimuth\":0,\"dip\":-90}],"
         "\"units\":\"cm/s/"
         "s\",\"quantity\":\"acceleration\",\"start\":\"2019-07-05T06:33:48.000000Z\",\"dt\":0.01,"
         "\"nt\":2,",
         "time,360,90,Up\n0,-2.5,-2.5,-2.5\n0.01,1.25,1.25,1.25\n"},
        {"t.txt",
         "{\"format\":\"cwa\",\"network\":\"TW\",\"station\":\"HWA019\",\"location\":null,"
         "\"components\":[{\"code\":\"N\",\"azimuth\":0,\"dip\":0},{\"code\":\"E\","
         "\"azimuth\":90,\"dip\":0},{\"code\":\"U\",\"azimuth\":0,\"dip\":-90}],"
         "\"units\":\"cm/s/"
         "s\",\"quantity\":\"acceleration\",\"start\":\"2018-02-06T23:00:00.000000Z\",\"dt\":0.01,"
         "\"nt\":2,",
         "time,N,E,U\n0,2,3,1\n0.01,0.25,-0.125,-1.5\n"},
        {"r.txt",
         "{\"format\":\"renadic\",\"network\":\"C\",\"station\":\"VINA\",\"location\":null,"
         "\"components\":[{\"code\":\"NS\",\"azimuth\":0,\"dip\":0},{\"code\":\"EW\","
         "\"azimuth\":90,\"dip\":0},{\"code\":\"Z\",\"azimuth\":0,\"dip\":-90}],"
         "\"units\":\"cm/s/"
         "s\",\"quantity\":\"acceleration\",\"start\":\"2010-02-27T06:34:14.500000Z\",\"dt\":0.005,"
         "\"nt\":2,",
         "time,NS,EW,Z\n0,98.0665,98.0665,98.0665\n0.005,-49.03325,-49.03325,-49.03325\n"},
    };
    for (const Case& test : cases) {
        ToolRun info = run_tool_with(dir.path(), {"info", "--json", test.file});
        EXPECT_EQ(info.exit_status, 0) << info.err;
        EXPECT_EQ(info.out.substr(0, test.json.size()), test.json) << info.out;
        ToolRun convert = run_tool_with(dir.path(), {"convert", test.file, "-o", "out.csv"});
        EXPECT_EQ(convert.exit_status, 0) << convert.err;
        EXPECT_EQ(read_file(dir / "out.csv"), test.csv);
    }
}

// A record the files say is velocity or displacement has no response spectra: it fails alone
// with one line and leaves no file; its Fourier spectra are still made without the option.
TEST(Info, ResponseSpectraRefuseAVelocityRecord) {
    ScratchDir dir;
    const char* names[] = {"RSN7_X000.VT2", "RSN7_X090.VT2", "RSN7_X-UP.VT2"};
    for (int c = 0; c < 3; ++c) write_file(dir / names[c], at2_text(c, 64));
    ToolRun run = run_tool_with(
        dir.path(), {"process", "-q", "--response-spectra", "-C", "out", "RSN7_X000.VT2"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("--response-spectra takes acceleration, and the record is velocity "
                           "(vt2)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(!std::filesystem::exists(dir / "out") || std::filesystem::is_empty(dir / "out"));
    ToolRun plain = run_tool_with(dir.path(), {"process", "-q", "-C", "out", "RSN7_X000.VT2"});
    EXPECT_EQ(plain.exit_status, 0) << plain.err;
}

}  // namespace
}  // namespace wavespec::test
