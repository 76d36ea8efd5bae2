// The readers' shared rules (the calendar, channel codes, units) and the agencies' text
// formats, against values typed from the formats' descriptions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "agency_samples.hpp"
#include "formats/agency_text.hpp"
#include "formats/at2_reader.hpp"
#include "formats/calendar.hpp"
#include "formats/channel_codes.hpp"
#include "formats/cosmos_reader.hpp"
#include "formats/csmip_reader.hpp"
#include "formats/esm_reader.hpp"
#include "formats/fixed_fields.hpp"
#include "formats/geonet_reader.hpp"
#include "formats/knet_reader.hpp"
#include "formats/mseed_segments.hpp"
#include "formats/national_readers.hpp"
#include "formats/physical_units.hpp"
#include "formats/sac_reader.hpp"
#include "formats/smc_reader.hpp"
#include "formats_samples.hpp"
#include "unit/record_test_support.hpp"

namespace wavespec::formats {
namespace {

using test::ScratchDir;

// Every day from 1900 to 2100 counted one by one, with the leap rule written out here.
TEST(Calendar, EveryDayOfTwoCenturiesAgainstACount) {
    auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::int64_t days = -25567;  // 1900-01-01: 70 years of 365 days and 17 leap days before 1970
    for (int y = 1900; y <= 2100; ++y) {
        for (unsigned m = 1; m <= 12; ++m) {
            unsigned length = lengths[m - 1] + (m == 2 && leap(y) ? 1 : 0);
            ASSERT_EQ(days_in_month(y, m), length) << y << "-" << m;
            for (unsigned d = 1; d <= length; ++d, ++days) {
                ASSERT_EQ(days_from_civil(y, m, d), days) << y << "-" << m << "-" << d;
                CivilDate date = civil_from_days(days);
                ASSERT_EQ(date.year, y);
                ASSERT_EQ(date.month, m);
                ASSERT_EQ(date.day, d);
            }
        }
    }
}

TEST(Calendar, TimesOfDayAndTheirText) {
    struct Case {
        CivilTime time;
        std::optional<std::int64_t> us;
        const char* text;
    };
    const Case cases[] = {
        {{1970, 1, 1, 0, 0, 0, 0}, 0, "1970-01-01T00:00:00.000000"},
        {{2016, 10, 30, 6, 40, 4, 250000}, 1477809604250000, "2016-10-30T06:40:04.250000"},
        {{1969, 12, 31, 23, 59, 59, 999999}, -1, "1969-12-31T23:59:59.999999"},
        {{2024, 2, 29, 12, 0, 0, 0}, 1709208000000000, "2024-02-29T12:00:00.000000"},
        {{2023, 2, 29, 0, 0, 0, 0}, std::nullopt, ""},
        {{2023, 13, 1, 0, 0, 0, 0}, std::nullopt, ""},
        {{2023, 1, 1, 24, 0, 0, 0}, std::nullopt, ""},
        {{2023, 1, 1, 0, 60, 0, 0}, std::nullopt, ""},
        {{2023, 1, 1, 0, 0, 0, 1000000}, std::nullopt, ""},
        {{0, 1, 1, 0, 0, 0, 0}, std::nullopt, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.time.year * 10000 + test.time.month * 100 + test.time.day);
        EXPECT_EQ(utc_microseconds(test.time), test.us);
        if (test.us) {
            EXPECT_EQ(iso_time(*test.us), test.text);
        }
    }
    // Day 60 of a leap year is February 29; day 366 exists only in a leap year.
    EXPECT_EQ(utc_microseconds_of_year_day(2024, 60, 12, 0, 0, 0), 1709208000000000);
    EXPECT_EQ(utc_microseconds_of_year_day(2023, 366, 0, 0, 0, 0), std::nullopt);
    EXPECT_EQ(utc_microseconds_of_year_day(2024, 366, 0, 0, 0, 0), 1735603200000000);
}

TEST(ChannelCodes, TheLastLetterInEitherCaseTellsTheComponent) {
    struct Case {
        const char* code;
        int position;
        std::optional<double> azimuth, dip;
    };
    const Case cases[] = {
        {"HHN", 0, 0.0, 0.0}, {"hhn", 0, 0.0, 0.0}, {"HN1", 0, {}, {}},     {"BHE", 1, 90.0, 0.0},
        {"e", 1, 90.0, 0.0},  {"HN2", 1, {}, {}},   {"HNZ", 2, 0.0, -90.0}, {"z", 2, 0.0, -90.0},
        {"HN3", -1, {}, {}},  {"360", -1, {}, {}},  {"", -1, {}, {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.code);
        EXPECT_EQ(component_position(test.code), test.position);
        auto orientation = seed_orientation(test.code);
        EXPECT_EQ(orientation.has_value(), test.azimuth.has_value());
        if (orientation) {
            EXPECT_EQ(orientation->azimuth, *test.azimuth);
            EXPECT_EQ(orientation->dip, *test.dip);
        }
    }
}

TEST(PhysicalUnits, TheAgenciesWordsForUnits) {
    struct Case {
        const char* text;
        std::optional<Quantity> quantity;
        double factor;
    };
    const Case cases[] = {
        {"cm/s^2", Quantity::acceleration, 1.0},
        {"CM/SEC/SEC", Quantity::acceleration, 1.0},
        {"cm/s**2", Quantity::acceleration, 1.0},
        {"gal", Quantity::acceleration, 1.0},
        {"m/s^2", Quantity::acceleration, 100.0},
        {"mm/s2", Quantity::acceleration, 0.1},
        {"g", Quantity::acceleration, 980.665},
        {"cm/s", Quantity::velocity, 1.0},
        {"M/SEC", Quantity::velocity, 100.0},
        {"cm", Quantity::displacement, 1.0},
        {"m", Quantity::displacement, 100.0},
        {"mm", Quantity::displacement, 0.1},
        {"counts", std::nullopt, 0.0},
        {"cm/s^3", std::nullopt, 0.0},
        {"", std::nullopt, 0.0},
        {"km", std::nullopt, 0.0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        auto units = physical_units_named(test.text);
        ASSERT_EQ(units.has_value(), test.quantity.has_value());
        if (units) {
            EXPECT_EQ(units->quantity, *test.quantity);
            EXPECT_EQ(units->factor, test.factor);
        }
    }
}

TEST(FormatsEsm, HeaderFieldsValuesAndUnits) {
    const std::vector<std::string> lines = {"0.250000", "-1.000000", "-4.500000", "2.125000"};
    FileTrace trace = read_esm("a.txt", samples::esm_text("HNE", lines));
    EXPECT_EQ(trace.format, "esm");
    EXPECT_EQ(trace.network, "IT");
    EXPECT_EQ(trace.station, "ACC");
    EXPECT_EQ(trace.location, "");
    EXPECT_EQ(trace.code, "HNE");
    EXPECT_EQ(trace.azimuth, 90.0);
    EXPECT_EQ(trace.dip, 0.0);
    EXPECT_EQ(trace.dt, 0.005);
    EXPECT_EQ(trace.start_us, 1477809604250000);  // 2016-10-30T06:40:04.25Z
    EXPECT_EQ(trace.quantity, Quantity::acceleration);
    EXPECT_EQ(trace.units, "cm/s/s");
    EXPECT_EQ(trace.samples, (std::vector<double>{0.25, -1.0, -4.5, 2.125}));
    // The stated peak is the data's largest magnitude, at its sample's time.
    ASSERT_EQ(trace.stated.size(), 1u);
    EXPECT_EQ(trace.stated[0].value, -4.5);
    EXPECT_EQ(trace.stated[0].time, 2 * 0.005);
    EXPECT_EQ(trace.stated[0].quantity, "acceleration");
    ASSERT_TRUE(trace.filter);
    EXPECT_EQ(trace.filter->highpass, 0.05);
    EXPECT_EQ(trace.filter->lowpass, 30.0);

    const double g = 980.665;
    struct Units {
        const char* units;
        Quantity quantity;
        std::vector<double> samples;
    };
    const Units conversions[] = {
        {"m/s^2", Quantity::acceleration, {25.0, -100.0, -450.0, 212.5}},
        {"g", Quantity::acceleration, {0.25 * g, -1.0 * g, -4.5 * g, 2.125 * g}},
        {"cm/s", Quantity::velocity, {0.25, -1.0, -4.5, 2.125}},
        {"m", Quantity::displacement, {25.0, -100.0, -450.0, 212.5}},
    };
    for (const Units& test : conversions) {
        SCOPED_TRACE(test.units);
        FileTrace converted =
            read_esm("a.txt", samples::esm_text("HNZ", lines, {{"UNITS", test.units}}));
        EXPECT_EQ(converted.quantity, test.quantity);
        EXPECT_EQ(converted.samples, test.samples);
        EXPECT_EQ(converted.dip, -90.0);
    }
    // Several values on a line, D exponents and a start without a fraction are read too.
    FileTrace loose = read_esm(
        "a.txt",
        samples::esm_text("HN2", {"1.5D+00 -2.5E-01", "3"},
                          {{"NDATA", "3"},
                           {"DURATION_S", "0.015"},
                           {"DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS", "20161030_064004"}}));
    EXPECT_EQ(loose.samples, (std::vector<double>{1.5, -0.25, 3.0}));
    EXPECT_EQ(loose.start_us, 1477809604000000);
    EXPECT_FALSE(loose.azimuth);
}

TEST(FormatsEsm, RefusalsNameTheFileAndTheLine) {
    const std::vector<std::string> lines = {"1.0", "2.0", "3.0"};
    struct Case {
        std::vector<std::pair<std::string, std::string>> changes;
        std::vector<std::string> values;
        const char* message;
    };
    // The header's lines: NDATA is line 17, DURATION_S 18, UNITS 20; values from line 32.
    const std::vector<Case> cases = {
        {{{"NDATA", "4"}, {"DURATION_S", "0.020"}},
         lines,
         "a.txt:34: the file ends after 3 values; NDATA is 4"},
        {{{"NDATA", "2"}, {"DURATION_S", "0.010"}}, lines, "a.txt:34: more values than NDATA 2"},
        {{}, {"1.0", "2,0", "3.0"}, "a.txt:33: '2,0' is not a number"},
        {{{"DURATION_S", "0.010"}}, lines, ""},  // counted as n - 1 intervals
        {{{"DURATION_S", "0.020"}}, lines, ""},  // within one dt of n intervals
        {{{"DURATION_S", "0.025"}}, lines, "a.txt:17: 3 samples of 0.005 s last "},
        {{{"UNITS", "counts"}}, lines, "a.txt:20: UNITS 'counts' is not a unit of acceleration"},
        {{{"SAMPLING_INTERVAL_S", "0"}},
         lines,
         "a.txt:16: SAMPLING_INTERVAL_S '0' is not a positive"},
        {{{"STREAM", "<none>"}}, lines, "a.txt:30: the header has no STREAM line"},
        {{{"DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS", "20161330_064004.000"}},
         lines,
         "a.txt:14: DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS '20161330_064004.000' is not a time"},
        {{{"PGA_CM/S^2", "high"}}, lines, "a.txt:22: PGA_CM/S^2 'high' is not a number"},
        {{{"USER1", "x"}}, {"1.0", "nan", "3.0"}, "a.txt:33: 'nan' is not a number"},
    };
    for (const Case& test : cases) {
        std::string text = samples::esm_text("HNE", test.values, test.changes);
        SCOPED_TRACE(test.message);
        if (*test.message == '\0') {
            EXPECT_NO_THROW(read_esm("a.txt", text));
            continue;
        }
        try {
            read_esm("a.txt", text);
            ADD_FAILURE() << "accepted";
        } catch (const FormatError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, std::strlen(test.message)), test.message)
                << error.what();
        }
    }
    // A line that is neither a field nor a value.
    EXPECT_THROW(read_esm("a.txt", "EVENT_NAME: X\nno colon here\n1.0\n"), FormatError);
}

TEST(FormatsDetection, EachSampleIsTakenByItsOwnDetectorAlone) {
    struct Sample {
        const char* format;
        std::string bytes;
    };
    const std::vector<Sample> sample_files = {
        {"knet", samples::knet_text("N-S", samples::sample_counts(0, 16))},
        {"at2", samples::at2_text(0, 6)},
        {"sac", samples::sac_bytes(samples::sac_values(0, 4), 0.01f, "HHN", false)},
        {"esm", samples::esm_text("HNE", samples::esm_value_lines(0, 8))},
        {"cosmos",
         samples::cosmos_channel(2, 360, {{"acceleration", 4, "(8F10.5)", 1, {"   1.00000"}}})},
        {"smc", samples::smc_text(2, {}, 0)},
        {"geonet", samples::geonet_component(true, "UP", {})},
        {"csmip", samples::csmip_channel(2, "360", {})},
        {"csmip", samples::csmip_channel(1, "Up", {})},
        {"cwa", samples::cwa_text({})},
        {"afad", samples::afad_text({}, "", "")},
        {"unam", samples::unam_text({}, "")},
        {"renadic", samples::renadic_channel("NS", "", {})},
        {"bhrc", samples::bhrc_channel("L", {})},
        {"csv", "time,a,b,c\n0,1,2,3\n0.01,1,2,3\n"},
        // A text header that names NPTS and DT on its fourth line is not AT2.
        {"none", "Corrected accelerogram\nStation 1\nComponent 360\nNPTS and DT: see below\n"},
    };
    struct Detector {
        const char* format;
        bool (*looks_like)(std::string_view);
    };
    const Detector detectors[] = {
        {"knet", looks_like_knet},       {"at2", looks_like_at2},
        {"sac", looks_like_sac},         {"mseed", looks_like_mseed},
        {"esm", looks_like_esm},         {"cosmos", looks_like_cosmos},
        {"smc", looks_like_smc},         {"geonet", looks_like_geonet},
        {"csmip", looks_like_csmip},     {"cwa", looks_like_cwa},
        {"afad", looks_like_afad},       {"unam", looks_like_unam},
        {"renadic", looks_like_renadic}, {"bhrc", looks_like_bhrc},
    };
    for (const Sample& sample : sample_files) {
        for (const Detector& detector : detectors) {
            EXPECT_EQ(detector.looks_like(sample.bytes),
                      std::string_view(sample.format) == detector.format)
                << sample.format << " file, " << detector.format << " detector";
        }
    }
}

TEST(FormatsEsm, ThreeFilesOfAStationMakeOneRecordCutToTheirCommonStart) {
    ScratchDir dir;
    // The vertical begins two samples (10 ms) after the horizontals; another station's file
    // is not of the set.
    dir.write(
        "ACC.HNZ.txt",
        samples::esm_text("HNZ", samples::esm_value_lines(2, 8),
                          {{"DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS", "20161030_064004.260"}}));
    dir.write("ACC.HNN.txt", samples::esm_text("HNN", samples::esm_value_lines(0, 8)));
    dir.write("ACC.HNE.txt", samples::esm_text("HNE", samples::esm_value_lines(1, 8)));
    std::vector<std::string> paths = {dir.file("ACC.HNZ.txt"), dir.file("ACC.HNE.txt"),
                                      dir.file("ACC.HNN.txt")};
    std::vector<RecordInput> inputs = group_record_inputs(paths, InputFormat::automatic);
    ASSERT_EQ(inputs.size(), 1u);
    EXPECT_EQ(inputs[0].format, InputFormat::esm);
    EXPECT_EQ(inputs[0].stem, "ACC.HN");
    WaveformRecord record = read_record(inputs[0], {});
    EXPECT_EQ(record.components[0].name, "HNN");
    EXPECT_EQ(record.components[1].name, "HNE");
    EXPECT_EQ(record.components[2].name, "HNZ");
    EXPECT_EQ(record.start_us, 1477809604260000);
    for (int c = 0; c < 3; ++c) {
        std::vector<double> expected;
        for (const std::string& line : samples::esm_value_lines(c, 8))
            expected.push_back(std::stod(line));
        // The horizontals lose their first two samples; every component ends at 6 samples.
        if (c < 2) expected.erase(expected.begin(), expected.begin() + 2);
        expected.resize(6);
        EXPECT_EQ(record.components[c].samples, expected) << c;
    }
    ASSERT_EQ(record.notes.size(), 2u);
    EXPECT_EQ(record.notes[0],
              "ACC.HN: components cut to their common start (samples taken off the beginning: "
              "HNN 2, HNE 2)");
    // Two files of one station and no vertical make no record.
    std::vector<std::string> two = {dir.file("ACC.HNE.txt"), dir.file("ACC.HNN.txt")};
    EXPECT_THROW(group_record_inputs(two, InputFormat::esm), FormatError);
}

// The fixed-width Fortran layouts: values that fill their fields and touch, D exponents,
// implied points, a short last line; and what they refuse.
TEST(FixedFields, LayoutsAndTheirEdges) {
    struct Case {
        const char* layout;
        std::string text;
        std::size_t count;
        std::vector<double> values;  // empty: refused
    };
    const std::vector<Case> cases = {
        {"(8F10.5)", "   1.00000-123.45678   0.50000\n", 3, {1.0, -123.45678, 0.5}},
        {"(2E13.5)", "  0.12500D+01 -0.25000E-01\n  0.30000d+02\n", 3, {1.25, -0.025, 30.0}},
        {"(1P5E16.7)", "   1.2500000E+00\n", 1, {1.25}},
        {"(2I8)", "      12     -34\n       5\n", 3, {12.0, -34.0, 5.0}},
        {"( 4F6.2 )", "   125  -250\n", 2, {1.25, -2.5}},         // no point: two digits after one
        {"(8F10.5)", "   1.00000          -3.00000\n", 3, {}},    // a blank field before the last
        {"(8F10.5)", "   1.00000\n", 2, {}},                      // the file ends early
        {"(8F10.5)", "   1.00000   2.00000   3.00000\n", 2, {}},  // more than the block's count
        {"(10I8)", "     1.5\n", 1, {}},                          // not an integer
        {"(8F10.5)", "   1.0000x\n", 1, {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.layout) + " " + test.text);
        auto layout = fixed_layout_named(test.layout);
        ASSERT_TRUE(layout);
        TextLines lines(test.text);
        if (test.values.empty()) {
            EXPECT_THROW(read_fixed_values("f", lines, *layout, test.count), FormatError);
        } else {
            EXPECT_EQ(read_fixed_values("f", lines, *layout, test.count), test.values);
        }
    }
    for (const char* bad : {"8F10.5", "(8X10)", "(8F10.12)", "(F)", "(8F10.5,2I3)"}) {
        EXPECT_FALSE(fixed_layout_named(bad)) << bad;
    }
}

samples::CosmosBlock cosmos_block(std::string word, int units, std::vector<std::string> lines,
                                  std::size_t count = 6) {
    return {std::move(word), units, "(8F10.5)", count, std::move(lines)};
}

const std::string kSixValues = "   1.00000-123.45678   0.50000   2.25000  -3.00000   4.12500";
const std::vector<double> kSix = {1.0, -123.45678, 0.5, 2.25, -3.0, 4.125};

TEST(FormatsCosmos, LevelsQuantitiesUnitsAndTheHeadersNumbers) {
    const std::string v2 = samples::cosmos_channel(
        2, 360,
        {cosmos_block("acceleration", 4, {kSixValues}),
         cosmos_block("velocity", 5,
                      {"   0.50000   0.25000   0.12500   1.00000   2.00000   3.00000"}),
         cosmos_block("displacement", 6,
                      {"   0.00100   0.00200   0.00300   0.00400   0.00500   0.00600"})});
    struct Case {
        Quantity quantity;
        std::vector<double> samples;
        const char* units;
    };
    const Case cases[] = {
        {Quantity::acceleration, kSix, "cm/s/s"},
        {Quantity::velocity, {0.5, 0.25, 0.125, 1.0, 2.0, 3.0}, "cm/s"},
        {Quantity::displacement, {0.001, 0.002, 0.003, 0.004, 0.005, 0.006}, "cm"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.units);
        std::vector<CosmosChannel> channels = read_cosmos("a.v2", v2, test.quantity);
        ASSERT_EQ(channels.size(), 1u);
        const FileTrace& trace = channels[0].trace;
        EXPECT_EQ(trace.format, "cosmos-v2");
        EXPECT_EQ(trace.network, "CE");
        EXPECT_EQ(trace.station, "13921");
        EXPECT_EQ(channels[0].set_key, "CE.13921");
        EXPECT_EQ(trace.code, "360");
        EXPECT_EQ(trace.azimuth, 0.0);
        EXPECT_EQ(trace.dip, 0.0);
        EXPECT_EQ(channels[0].position, 0);
        EXPECT_EQ(trace.dt, 0.01);
        EXPECT_EQ(trace.start_us, 1577934250250000);  // 2020-01-02T03:04:10.25Z
        EXPECT_EQ(trace.quantity, test.quantity);
        EXPECT_EQ(trace.units, test.units);
        EXPECT_EQ(trace.samples, test.samples);
        ASSERT_TRUE(trace.filter);
        EXPECT_EQ(trace.filter->highpass, 0.1);
        EXPECT_EQ(trace.filter->lowpass, 25.0);
    }
    // The stated peak is the acceleration's largest magnitude, at its sample's time.
    FileTrace acceleration = read_cosmos("a.v2", v2, Quantity::acceleration)[0].trace;
    ASSERT_EQ(acceleration.stated.size(), 1u);
    EXPECT_EQ(acceleration.stated[0].value, -123.45678);
    EXPECT_EQ(acceleration.stated[0].time, 0.01);
    EXPECT_EQ(acceleration.samples[1], acceleration.stated[0].value);

    // V1 in g; V0 in counts through LSB 2.5 uV/count, sensitivity 1.25 V/g and gain 2.
    FileTrace v1 =
        read_cosmos("a.v1",
                    samples::cosmos_channel(1, 90, {cosmos_block("acceleration", 2, {kSixValues})}),
                    Quantity::acceleration)[0]
            .trace;
    EXPECT_EQ(v1.format, "cosmos-v1");
    EXPECT_FALSE(v1.filter);
    EXPECT_EQ(v1.azimuth, 90.0);
    for (std::size_t i = 0; i < kSix.size(); ++i) EXPECT_EQ(v1.samples[i], kSix[i] * 980.665);
    samples::CosmosBlock counts{
        "raw accel.", 50, "(10I8)", 4, {"     100    -200       0   32767"}};
    std::string v0 = samples::cosmos_channel(
        0, 400, {counts}, {{2, "50"}},
        {{21, "2.500000"}, {41, "1.250000"}, {46, "2.000000"}, {62, "0.040000"}});
    FileTrace raw = read_cosmos("a.v0", v0, Quantity::acceleration)[0].trace;
    EXPECT_EQ(raw.format, "cosmos-v0");
    EXPECT_EQ(raw.dip, -90.0);
    const double per_count = 2.5 * 1e-6 / (1.25 * 2.0) * 980.665;
    EXPECT_EQ(raw.samples,
              (std::vector<double>{100 * per_count, -200 * per_count, 0.0, 32767 * per_count}));
}

TEST(FormatsCosmos, OrientationCodes) {
    struct Case {
        int orientation;
        const char* code;
        std::optional<double> azimuth, dip;
        int position;
        double sign;
    };
    const Case cases[] = {
        {360, "360", 0.0, 0.0, 0, 1.0},     {90, "90", 90.0, 0.0, 1, 1.0},
        {228, "228", 228.0, 0.0, -1, 1.0},  {400, "UP", 0.0, -90.0, 2, 1.0},
        {401, "DOWN", 0.0, -90.0, 2, -1.0}, {402, "VERT", 0.0, {}, 2, 1.0},
        {500, "RADL", {}, 0.0, -1, 1.0},    {501, "TRAN", {}, 0.0, -1, 1.0},
        {600, "LONG", {}, 0.0, -1, 1.0},    {700, "H1", {}, 0.0, -1, 1.0},
        {701, "H2", {}, 0.0, -1, 1.0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.orientation);
        CosmosChannel channel =
            read_cosmos("a.v1",
                        samples::cosmos_channel(1, test.orientation,
                                                {cosmos_block("acceleration", 4, {kSixValues})}),
                        Quantity::acceleration)[0];
        EXPECT_EQ(channel.trace.code, test.code);
        EXPECT_EQ(channel.trace.azimuth, test.azimuth);
        EXPECT_EQ(channel.trace.dip, test.dip);
        EXPECT_EQ(channel.position, test.position);
        EXPECT_EQ(channel.trace.samples[1], test.sign * -123.45678);
        EXPECT_EQ(channel.trace.notes.size(), test.sign < 0 ? 1u : 0u);
    }
}

TEST(FormatsCosmos, RefusalsNameTheFileAndTheLine) {
    auto acceleration = [](std::vector<std::string> lines, std::size_t count = 6) {
        return std::vector<samples::CosmosBlock>{
            cosmos_block("acceleration", 4, std::move(lines), count)};
    };
    // Text 1-13, integer header 14-24, real header 25-42, comments 43-44, block line 45.
    struct Case {
        std::string text;
        Quantity quantity;
        const char* message;
    };
    const std::vector<Case> cases = {
        {samples::cosmos_channel(3, 360, acceleration({kSixValues})), Quantity::acceleration,
         "a.v:1: a COSMOS V3 file holds response spectra"},
        {samples::cosmos_channel(1, 360, acceleration({kSixValues})), Quantity::velocity,
         "a.v: the file holds no velocity"},
        {samples::cosmos_channel(1, 360, acceleration({kSixValues}, 7)), Quantity::acceleration,
         "a.v:46: field 7 is blank, but 1 values are still due"},
        {samples::cosmos_channel(1, 360, acceleration({kSixValues, "   7.00000"}, 6)),
         Quantity::acceleration, "a.v:47: an End-of-data line should follow the 6 values"},
        {samples::cosmos_channel(1, 360, acceleration({"   1.00000-12x.45678"})),
         Quantity::acceleration, "a.v:46: '-12x.45678' is not a number of the layout"},
        {samples::cosmos_channel(1, 360, acceleration({kSixValues}), {}, {{62, "0.080000"}}),
         Quantity::acceleration, "a.v:45: 6 samples of 0.01 s last "},
        {samples::cosmos_channel(1, 2000, acceleration({kSixValues})), Quantity::acceleration,
         "a.v:14: orientation code 2000 (value 54) is neither"},
        {samples::cosmos_channel(0, 400, {{"raw accel.", 50, "(10I8)", 1, {"     100"}}},
                                 {{2, "50"}}, {{62, "0.010000"}}),
         Quantity::acceleration, "a.v:25: the samples are counts, and the real header gives no"},
        {samples::cosmos_channel(1, 360, {cosmos_block("acceleration", 5, {kSixValues})}),
         Quantity::acceleration, "a.v:45: units code 5 is not a unit of acceleration"},
        {samples::cosmos_channel(1, 360, acceleration({kSixValues}), {}, {{61, "-999.000000"}}),
         Quantity::acceleration, "a.v:25: the real header gives no sampling interval"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message);
        try {
            read_cosmos("a.v", test.text, test.quantity);
            ADD_FAILURE() << "accepted";
        } catch (const FormatError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, std::strlen(test.message)), test.message)
                << error.what();
        }
    }
    // Cut anywhere, the file is refused, never read short.
    const std::string whole = samples::cosmos_channel(1, 360, acceleration({kSixValues}));
    // (A cut inside the last line's words after "End-of-data" leaves a whole file.)
    for (std::size_t cut = 1; cut < whole.rfind("End-of-data") + 5; cut += 37) {
        EXPECT_THROW(read_cosmos("a.v", whole.substr(0, cut), Quantity::acceleration), FormatError)
            << cut;
    }
}

