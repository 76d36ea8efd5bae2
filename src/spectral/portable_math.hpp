// Elementary functions from additions, multiplications and divisions alone (with exact
// scalings by powers of two), so that values computed with them carry the same last bits on
// every platform: the C libraries' exp, log, sin and cos differ in their last bits between
// glibc and the Windows runtime. Each is within a few units in the last place: exp, log and
// exp10 within 2, sin and cos within 2.5, log10 within 3.5, atan2 within 2.
#pragma once

#include <numbers>

namespace wavespec {

// 2 pi to full double precision (twice the double nearest pi, which doubling keeps exact).
inline constexpr double kTwoPi = 2.0 * std::numbers::pi;

double portable_exp(double x);
// Natural logarithm of a positive finite x; -inf for 0, NaN for negative or NaN x.
double portable_log(double x);
double portable_log10(double x);
// 10 to the power y.
double portable_exp10(double y);

struct SineCosine {
    double sin, cos;
};
// The largest |x| portable_sin_cos takes: the reduction by pi/2 stays exact while the
// quotient stays below 2^20 (about 1.6e6).
inline constexpr double kLargestSinCosArgument = 1e6;
// Sine and cosine of x, to that accuracy for |x| up to kLargestSinCosArgument; both NaN for
// any larger, infinite or NaN x, where the reduction would lose every digit.
SineCosine portable_sin_cos(double x);

// The angle of the point (x, y) in radians, in [-pi, pi], as the C library's atan2 defines it
// for every finite and infinite x and y (signed zeros included); NaN where either is NaN.
double portable_atan2(double y, double x);

}  // namespace wavespec
