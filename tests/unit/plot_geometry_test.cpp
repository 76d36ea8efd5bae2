// The geometry of the pictures: axis ranges, decade ticks and labels, the min/max thinning
// that must keep every extreme, and gaps where a value cannot be drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "plot/axes.hpp"
#include "plot/decimate.hpp"
#include "plot/pictures.hpp"
#include "plot/svg_text.hpp"

namespace wavespec::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PlotAxes, DecadeRangeHoldsEveryPositiveValue) {
    struct Case {
        std::vector<double> values;
        int max_decades, low, high;
    };
    const Case cases[] = {
        {{0.0122, 50.0}, 12, -2, 2},
        {{1.0, 10.0}, 12, 0, 1},              // exact powers stay in their own decade
        {{0.0, -3.0, kNaN, 0.5}, 12, -1, 0},  // zeros, negatives and NaN ignored
        {{3.0, 3.0}, 12, 0, 1},               // one value: one decade
        {{1e-20, 900.0}, 8, -5, 3},           // the low end is cut to max_decades
        {{0.0}, 8, 0, 1},                     // nothing positive
    };
    for (const Case& c : cases) {
        std::span<const double> series[] = {c.values};
        Decades d = decade_range(series, c.max_decades);
        EXPECT_EQ(d.low, c.low) << c.values.front();
        EXPECT_EQ(d.high, c.high) << c.values.front();
    }
}

TEST(PlotAxes, DecadeTicksAndLabels) {
    std::vector<Tick> ticks = decade_ticks({-1, 1});
    ASSERT_EQ(ticks.size(), 19u);  // 3 decades, 8 minor ticks in each of the 2 intervals
    EXPECT_EQ(ticks.front().label, "0.1");
    EXPECT_EQ(ticks[9].label, "1");
    EXPECT_DOUBLE_EQ(ticks[10].value, 2.0);
    EXPECT_EQ(ticks[10].label, "");
    EXPECT_EQ(ticks.back().label, "10");
    const std::pair<int, const char*> labels[] = {{-4, "1e-4"}, {-3, "1e-3"}, {-2, "0.01"},
                                                  {0, "1"},     {3, "1000"},  {4, "1e4"}};
    for (auto [exponent, label] : labels) EXPECT_EQ(decade_label(exponent), label);
}

TEST(PlotAxes, LinearTicksCoverTheRangeAtRoundSteps) {
    struct Case {
        double low, high;
        double want_low, want_high;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {-17.3, 19.2, -20, 20, {"-20", "-10", "0", "10", "20"}},
        {0.0, 0.034, 0.0, 0.04, {"0.00", "0.01", "0.02", "0.03", "0.04"}},
        {0.0, 59.99, 0.0, 60.0, {"0", "20", "40", "60"}},
        {5.0, 5.0, 4.5, 5.5, {"4.5", "5.0", "5.5"}},  // one value: a range around it
    };
    for (const Case& c : cases) {
        double low = c.low, high = c.high;
        std::vector<Tick> ticks = linear_ticks(low, high, c.labels.size() == 4 ? 3 : 4);
        EXPECT_DOUBLE_EQ(low, c.want_low);
        EXPECT_DOUBLE_EQ(high, c.want_high);
        std::vector<std::string> labels;
        for (const Tick& t : ticks) labels.push_back(t.label);
        EXPECT_EQ(labels, c.labels) << c.low << " " << c.high;
    }
}

TEST(PlotSvgText, PixelCoordinatesInTenths) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"},         {12.0, "12"},        {12.34, "12.3"},
        {12.36, "12.4"},    {-0.04, "0"},        {-0.06, "-0.1"},
        {-7.5, "-7.5"},     {99.96, "100"},      {1e9, "1000000"},
        {-1e9, "-1000000"}, {std::nan(""), "0"}, {std::numeric_limits<double>::infinity(), "0"},
    };
    for (auto [value, text] : cases) {
        std::string out = "<";
        append_pixel(out, value);
        EXPECT_EQ(out, std::string("<") + text) << value;
    }
}