TEST(FormatsCosmos, ThreeChannelsInOneFileOrInThreeMakeOneRecord) {
    ScratchDir dir;
    auto channel = [](int orientation) {
        return samples::cosmos_channel(2, orientation,
                                       {cosmos_block("acceleration", 4, {kSixValues})});
    };
    dir.write("all.v2", channel(400) + channel(90) + channel(360));
    dir.write("s.up.v2", channel(400));
    dir.write("s.90.v2", channel(90));
    dir.write("s.360.v2", channel(360));
    struct Case {
        std::vector<std::string> paths;
        std::vector<std::size_t> channels;
    };
    const Case cases[] = {
        {{dir.file("all.v2")}, {2, 1, 0}},
        {{dir.file("s.up.v2"), dir.file("s.90.v2"), dir.file("s.360.v2")}, {}},
    };
    for (const Case& test : cases) {
        std::vector<RecordInput> inputs = group_record_inputs(test.paths, InputFormat::automatic);
        ASSERT_EQ(inputs.size(), 1u);
        EXPECT_EQ(inputs[0].format, InputFormat::cosmos);
        EXPECT_EQ(inputs[0].channels, test.channels);
        WaveformRecord record = read_record(inputs[0], {});
        EXPECT_EQ(record.components[0].code, "360");
        EXPECT_EQ(record.components[1].code, "90");
        EXPECT_EQ(record.components[2].code, "UP");
        EXPECT_EQ(record.format, "cosmos-v2");
        for (const ComponentTrace& component : record.components)
            EXPECT_EQ(component.samples, kSix);
    }
    // Four channels of one station make no record.
    dir.write("four.v2", channel(400) + channel(90) + channel(360) + channel(180));
    std::vector<std::string> four = {dir.file("four.v2")};
    EXPECT_THROW(group_record_inputs(four, InputFormat::automatic), FormatError);
    // --channels picks three of them by their place in the file (counted from 0 here).
    const std::vector<std::size_t> picked = {3, 1, 0};
    std::vector<RecordInput> chosen = group_record_inputs(four, InputFormat::automatic, picked);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].channels, (std::vector<std::size_t>{3, 1, 0}));  // 180, 90, then up
    WaveformRecord record = read_record(chosen[0], {});
    EXPECT_EQ(record.components[0].azimuth, 180.0);
    EXPECT_EQ(record.components[2].code, "UP");
    const std::vector<std::size_t> beyond = {0, 1, 4};
    EXPECT_THROW(group_record_inputs(four, InputFormat::automatic, beyond), FormatError);
}

