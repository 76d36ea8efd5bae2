// wavespec inventory, and process and convert with --inventory, on StationXML, SAC and
// MiniSEED files written here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <tuple>

#include "agency_samples.hpp"
#include "e2e/run_tool.hpp"
#include "formats_samples.hpp"
#include "stationxml_samples.hpp"

namespace wavespec::test {
namespace {

namespace fs = std::filesystem;
using namespace wavespec::samples;
constexpr double kPi = std::numbers::pi;

// Each line's comma-separated numbers after the header line.
std::vector<std::vector<double>> csv_numbers(const std::string& text) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ',')) row.push_back(std::strtod(field.c_str(), nullptr));
        rows.push_back(row);
    }
    return rows;
}

// A velocity sensor (1 Hz, damping 0.7) and a digitiser's gain, and accelerometers that give
// a sensitivity alone; the horizontals at azimuths 30 and 120.
std::string inventory_xml(const std::string& end = "") {
    double w0 = 2 * kPi, re = -0.7 * w0, im = w0 * std::sqrt(1 - 0.49);
    std::string sensor = poles_zeros(1, "LAPLACE (RADIANS/SECOND)", 1, {{0, 0}, {0, 0}},
                                     {{re, im}, {re, -im}}, "M/S", "V", 1500) +
                         "<Stage number=\"2\">" + gain(4e5) + "</Stage>";
    std::string xml;
    for (auto [code, azimuth] :
         std::vector<std::pair<std::string, double>>{{"HHN", 30}, {"HHE", 120}, {"HHZ", 0}}) {
        xml += channel(code, "00", "2020-01-01T00:00:00", end, 100, 6e8, "M/S", sensor, azimuth);
        xml += channel(code, "", "2020-01-01T00:00:00", end, 100, -2.5e5, "M/S**2", "", azimuth);
    }
    return station_xml(xml);
}

// SAC files of station XYZ whose first sample is at 2020-01-02T03:04:05.5; idep as given.
std::vector<std::string> write_sac_record(const fs::path& dir, int idep = 5) {
    std::vector<std::string> names;
    for (int c = 0; c < 3; ++c) {
        std::string component = std::string("HH") + "NEZ"[c];
        std::string bytes = sac_bytes(sac_values(c, 600), 0.01f, component, false);
        auto put_int = [&](std::size_t word, std::int32_t v) {
            std::memcpy(&bytes[4 * word], &v, 4);
        };
        const std::int32_t time[6] = {2020, 2, 3, 4, 5, 0};
        for (std::size_t i = 0; i < 6; ++i) put_int(70 + i, time[i]);
        float begin = 0.5f;
        std::memcpy(&bytes[4 * 5], &begin, 4);
        put_int(86, idep);
        names.push_back("XYZ." + component + ".SAC");
        write_bytes(dir / names.back(), bytes);
    }
    return names;
}

