// Complex arithmetic written out, so that every product and quotient is evaluated as stated
// (no library recovery paths, no fused operations).
#pragma once

#include <cmath>

#include "spectral/complex_value.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec {

inline Complex operator+(Complex a, Complex b) {
    return {a.re + b.re, a.im + b.im};
}
inline Complex operator-(Complex a, Complex b) {
    return {a.re - b.re, a.im - b.im};
}
inline Complex operator*(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline Complex operator*(double a, Complex b) {
    return {a * b.re, a * b.im};
}
// Smith's division: no overflow of the squared modulus for large denominators.
inline Complex operator/(Complex a, Complex b) {
    if (std::fabs(b.re) >= std::fabs(b.im)) {
        double r = b.im / b.re, d = b.re + b.im * r;
        return {(a.re + a.im * r) / d, (a.im - a.re * r) / d};
    }
    double r = b.re / b.im, d = b.re * r + b.im;
    return {(a.re * r + a.im) / d, (a.im * r - a.re) / d};
}

// exp(-2 pi i turns), with the whole turns taken off first so that the angle stays small.
inline Complex unit_root(double turns) {
    double fraction = turns - std::floor(turns);
    SineCosine sc = portable_sin_cos(kTwoPi * fraction);
    return {sc.cos, -sc.sin};
}

}  // namespace wavespec