TEST(FormatsSmc, HeaderFieldsOrientationAndValues) {
    const std::string values = "   1.00000-123.45678   0.50000   2.25000  -3.00000   4.12500";
    struct Case {
        long vertical, horizontal;
        const char* code;
        std::optional<double> azimuth, dip;
        int position;
        double sign;
    };
    const Case cases[] = {
        {90, 90, "90", 90.0, 0.0, 1, 1.0},          {90, 360, "360", 0.0, 0.0, 0, 1.0},
        {90, 228, "228", 228.0, 0.0, -1, 1.0},      {0, -32768, "UP", 0.0, -90.0, 2, 1.0},
        {180, -32768, "DOWN", 0.0, -90.0, 2, -1.0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.code);
        SmcChannel channel = read_smc(
            "a.smc",
            samples::smc_text(2, {values}, 6, {{12, test.vertical}, {13, test.horizontal}}));
        const FileTrace& trace = channel.trace;
        EXPECT_EQ(trace.format, "smc-v2");
        EXPECT_EQ(trace.station, "ABCD");
        EXPECT_EQ(trace.code, test.code);
        EXPECT_EQ(trace.azimuth, test.azimuth);
        EXPECT_EQ(trace.dip, test.dip);
        EXPECT_EQ(channel.position, test.position);
        EXPECT_EQ(trace.dt, 1.0 / 200.0);
        EXPECT_EQ(trace.start_us, 1580612650250000);  // day 33 of 2020: 2020-02-02T03:04:10.25Z
        EXPECT_EQ(trace.units, "cm/s/s");
        std::vector<double> expected;
        for (double v : kSix) expected.push_back(test.sign * v);
        EXPECT_EQ(trace.samples, expected);
    }
    EXPECT_EQ(read_smc("a.smc", samples::smc_text(1, {values}, 6)).trace.format, "smc-v1");
    // A year beyond any int gives no start (and no conversion out of range).
    EXPECT_FALSE(
        read_smc("a.smc", samples::smc_text(2, {values}, 6, {{1, 9999999999L}})).trace.start_us);
}

