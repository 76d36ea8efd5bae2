#include "spectral/portable_math.hpp"

#include <cmath>
#include <initializer_list>
#include <limits>

namespace wavespec {
namespace {

// ln 2 and pi/2 in parts whose products with small integers are exact.
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
constexpr double kHalfPi1 = 1.57079632673412561417e+00;
constexpr double kHalfPi2 = 6.07710050630396597660e-11;
constexpr double kHalfPi3 = 2.02226624871116645580e-21;
constexpr double kLn10 = 2.302585092994045684;
constexpr double kLn10Low = -2.1707562233822494e-16;  // ln 10 - kLn10

// sin and cos of r, |r| <= pi/4: Taylor series to the 17th and 18th power (the first term
// left out is below 1e-19 of the result).
double sine_near_zero(double r) {
    double r2 = r * r;
    double p = 1.0 / 355687428096000.0;  // 1/17!
    for (double d : {-1.0 / 1307674368000.0, 1.0 / 6227020800.0, -1.0 / 39916800.0, 1.0 / 362880.0,
                     -1.0 / 5040.0, 1.0 / 120.0, -1.0 / 6.0}) {
        p = p * r2 + d;
    }
    return r + r * (r2 * p);
}

double cosine_near_zero(double r) {
    double r2 = r * r;
    double p = -1.0 / 6402373705728000.0;  // -1/18!
    for (double d : {1.0 / 20922789888000.0, -1.0 / 87178291200.0, 1.0 / 479001600.0,
                     -1.0 / 3628800.0, 1.0 / 40320.0, -1.0 / 720.0, 1.0 / 24.0}) {
        p = p * r2 + d;
    }
    return (1.0 - 0.5 * r2) + r2 * (r2 * p);
}

// pi / 4 and pi as a double and the remainder below its last place.
constexpr double kQuarterPi = 7.85398163397448278999e-01,
                 kQuarterPiLow = 3.06161699786838301793e-17;
constexpr double kPi = 3.14159265358979311600e+00, kPiLow = 1.22464679914735317723e-16;

// atan u for |u| <= 1/2: the series u - u^3/3 + u^5/5 - ... to the 63rd power (the first
// term left out is below 1e-19 of the result).
double arctangent_near_zero(double u) {
    double u2 = u * u;
    double p = -1.0 / 63.0;
    for (int k = 30; k >= 1; --k) p = (k % 2 == 0 ? 1.0 : -1.0) / (2.0 * k + 1.0) + u2 * p;
    return u + u * (u2 * p);
}

// atan(b / a) for 0 <= b <= a, a > 0: from b/a = 1/2 on through
// atan(b / a) = pi/4 + atan((b - a) / (b + a)), where b - a is exact.
double arctangent_of_ratio(double b, double a) {
    if (b + b <= a) return arctangent_near_zero(b / a);
    return kQuarterPi + (arctangent_near_zero((b - a) / (b + a)) + kQuarterPiLow);
}

// e^(x + tail) for a tail far below x's last place: the tail joins the reduced argument,
// where it still counts.
double exp_with_tail(double x, double tail) {
    if (std::isnan(x)) return x;
    if (x > 709.78) return std::numeric_limits<double>::infinity();
    if (x < -745.2) return 0.0;
    double k = std::nearbyint(x * 1.4426950408889634);
    double r = ((x - k * kLn2High) - k * kLn2Low) + tail;  // |r| <= 0.347
    // Taylor series to the 14th power.
    double p = 1.0 / 87178291200.0;
    for (double d :
         {1.0 / 6227020800.0, 1.0 / 479001600.0, 1.0 / 39916800.0, 1.0 / 3628800.0, 1.0 / 362880.0,
          1.0 / 40320.0, 1.0 / 5040.0, 1.0 / 720.0, 1.0 / 120.0, 1.0 / 24.0, 1.0 / 6.0, 0.5}) {
        p = p * r + d;
    }
    double e = 1.0 + (r + r * (r * p));
    return std::ldexp(e, static_cast<int>(k));
}

// The exact product a * b as hi + lo (Dekker's, by halves of 26 bits, with no fused
// multiply-add); a and b well inside the range of double.
void exact_product(double a, double b, double& hi, double& lo) {
    auto split = [](double v, double& high, double& low) {
        double c = 134217729.0 * v;  // 2^27 + 1
        high = c - (c - v);
        low = v - high;
    };
    double ah, al, bh, bl;
    split(a, ah, al);
    split(b, bh, bl);
    hi = a * b;
    lo = ((ah * bh - hi) + ah * bl + al * bh) + al * bl;
}

}  // namespace

double portable_exp(double x) {
    return exp_with_tail(x, 0.0);
}

double portable_log(double x) {
    if (!(x > 0.0) || std::isinf(x)) {
        if (x == 0.0) return -std::numeric_limits<double>::infinity();
        return x > 0.0 ? x : std::numeric_limits<double>::quiet_NaN();
    }
    int e = 0;
    double m = std::frexp(x, &e);  // [0.5, 1)
    if (m < 0.70710678118654752) {
        m *= 2.0;
        e -= 1;
    }
    double f = m - 1.0;
    double s = f / (2.0 + f);  // |s| <= 0.172; log m = 2 atanh s
    double s2 = s * s;
    double p = 1.0 / 21.0;
    for (double d : {1.0 / 19.0, 1.0 / 17.0, 1.0 / 15.0, 1.0 / 13.0, 1.0 / 11.0, 1.0 / 9.0,
                     1.0 / 7.0, 1.0 / 5.0, 1.0 / 3.0}) {
        p = p * s2 + d;
    }
    double log_m = 2.0 * s + 2.0 * s * (s2 * p);
    double k = e;
    return (k * kLn2High + log_m) + k * kLn2Low;
}

double portable_log10(double x) {
    return portable_log(x) / kLn10;
}

double portable_exp10(double y) {
    // y ln 10 carried in two parts: rounded to one double its error, multiplied by up to
    // 700, would show in the result's last digits.
    if (!(std::fabs(y) < 400.0)) return portable_exp(y * kLn10);
    double hi, lo;
    exact_product(y, kLn10, hi, lo);
    return exp_with_tail(hi, lo + y * kLn10Low);
}

SineCosine portable_sin_cos(double x) {
    // Refused beyond the exact reduction, and before k is converted to an integer: NaN or
    // a quotient beyond long long would make that conversion undefined.
    if (!(std::fabs(x) <= kLargestSinCosArgument)) {
        double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan};
    }
    double k = std::nearbyint(x * 0.63661977236758134);
    double r = ((x - k * kHalfPi1) - k * kHalfPi2) - k * kHalfPi3;
    double s = sine_near_zero(r), c = cosine_near_zero(r);
    switch (static_cast<long long>(k) & 3) {
        case 0:
            return {s, c};
        case 1:
            return {c, -s};
        case 2:
            return {-s, -c};
        default:
            return {-c, s};
    }
}

double portable_atan2(double y, double x) {
    if (std::isnan(x) || std::isnan(y)) return std::numeric_limits<double>::quiet_NaN();
    const double a = std::fabs(x), b = std::fabs(y);
    const bool left = std::signbit(x);  // atan2(+-0, -0) is +-pi
    double angle;
    if (std::isinf(a) && std::isinf(b)) {
        angle = left ? 3.0 * kQuarterPi : kQuarterPi;
    } else if (b <= a) {
        // Near the x axis: atan(b/a), or pi less it on the left.
        double near = b == 0.0 ? 0.0 : arctangent_of_ratio(b, a);  // 0 for an infinite x
        angle = left ? kPi - (near - kPiLow) : near;
    } else {
        // Near the y axis: pi/2 less or plus atan(a/b).
        double near = arctangent_of_ratio(a, b);  // 0 for an infinite y
        const double half_pi = 2.0 * kQuarterPi, half_pi_low = 2.0 * kQuarterPiLow;
        angle = left ? half_pi + (near + half_pi_low) : half_pi - (near - half_pi_low);
    }
    return std::copysign(angle, y);
}

}  // namespace wavespec
