// The elementary functions built from basic operations, against the long double library
// (64-bit significands, so its values stand as the truth at double precision).
#include "spectral/portable_math.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <random>

namespace wavespec {
namespace {

// The distance in units of the last place of the double nearest the true value.
double ulps(double got, long double truth) {
    double nearest = static_cast<double>(truth);
    if (nearest == 0.0) return got == 0.0 ? 0.0 : INFINITY;
    double unit = std::nextafter(std::fabs(nearest), INFINITY) - std::fabs(nearest);
    return static_cast<double>(std::fabs(static_cast<long double>(got) - truth)) / unit;
}

struct Case {
    const char* name;
    double low, high;
    double bound;  // in units of the last place
    std::function<double(double)> portable;
    std::function<long double(long double)> truth;
};

TEST(PortableMath, WithinAFewUnitsInTheLastPlaceOverTheirRanges) {
    const Case cases[] = {
        {"exp", -700.0, 700.0, 2.0, portable_exp, [](long double x) { return expl(x); }},
        {"exp small", -1e-3, 1e-3, 1.0, portable_exp, [](long double x) { return expl(x); }},
        {"log", 1e-300, 1e300, 2.0, portable_log, [](long double x) { return logl(x); }},
        {"log near 1", 0.9, 1.1, 2.0, portable_log, [](long double x) { return logl(x); }},
        {"log10", 1e-5, 1e5, 3.5, portable_log10, [](long double x) { return log10l(x); }},
        {"exp10", -6.0, 6.0, 2.0, portable_exp10, [](long double x) { return powl(10.0L, x); }},
        {"sin", -1e5, 1e5, 2.5, [](double x) { return portable_sin_cos(x).sin; },
         [](long double x) { return sinl(x); }},
        {"cos", -1e5, 1e5, 2.5, [](double x) { return portable_sin_cos(x).cos; },
         [](long double x) { return cosl(x); }},
        {"cos to the largest argument", 9e5, 1e6, 2.5,
         [](double x) { return portable_sin_cos(x).cos; }, [](long double x) { return cosl(x); }},
        {"sin small", -1.0, 1.0, 2.5, [](double x) { return portable_sin_cos(x).sin; },
         [](long double x) { return sinl(x); }},
    };
    std::mt19937_64 engine(11);
    for (const Case& c : cases) {
        const bool logarithmic = c.low > 0.0;
        std::uniform_real_distribution<double> pick(logarithmic ? std::log(c.low) : c.low,
                                                    logarithmic ? std::log(c.high) : c.high);
        double worst = 0.0;
        for (int i = 0; i < 20000; ++i) {
            double x = logarithmic ? std::exp(pick(engine)) : pick(engine);
            worst = std::max(worst, ulps(c.portable(x), c.truth(x)));
        }
        EXPECT_LE(worst, c.bound) << c.name;
    }
}

// Angles in every quadrant, near the axes and the diagonals, against atan2l; the C library's
// values at zeros and infinities.
TEST(PortableMath, ArctangentOfEveryQuadrantAndEdge) {
    std::mt19937_64 engine(12);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0), turn(-3.2, 3.2);
    double worst = 0.0;
    for (int i = 0; i < 40000; ++i) {
        double r = std::exp(exponent(engine)), a = turn(engine);
        double x = i % 4 == 0 ? r : r * std::cos(a), y = i % 4 == 1 ? 0.5 * r : r * std::sin(a);
        if (i % 8 == 2) x = -y;  // the diagonals
        worst = std::max(worst, ulps(portable_atan2(y, x), atan2l(y, x)));
    }
    EXPECT_LE(worst, 2.0);
    constexpr double kInf = INFINITY;
    for (double y : {0.0, -0.0, 1.0, -1.0, kInf, -kInf}) {
        for (double x : {0.0, -0.0, 1.0, -1.0, kInf, -kInf}) {
            double want = std::atan2(y, x);
            EXPECT_EQ(portable_atan2(y, x), want) << y << " " << x;
            EXPECT_EQ(std::signbit(portable_atan2(y, x)), std::signbit(want)) << y << " " << x;
        }
    }
    EXPECT_TRUE(std::isnan(portable_atan2(NAN, 1.0)) && std::isnan(portable_atan2(1.0, NAN)));
}

TEST(PortableMath, ExactPointsAndEdges) {
    EXPECT_EQ(portable_exp(0.0), 1.0);
    EXPECT_EQ(portable_log(1.0), 0.0);
    EXPECT_EQ(portable_sin_cos(0.0).sin, 0.0);
    EXPECT_EQ(portable_sin_cos(0.0).cos, 1.0);
    EXPECT_EQ(portable_exp(-1000.0), 0.0);
    EXPECT_TRUE(std::isinf(portable_exp(1000.0)));
    EXPECT_TRUE(std::isinf(portable_log(0.0)) && portable_log(0.0) < 0.0);
    EXPECT_TRUE(std::isnan(portable_log(-1.0)));
    EXPECT_TRUE(std::isnan(portable_exp(NAN)));
}

// Beyond the exact reduction both values are NaN; before, 1.5e19 and beyond converted the
// quotient to long long out of its range.
TEST(PortableMath, SineAndCosineRefuseArgumentsBeyondTheExactReduction) {
    for (double x : {-1e6, 1e6}) {
        EXPECT_LE(ulps(portable_sin_cos(x).sin, sinl(x)), 2.5) << x;
    }
    for (double x : std::initializer_list<double>{std::nextafter(1e6, 2e6), -1.5e6, 1.5e19, -1e300,
                                                  DBL_MAX, INFINITY, -INFINITY, NAN}) {
        SineCosine sc = portable_sin_cos(x);
        EXPECT_TRUE(std::isnan(sc.sin) && std::isnan(sc.cos)) << x;
    }
}

}  // namespace
}  // namespace wavespec