TEST(FormatsSmc, RefusalsNameTheFileAndTheLine) {
    const std::string values = "   1.00000-123.45678   0.50000   2.25000  -3.00000   4.12500";
    // Text 1-11, integers 12-17, reals 18-27, the comment 28, values from 29.
    struct Case {
        std::string text;
        const char* message;
    };
    const std::vector<Case> cases = {
        {samples::smc_text(2, {values}, 7),
         "a.smc:29: field 7 is blank, but 1 values are still due"},
        {samples::smc_text(2, {values}, 5), "a.smc:29: more than the 5 values the block states"},
        {samples::smc_text(2, {values, "   1.00000"}, 6), "a.smc:30: more than the 6 samples"},
        {samples::smc_text(2, {values}, 6, {}, {{1, "0.0000000E+00"}}),
         "a.smc:18: the sampling rate (real 2) is not positive"},
        {samples::smc_text(2, {values}, 6, {{12, 45}, {13, -32768}}),
         "a.smc:13: the orientation (integers 13 and 14) is neither"},
        {samples::smc_text(2, {"   1.00000-12x.45678"}, 2),
         "a.smc:29: '-12x.45678' is not a number"},
        {samples::smc_text(2, {values}, 6).replace(0, 1, "3"),
         "a.smc:1: the first line is neither"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message);
        try {
            read_smc("a.smc", test.text);
            ADD_FAILURE() << "accepted";
        } catch (const FormatError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, std::strlen(test.message)), test.message)
                << error.what();
        }
    }
}

