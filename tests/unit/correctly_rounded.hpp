// The cosine and sine of a double, each correctly rounded to a double by MPFR (to nearest,
// 53 bits): the values that the transform's twiddle factors are held against.
#pragma once

#include <mpfr.h>

#include "spectral/twiddle_table.hpp"

namespace wavespec::test {

inline Twiddle correctly_rounded_cos_sin(double phi) {
    mpfr_t angle, value;
    mpfr_inits2(53, angle, value, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_d(angle, phi, MPFR_RNDN);  // exact: 53 bits hold any double
    Twiddle t;
    mpfr_cos(value, angle, MPFR_RNDN);
    t.c = mpfr_get_d(value, MPFR_RNDN);
    mpfr_sin(value, angle, MPFR_RNDN);
    t.s = mpfr_get_d(value, MPFR_RNDN);
    mpfr_clears(angle, value, static_cast<mpfr_ptr>(nullptr));
    return t;
}

}  // namespace wavespec::test
