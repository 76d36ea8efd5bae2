// Elementary functions computed with additions, multiplications and divisions only, so that
// the response files carry the same digits on every platform (the C libraries' exp, log, sin
// and cos differ in their last bits between glibc and the Windows runtime). Each is within
// about one unit in the last place of the true value.
#pragma once

namespace wavespec::response {

inline constexpr double kPi = 3.141592653589793;

double exp_of(double x);
// Natural logarithm of a positive finite x.
double log_of(double x);

struct SineCosine {
    double sin, cos;
};
// Sine and cosine of x, for |x| below 1e9.
SineCosine sin_cos_of(double x);

}  // namespace wavespec::response