TEST(FormatsGeonet, ThreeComponentsTheirQuantitiesAndThePadding) {
    // Four samples a block, ten fields of eight columns a line: acceleration mm/s^2, then
    // velocity mm/s and displacement mm.
    const std::vector<std::string> blocks = {"  12.500-100.250   0.000   7.125",
                                             "   1.000   2.000   3.000   4.000",
                                             "  -0.500   0.500  -0.250   0.250"};
    const std::string file = samples::geonet_component(true, "N28E", blocks, {{31, 1}, {32, 2}}) +
                             samples::geonet_component(true, "UP", blocks) +
                             samples::geonet_component(true, "S72W", blocks);
    struct Case {
        Quantity quantity;
        std::vector<double> millimetres;
        const char* units;
    };
    const Case cases[] = {
        {Quantity::acceleration, {12.5, -100.25, 0.0, 7.125}, "cm/s/s"},
        {Quantity::velocity, {1.0, 2.0, 3.0, 4.0}, "cm/s"},
        {Quantity::displacement, {-0.5, 0.5, -0.25, 0.25}, "cm"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.units);
        std::array<FileTrace, 3> traces = read_geonet("a.V2A", file, test.quantity);
        const double azimuths[] = {28.0, 0.0, 252.0};
        const double dips[] = {0.0, -90.0, 0.0};
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(traces[c].format, "geonet-v2a");
            EXPECT_EQ(traces[c].network, "NZ");
            EXPECT_EQ(traces[c].station, "WTMC");
            EXPECT_EQ(traces[c].azimuth, azimuths[c]);
            EXPECT_EQ(traces[c].dip, dips[c]);
            EXPECT_EQ(traces[c].dt, 0.005);
            EXPECT_EQ(traces[c].units, test.units);
            std::vector<double> expected;
            for (double mm : test.millimetres) expected.push_back(mm / 10.0);
            EXPECT_EQ(traces[c].samples, expected);
        }
        // 2020-01-02T03:04:10.25Z, the buffer's first sample; one zero padded before it.
        EXPECT_EQ(traces[0].start_us, 1577934250250000 - 5000);
        EXPECT_EQ(traces[1].start_us, 1577934250250000);
        ASSERT_EQ(traces[0].notes.size(), 1u);
        EXPECT_EQ(traces[0].notes[0],
                  "a.V2A: N28E: the 1 and 2 zeros padded before and after are kept as samples");
    }
    // V1A holds acceleration alone, of integer 31's count.
    const std::string v1 =
        samples::geonet_component(false, "N", {blocks[0]}, {{33, 0}, {34, 0}, {35, 0}}) +
        samples::geonet_component(false, "E", {blocks[0]}, {{33, 0}, {34, 0}, {35, 0}}) +
        samples::geonet_component(false, "DOWN", {blocks[0]}, {{33, 0}, {34, 0}, {35, 0}});
    std::array<FileTrace, 3> raw = read_geonet("a.V1A", v1, Quantity::acceleration);
    EXPECT_EQ(raw[0].format, "geonet-v1a");
    EXPECT_EQ(raw[1].azimuth, 90.0);
    EXPECT_EQ(raw[2].samples[1], 100.25 / 10.0);  // recorded pointing down: sign turned
    EXPECT_THROW(read_geonet("a.V1A", v1, Quantity::velocity), FormatError);
    // Refusals: a component that is no direction, a count the values do not fill.
    struct Refusal {
        std::string text;
        const char* message;
    };
    const Refusal refusals[] = {
        {samples::geonet_component(true, "X9Y", blocks) + file,
         "a.V2A:13: component 'X9Y' is neither"},
        {samples::geonet_component(true, "N", blocks, {{33, 5}}) + file,
         "a.V2A:27: field 5 is blank"},
        {file + "   1.000\n", "a.V2A:88: more than the three components' values"},
    };
    for (const Refusal& refusal : refusals) {
        try {
            read_geonet("a.V2A", refusal.text, Quantity::acceleration);
            ADD_FAILURE() << refusal.message;
        } catch (const FormatError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, std::strlen(refusal.message)),
                      refusal.message)
                << error.what();
        }
    }
}