TEST(Inventory, ResponseCsvIsTheAnalyticResponse) {
    ScratchDir dir;
    write_file(dir / "st.xml", inventory_xml());
    ToolRun run = run_tool_with(dir.path(), {"inventory", "st.xml", "--response=XX.XYZ.00.HHZ",
                                             "--frequencies=0.1:20:7", "--units=acceleration"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    ASSERT_TRUE(run.out.starts_with(lines("frequency(Hz),amplitude,phase(deg)\n"))) << run.out;
    auto rows = csv_numbers(run.out);
    ASSERT_EQ(rows.size(), 7u);
    for (const auto& row : rows) {
        // Counts per m/s^2: 6e8 w / |w0^2 - w^2 + 2 i h w0 w|, phase 90 degrees less.
        double w = 2 * kPi * row[0], w0 = 2 * kPi;
        EXPECT_NEAR(row[1], 6e8 * w / std::hypot(w0 * w0 - w * w, 1.4 * w0 * w), 1e-9 * row[1]);
        EXPECT_NEAR(row[2], 90 - std::atan2(1.4 * w0 * w, w0 * w0 - w * w) * 180 / kPi, 1e-9);
    }
    ToolRun listing = run_tool_with(dir.path(), {"inventory", "st.xml"});
    EXPECT_EQ(listing.exit_status, 0);
    EXPECT_NE(listing.out.find(lines("XX.XYZ.00.HHE from 2020-01-01T00:00:00.000000 to open\n"
                                     "  sample rate 100 Hz, azimuth 120, dip 0\n"
                                     "  input units M/S\n")),
              std::string::npos)
        << listing.out;
}

TEST(Inventory, RefusalsAreOneLineWithTheirStatus) {
    ScratchDir dir;
    write_file(dir / "st.xml", inventory_xml());
    write_file(dir / "cut.xml", inventory_xml().substr(0, 700));
    write_sac_record(dir.path());
    write_knet_set(dir.path(), "XYZ0012001020304", 300);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    for (const Case& c : std::vector<Case>{
             {{"inventory", "cut.xml"}, 1, "cut.xml:"},
             {{"inventory", "st.xml", "--units=velocity"}, 2, "go with --response"},
             {{"inventory", "st.xml", "--response=XX.XYZ.00.HHZ@2019-01-01"}, 1, "no epoch"},
             {{"inventory", "st.xml", "--response=XX.XYZ.00.HHZ", "--frequencies=0:1:3"},
              2,
              "--frequencies"},
             {{"process", "--inventory=st.xml", "XYZ0012001020304.NS"},
              2,
              "SAC, MiniSEED or COSMOS V0"},
             {{"process", "--water-level=20", "XYZ.HHN.SAC"}, 2, "goes with --inventory"},
             {{"process", "--inventory=st.xml", "--units=velocity", "--response-spectra",
               "XYZ.HHN.SAC"},
              2,
              "--response-spectra"},
             {{"process", "--inventory=st.xml", "--pre-filter=1,0.5,2,3", "XYZ.HHN.SAC"},
              2,
              "--pre-filter"},
             {{"process", "--inventory=cut.xml", "XYZ.HHN.SAC"}, 1, "cut.xml:"},
         }) {
        ToolRun run = run_tool_with(dir.path(), c.args);
        EXPECT_EQ(run.exit_status, c.status) << c.args.back() << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

// The accelerometers' sensitivity alone, negative: counts * 100 / -2.5e5 in cm/s^2, rotated
// from azimuths 30 and 120 to north and east when asked.
TEST(Inventory, SacRecordDividedByItsSensitivityAndRotated) {
    ScratchDir dir;
    write_file(dir / "st.xml", inventory_xml());
    std::vector<std::string> sac = write_sac_record(dir.path());
    for (bool rotate : {false, true}) {
        std::vector<std::string> args = {"convert", "--inventory=st.xml", "-o", "out.csv"};
        if (rotate) args.push_back("--rotate");
        args.insert(args.end(), sac.begin(), sac.end());
        ToolRun run = run_tool_with(dir.path(), args);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_NE(run.err.find(rotate ? "rotated from azimuths 30, 120" : "azimuths 30, 120"),
                  std::string::npos)
            << run.err;
        auto rows = csv_numbers(read_file(dir / "out.csv"));
        ASSERT_EQ(rows.size(), 600u);
        std::array<std::vector<float>, 3> counts = {sac_values(0, 600), sac_values(1, 600),
                                                    sac_values(2, 600)};
        const double c = std::cos(kPi / 6), s = std::sin(kPi / 6);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            double x0 = counts[0][i] * 100.0 / -2.5e5, x1 = counts[1][i] * 100.0 / -2.5e5;
            double north = rotate ? x0 * c - x1 * s : x0, east = rotate ? x0 * s + x1 * c : x1;
            EXPECT_NEAR(rows[i][1], north, 1e-12 + 1e-12 * std::fabs(north)) << i;
            EXPECT_NEAR(rows[i][2], east, 1e-12 + 1e-12 * std::fabs(east)) << i;
            EXPECT_NEAR(rows[i][3], counts[2][i] * 100.0 / -2.5e5, 1e-12) << i;
        }
    }
    write_sac_record(dir.path(), 7);  // idep IVEL: already physical
    ToolRun run = run_tool_with(
        dir.path(), {"convert", "--inventory=st.xml", "-o", "v.csv", sac[0], sac[1], sac[2]});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("velocity already"), std::string::npos) << run.err;
}

// Six counts a channel, different in each, for the COSMOS files below.
std::vector<double> six_counts(int c) {
    std::vector<double> v;
    for (int i = 0; i < 6; ++i) v.push_back((c + 1) * 100.0 * (i % 2 ? -1 : 1) + 7 * i);
    return v;
}

// COSMOS channels of station CE 13921 at azimuths 30 and 120 and up: V0 counts naming their
// SEED channel in a "|<SCNL>" comment, or V1 acceleration in g.
void write_cosmos_set(const fs::path& dir, int level) {
    const char* codes[] = {"HHN", "HHE", "HHZ"};
    const int orientations[] = {30, 120, 400};
    for (int c = 0; c < 3; ++c) {
        std::string values;
        for (double v : six_counts(c))
            values += std::string(8 - std::to_string(int(v)).size(), ' ') + std::to_string(int(v));
        samples::CosmosBlock block{
            level == 0 ? "raw accel." : "acceleration", level == 0 ? 50 : 2, "(10I8)", 6, {values}};
        std::string comment = "|<SCNL>XYZ." + std::string(codes[c]) + ".XX.--    <AUTH> test";
        write_file(dir / (std::string(codes[c]) + ".v" + std::to_string(level)),
                   samples::cosmos_channel(level, orientations[c], {block}, {}, {{61, "10.000000"}},
                                           comment));
    }
}

// --inventory reads COSMOS V0 counts by their SEED codes; --rotate without it turns the
// horizontals by the file's own azimuths; a CSV record, which gives none, fails alone.
TEST(Inventory, CosmosCountsByTheirSeedCodesAndRotationByTheFilesAzimuths) {
    ScratchDir dir;
    write_file(dir / "st.xml", inventory_xml());
    write_cosmos_set(dir.path(), 0);
    write_cosmos_set(dir.path(), 1);
    write_file(dir / "r.csv", lines("time,NS,EW,UD\n0,1,2,3\n0.01,4,5,6\n"));
    const double c30 = std::cos(kPi / 6), s30 = std::sin(kPi / 6);
    struct Case {
        std::vector<std::string> args;
        double scale;  // cm/s^2 a count (or a g)
        bool rotated;
        std::string words;
    };
    for (const Case& c : std::vector<Case>{
             {{"--inventory=st.xml", "HHN.v0", "HHE.v0", "HHZ.v0"},
              100.0 / -2.5e5,
              false,
              "in cm/s^2; azimuths 30, 120"},
             {{"--inventory=st.xml", "--rotate", "HHN.v0", "HHE.v0", "HHZ.v0"},
              100.0 / -2.5e5,
              true,
              "rotated from azimuths 30, 120 to north, east"},
             {{"--rotate", "HHN.v1", "HHE.v1", "HHZ.v1"},
              980.665,
              true,
              "rotated from azimuths 30, 120 to north, east"},
             {{"--rotate", "r.csv"}, 0, false, "r.csv: --rotate: a CSV record gives no azimuths"},
         }) {
        std::vector<std::string> args = {"process", "-q", "--output=out.csv"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ToolRun run = run_tool_with(dir.path(), args);
        if (c.scale == 0) {
            EXPECT_EQ(run.exit_status, 1);
            EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
            continue;
        }
        ASSERT_EQ(run.exit_status, 0) << run.err;
        ToolRun converted = run_tool_with(dir.path(), [&] {
            std::vector<std::string> a = {"convert", "-o", "rec.csv"};
            a.insert(a.end(), c.args.begin(), c.args.end());
            return a;
        }());
        ASSERT_EQ(converted.exit_status, 0) << converted.err;
        EXPECT_NE(converted.err.find(c.words), std::string::npos) << converted.err;
        auto rows = csv_numbers(read_file(dir / "rec.csv"));
        ASSERT_EQ(rows.size(), 6u);
        for (std::size_t i = 0; i < 6; ++i) {
            double x0 = six_counts(0)[i] * c.scale, x1 = six_counts(1)[i] * c.scale;
            double north = c.rotated ? x0 * c30 - x1 * s30 : x0;
            double east = c.rotated ? x0 * s30 + x1 * c30 : x1;
            EXPECT_NEAR(rows[i][1], north, 1e-12 * (1 + std::fabs(north))) << i;
            EXPECT_NEAR(rows[i][2], east, 1e-12 * (1 + std::fabs(east))) << i;
            EXPECT_NEAR(rows[i][3], six_counts(2)[i] * c.scale, 1e-12 * std::fabs(rows[i][3]));
        }
    }
}

#ifdef WAVESPEC_HAVE_MSEED
// The vertical's Dip gives its sign (+90 points down: turned up, with a note); an inventory
// whose rate is not the record's fails the record in one line.
TEST(Inventory, VerticalTakesItsSignFromItsDipAndRatesMustAgree) {
    ScratchDir dir;
    write_mseed_file(dir.path(), 600);
    for (auto [dip, z_rate, sign, words] :
         std::vector<std::tuple<double, double, double, std::string>>{
             {-90, 100, 1, "azimuths 0, 90"},
             {90, 100, -1, "XX.XYZ.00.HHZ dips 90 degrees (positive down)"},
             {-90, 100.001, 0,
              lines("XX.XYZ.00.HHZ: the inventory's sample rate 100.001 Hz is not "
                    "the record's 100 Hz (st.xml)\n")}}) {
        std::string xml;
        for (std::string code : {"HHN", "HHE", "HHZ"})
            xml += channel(code, "00", "2020-01-01T00:00:00", "", code == "HHZ" ? z_rate : 100,
                           2.5e5, "M/S**2", "", code == "HHE" ? 90 : 0, code == "HHZ" ? dip : 0);
        write_file(dir / "st.xml", station_xml(xml));
        ToolRun run = run_tool_with(dir.path(),
                                    {"convert", "--inventory=st.xml", "-o", "o.csv", "XYZ.mseed"});
        EXPECT_NE(run.err.find(words), std::string::npos) << run.err;
        ASSERT_EQ(run.exit_status, sign == 0 ? 1 : 0) << run.err;
        auto rows = csv_numbers(sign == 0 ? "" : read_file(dir / "o.csv"));
        std::vector<std::int32_t> z = sample_counts(2, 600);
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i][3], sign * (z[i] * 100.0 / 2.5e5)) << i;
        EXPECT_EQ(rows.size(), sign == 0 ? 0 : z.size());
    }
}

// MiniSEED of the velocity sensor's channels through a whole run in both layouts: every file
// written, none holding nan or inf, the line naming the units; a record before the epochs
// fails alone, naming channel and time.
TEST(Inventory, MiniseedRecordThroughAWholeRunInBothLayouts) {
    ScratchDir dir;
    write_file(dir / "st.xml", inventory_xml());
    write_mseed_file(dir.path(), 3000);
    for (std::string layout : {"legacy", "full"}) {
        ToolRun run =
            run_tool_with(dir.path(), {"process", "--inventory=st.xml", "--units=velocity",
                                       "--pre-filter=0.1,0.2,30,40", "--layout=" + layout, "--plot",
                                       "--smooth=konno-ohmachi", "-C", layout, "XYZ.mseed"});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_NE(run.out.find(", in cm/s; azimuths 30, 120, files in"), std::string::npos)
            << run.out;
        std::size_t files = 0;
        for (const auto& entry : fs::directory_iterator(dir / layout)) {
            std::string text = read_file(entry.path());
            for (const char* word : {"nan", "NaN", "inf", "Inf"})
                EXPECT_EQ(text.find(word), std::string::npos) << entry.path() << " " << word;
            ++files;
        }
        EXPECT_GE(files, 4u);
    }
    write_file(dir / "late.xml",
               inventory_xml().replace(inventory_xml().find("2020-01-01"), 10, "2021-01-01"));
    ToolRun run =
        run_tool_with(dir.path(), {"process", "--inventory=late.xml", "-C", "late", "XYZ.mseed"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("XX.XYZ.00.HHN at 2020-01-02T03:04:00.000000: no epoch"),
              std::string::npos)
        << run.err;
}
#endif

}  // namespace
}  // namespace wavespec::test