TEST(PlotDecimate, KeepsEveryColumnsExtremesAndAtMostTwoPoints) {
    std::mt19937 random(14);
    std::normal_distribution<double> noise(0.0, 50.0);
    std::vector<Point> points;
    const int columns = 700, per_column = 47;  // about 32768 samples
    for (int i = 0; i < columns * per_column; ++i) {
        points.push_back({90.0 + i / double(per_column), 300.0 + noise(random)});
    }
    std::vector<Point> kept = decimate_columns(points);
    EXPECT_LE(kept.size(), 2u * columns);
    for (int col = 0; col < columns; ++col) {
        double low = INFINITY, high = -INFINITY, kept_low = INFINITY, kept_high = -INFINITY;
        for (int i = col * per_column; i < (col + 1) * per_column; ++i) {
            low = std::min(low, points[i].y);
            high = std::max(high, points[i].y);
        }
        for (const Point& p : kept) {
            if (std::floor(p.x) != 90.0 + col) continue;
            kept_low = std::min(kept_low, p.y);
            kept_high = std::max(kept_high, p.y);
        }
        ASSERT_EQ(kept_low, low) << "column " << col;
        ASSERT_EQ(kept_high, high) << "column " << col;
    }
}

TEST(PlotDecimate, GapsStayGapsAndPathsBreakThere) {
    const Point points[] = {{1, 5},    {2, 6}, {3, kNaN}, {4, kNaN},     {5, 7},
                            {6, kNaN}, {7, 8}, {8, 9},    {INFINITY, 3}, {9, 1}};
    std::vector<Point> kept = decimate_columns(points);
    ASSERT_EQ(kept.size(), 9u);  // the two neighbouring gaps are one
    std::string d;
    append_path_data(d, kept);
    EXPECT_EQ(d, "M1,5L2,6M5,7h0M7,8L8,9M9,1h0");
}

TEST(PlotSpectra, ZeroAndMissingAmplitudesLeaveGapsNotSpikes) {
    std::vector<double> f, a, b;
    for (int i = 1; i <= 16384; ++i) {
        f.push_back(i / 163.84);
        a.push_back(i >= 5000 && i < 6000 ? 0.0 : 1.0 / i);  // a band filtered to zero
        b.push_back(i == 100 ? kNaN : 2.0 / i);
    }
    SpectraPicture p{.record = "r.csv",
                     .nt = 32768,
                     .dt = 0.005,
                     .processing = describe_processing(std::array{0.1, 0.2, 20.0, 25.0}, 1,
                                                       std::array{5.0, 20.0}),
                     .bandpass = std::array{0.1, 0.2, 20.0, 25.0},
                     .names = {"NS", "EW", "UD"},
                     .frequency = f,
                     .amplitude = {a, b, b}};
    std::string svg = spectra_svg(p);
    EXPECT_LT(svg.size(), 300'000u);
    EXPECT_NE(svg.find("band-pass 0.1/0.2/20/25 Hz, integrated, window 5-25 s"), std::string::npos);
    // Each component's path: two stretches around its gap, and nothing drawn on the bottom
    // axis (y = 540) where a zero would have been pulled.
    std::size_t at = 0;
    for (int c = 0; c < 3; ++c) {
        at = svg.find("<path ", at + 1);
        ASSERT_NE(at, std::string::npos);
        std::string path = svg.substr(at, svg.find("/>", at) - at);
        EXPECT_EQ(std::count(path.begin(), path.end(), 'M'), 2) << c;
        EXPECT_EQ(path.find(",540"), std::string::npos) << c;
    }
}

TEST(PlotWaveform, EmptyAndFlatInputsStillGiveAPicture) {
    const std::vector<double> flat(100, 0.0), none;
    WaveformPicture p{.record = "",
                      .names = {"a", "b", "c"},
                      .dt = 0.01,
                      .original = {none, none, none},
                      .output_start = 0.0,
                      .output_step = 0.01,
                      .output = {flat, none, flat}};
    std::string svg = waveform_svg(p);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_TRUE(svg.ends_with("</svg>\n"));
}

}  // namespace
}  // namespace wavespec::plot