// Error lines begin with the file and line given.
void expect_refusal(const std::function<void()>& read, const std::string& message) {
    try {
        read();
        ADD_FAILURE() << "accepted; expected " << message;
    } catch (const FormatError& error) {
        EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message) << error.what();
    }
}

const std::string kCsmipAccel =
    "       4 points of accel data equally spaced at  .010 sec, in cm/sec2.  (Format: "
    "(8F10.3))\n    -2.500     1.250  1234.567-1234.5670\n";
const std::string kCsmipVeloc =
    "       4 points of veloc data equally spaced at  .010 sec, in cm/sec.   (Format: "
    "(8F10.3))\n     0.125     0.000    -0.125     0.000\n";
// No point: F10.3 puts one three digits from the right.
const std::string kCsmipDispl =
    "       4 points of displ data equally spaced at  .010 sec, in cm.   (Format: (8F10.3))\n"
    "         1         2         3        -4\n";

TEST(FormatsCsmip, VolumesQuantitiesDirectionsAndTheStart) {
    const std::string v2 =
        samples::csmip_channel(2, "360", {kCsmipAccel, kCsmipVeloc, kCsmipDispl});
    struct Case {
        Quantity quantity;
        std::vector<double> samples;
        const char* units;
    };
    const Case cases[] = {
        {Quantity::acceleration, {-2.5, 1.25, 1234.567, -1234.567}, "cm/s/s"},
        {Quantity::velocity, {0.125, 0.0, -0.125, 0.0}, "cm/s"},
        {Quantity::displacement, {0.001, 0.002, 0.003, -0.004}, "cm"},
    };
    for (const Case& test : cases) {
        std::vector<CsmipChannel> channels = read_csmip("a.V2", v2 + v2, test.quantity);
        ASSERT_EQ(channels.size(), 2u);
        const FileTrace& trace = channels[1].trace;
        EXPECT_EQ(trace.format, "csmip-v2");
        EXPECT_EQ(channels[1].set_key, "CE.24611");
        EXPECT_EQ(channels[1].position, 0);
        EXPECT_EQ(trace.azimuth, 0.0);
        EXPECT_EQ(trace.dt, 0.01);
        EXPECT_EQ(trace.samples, test.samples);
        EXPECT_EQ(trace.units, test.units);
        // 23:33:48.0 PDT on 4 July is 06:33:48.0 UTC on the 5th.
        EXPECT_EQ(trace.start_us, 1562308428000000);
        ASSERT_EQ(trace.stated.size(), 2u);
        EXPECT_EQ(trace.stated[0].value, -2.5);
        EXPECT_EQ(trace.stated[0].time, 0.02);
        EXPECT_EQ(trace.stated[1].quantity, "velocity");
        EXPECT_EQ(trace.filter->highpass, 0.1);
        EXPECT_EQ(trace.filter->lowpass, 40.0);
    }
    // V1 in g/10 (eight fields of nine columns by default); a vertical pointing down; a start
    // in PST alone.
    const std::string v1 = samples::csmip_channel(
        1, "Down",
        {"       2 points of accel data equally spaced at  .005 sec, in g/10.\n"
         " 1.000000-0.500000\n"},
        "Rcrd of Sun Jan  1, 2012 20:00:00.5 PST");
    const FileTrace down = read_csmip("a.V1", v1, Quantity::acceleration)[0].trace;
    EXPECT_EQ(down.format, "csmip-v1");
    EXPECT_EQ(down.dip, -90.0);
    EXPECT_EQ(down.samples, (std::vector<double>{-98.0665, 0.5 * 98.0665}));
    EXPECT_EQ(down.start_us, 1325476800500000);  // 2012-01-02T04:00:00.5Z
    EXPECT_EQ(read_csmip("a.V2", samples::csmip_channel(2, "90", {kCsmipAccel}),
                         Quantity::acceleration)[0]
                  .position,
              1);
    // Refusals.
    expect_refusal([&] { read_csmip("a.V1", v1, Quantity::velocity); },
                   "a.V1: Down: the channel holds no velocity");
    expect_refusal(
        [&] {
            read_csmip(
                "a.V2",
                samples::csmip_channel(2, "90", {kCsmipAccel}, "Rcrd of Jul  4, 2019 10:33:48.0"),
                Quantity::acceleration);
        },
        "a.V2:4: the record's start names no time zone");
    expect_refusal(
        [&] {
            read_csmip("a.V2",
                       samples::csmip_channel(2, "90",
                                              {kCsmipAccel.substr(0, kCsmipAccel.find('\n') + 1)}),
                       Quantity::acceleration);
        },
        "a.V2:47: '/&  ------' is not a number");
    expect_refusal(
        [&] {
            read_csmip("a.V3", "RESPONSE AND FOURIER AMPLITUDE SPECTRA\n", Quantity::acceleration);
        },
        "a.V3:1: a CSMIP volume 3 file");
}

