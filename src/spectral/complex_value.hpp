// The complex numbers of the spectra: a plain pair of doubles. Arithmetic is written out where
// it is used, so each product and sum is evaluated exactly as stated, with no hidden recovery
// paths for infinities and no fused operations.
#pragma once

#include <cmath>

namespace wavespec {

struct Complex {
    double re = 0.0;
    double im = 0.0;
    friend bool operator==(const Complex&, const Complex&) = default;
};

// Modulus as the larger magnitude times sqrt(1 + (smaller/larger)^2); the larger magnitude
// alone when adding the smaller does not change it. This scaling keeps the squares in range
// and is the form whose last bits the amplitude files carry.
inline double modulus(Complex z) {
    double big = std::fabs(z.re);
    double small = std::fabs(z.im);
    if (small > big) {
        double t = big;
        big = small;
        small = t;
    }
    if (big + small == big) return big;
    double ratio = small / big;
    return big * std::sqrt(1.0 + ratio * ratio);
}

}  // namespace wavespec
