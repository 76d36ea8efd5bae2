// The readers' shared rules (the calendar, channel codes, units) and the agencies' text
// formats, against values typed from the formats' descriptions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "agency_samples.hpp"
#include "formats/at2_reader.hpp"
#include "formats/calendar.hpp"
#include "formats/channel_codes.hpp"
#include "formats/esm_reader.hpp"
#include "formats/knet_reader.hpp"
#include "formats/mseed_segments.hpp"
#include "formats/physical_units.hpp"
#include "formats/sac_reader.hpp"
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
        if (test.us) EXPECT_EQ(iso_time(*test.us), test.text);
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
        {"csv", "time,a,b,c\n0,1,2,3\n0.01,1,2,3\n"},
        // A text header that names NPTS and DT on its fourth line is not AT2.
        {"none", "Corrected accelerogram\nStation 1\nComponent 360\nNPTS and DT: see below\n"},
    };
    struct Detector {
        const char* format;
        bool (*looks_like)(std::string_view);
    };
    const Detector detectors[] = {
        {"knet", looks_like_knet},   {"at2", looks_like_at2}, {"sac", looks_like_sac},
        {"mseed", looks_like_mseed}, {"esm", looks_like_esm},
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

}  // namespace
}  // namespace wavespec::formats