TEST(FormatsNational, CwaAfadUnamRenadicBhrc) {
    // CWA: time, U, N, E; the start on Taiwan's clock (UTC+8).
    const std::vector<std::string> cwa_rows = {"     0.000     1.000     2.000     3.000",
                                               "     0.010    -1.500 -1234.567-12345.678",
                                               "     0.020     0.000     0.000     0.000"};
    std::array<FileTrace, 3> cwa = read_cwa("a.txt", samples::cwa_text(cwa_rows));
    EXPECT_EQ(cwa[0].code, "N");
    EXPECT_EQ(cwa[0].samples, (std::vector<double>{2.0, -1234.567, 0.0}));
    EXPECT_EQ(cwa[1].samples, (std::vector<double>{3.0, -12345.678, 0.0}));
    EXPECT_EQ(cwa[2].samples, (std::vector<double>{1.0, -1.5, 0.0}));
    EXPECT_EQ(cwa[2].dip, -90.0);
    EXPECT_EQ(cwa[1].azimuth, 90.0);
    EXPECT_EQ(cwa[0].dt, 0.01);
    EXPECT_EQ(cwa[0].station, "HWA019");
    EXPECT_EQ(cwa[0].start_us, 1517932241250000);
    // AFAD: GMT as written; Turkey's clock otherwise, UTC+3 in summer and since 2016, UTC+2
    // in winters before.
    const std::vector<std::string> afad_rows = {"1.5 -2.25 3", "0 0 -0.125"};
    struct Zone {
        const char* start;
        std::int64_t utc_s;
    };
    const Zone zones[] = {{"20/07/2017 22:30:58.000000 (GMT)", 1500589858},
                          {"20/07/2015 22:30:58.000000", 1437420658},
                          {"20/01/2015 22:30:58.000000", 1421785858},
                          {"20/07/2017 01:30:58.000000 (LOCAL)", 1500589858 - 86400}};
    for (const Zone& zone : zones) {
        auto afad = read_afad("a.txt", samples::afad_text(afad_rows, zone.start, "2"));
        EXPECT_EQ(afad[0].start_us, zone.utc_s * 1000000) << zone.start;
        EXPECT_EQ(afad[1].samples, (std::vector<double>{-2.25, 0.0}));
        EXPECT_EQ(afad[2].code, "U-D");
        EXPECT_EQ(afad[0].station, "3513");
    }
    // UNAM: the first sample after midnight of the origin's date; N90W is azimuth 270.
    auto unam = read_unam("a.txt", samples::unam_text({"1.0 2.0 3.0", "-4 5e1 6D-1"}, "2"));
    EXPECT_EQ(unam[0].start_us, 1505865605500000);
    EXPECT_EQ(unam[2].azimuth, 270.0);
    EXPECT_EQ(unam[1].dip, -90.0);
    EXPECT_EQ(unam[2].samples, (std::vector<double>{3.0, 0.6}));
    EXPECT_EQ(unam[0].station, "CUP5");
    // RENADIC: (time, g/10) pairs of seven columns; dt = duration / (count - 1).
    const std::string renadic_data = "  0.000 1.0000  0.005-0.5000  0.010 0.2500";
    auto channel = [&](const std::string& code) {
        return samples::renadic_channel(code, "NPTS 3 DURATION 0.010", {renadic_data});
    };
    auto renadic = read_renadic("a.txt", channel("NS") + channel("Z") + channel("EW"));
    EXPECT_EQ(renadic[0].samples, (std::vector<double>{98.0665, -0.5 * 98.0665, 0.25 * 98.0665}));
    EXPECT_EQ(renadic[0].dt, 0.005);
    EXPECT_EQ(renadic[1].dip, -90.0);
    EXPECT_EQ(renadic[2].azimuth, 90.0);
    EXPECT_EQ(renadic[0].station, "VINA");
    EXPECT_EQ(renadic[0].start_us, 1267252454500000);
    // BHRC: L and T at the station line's azimuths, thirteen columns a field in g/10.
    const std::string bhrc_data = "    1.0000000   -0.5000000-12.500000000";
    auto bhrc = read_bhrc("a.txt", samples::bhrc_channel("L", {bhrc_data}) +
                                       samples::bhrc_channel("T", {bhrc_data}) +
                                       samples::bhrc_channel("V", {bhrc_data}));
    EXPECT_EQ(bhrc[0].azimuth, 125.0);
    EXPECT_EQ(bhrc[1].azimuth, 215.0);
    EXPECT_EQ(bhrc[2].dip, -90.0);
    EXPECT_EQ(bhrc[0].samples, (std::vector<double>{98.0665, -0.5 * 98.0665, -12.5 * 98.0665}));
    EXPECT_EQ(bhrc[0].dt, 0.01);
    EXPECT_FALSE(bhrc[0].start_us);
    // Refusals.
    std::vector<std::string> skipped = cwa_rows;
    skipped.erase(skipped.begin() + 1);
    expect_refusal([&] { read_cwa("a.txt", samples::cwa_text(skipped)); },
                   "a.txt:10: the time 0.02 s is not row 2's");
    expect_refusal([&] { read_cwa("a.txt", samples::cwa_text(cwa_rows, "2018/02/06", "0.03")); },
                   "a.txt:4: StartTime '2018/02/06' is not a time");
    expect_refusal(
        [&] { read_cwa("a.txt", samples::cwa_text(cwa_rows, "2018/02/06-23:50:41.250", "9")); },
        "a.txt:5: 3 samples of 0.01 s last 0.03 s, but RecordLength is 9 s");
    expect_refusal([&] { read_afad("a.txt", samples::afad_text(afad_rows, zones[0].start, "3")); },
                   "a.txt:20: the file ends after 2 of 3 rows");
    expect_refusal(
        [&] {
            read_afad("a.txt", samples::afad_text({"1 2", "3 4 5"}, zones[0].start, "2"));
        },
        "a.txt:19: 2 values on the line, not 3");
    expect_refusal(
        [&] {
            read_unam("a.txt", samples::unam_text({"1 2 3", "4 5 6", "7 8 9"}, "2"));
        },
        "a.txt:22: text after the header's count of rows");
    expect_refusal([&] { read_renadic("a.txt", channel("XX")); },
                   "a.txt:7: channel 'XX' (columns 10 and 11) is none of");
    expect_refusal([&] { read_bhrc("a.txt", samples::bhrc_channel("L", {bhrc_data})); },
                   "a.txt:29: the file ends inside a channel's text header");
}

// A rotated horizontal's name: a SEED code takes the letter; any other name is replaced, so
// that no "36N" or "N28N" names a direction it is not.
TEST(ChannelCodes, RotatedNames) {
    const std::array<std::array<const char*, 3>, 7> cases = {{{"HH1", "N", "HHN"},
                                                              {"HN2", "E", "HNE"},
                                                              {"BHE", "E", "BHE"},
                                                              {"360", "N", "N"},
                                                              {"N28E", "N", "N"},
                                                              {"S72W", "E", "E"},
                                                              {"N-S", "N", "N"}}};
    for (const auto& [name, letter, rotated] : cases) {
        EXPECT_EQ(rotated_component_name(name, letter[0]), rotated) << name;
    }
}

TEST(AgencyText, TurkishCodePageAndNumbersInText) {
    // Windows-1254: the six Turkish letters, a character of 0x80-0x9F and an undefined byte.
    EXPECT_EQ(windows1254_to_utf8("\xDD\xFD\xDE\xFE\xD0\xF0\xDC\xE7 \x80\x81"),
              "\u0130\u0131\u015E\u015F\u011E\u011F\u00DC\u00E7 \u20AC\uFFFD");
    EXPECT_EQ(numbers_in("NPTS= 8000, DUR= -39.99 SEC .5"),
              (std::vector<double>{8000.0, -39.99, 0.5}));
}

}  // namespace
}  // namespace wavespec::formats
