// The transform's twiddle factors: the cosine and sine of every angle wvfast uses, each the
// correctly rounded double of the true value, so that no platform's cos and sin can change a
// bit of the results.
#pragma once

namespace wavespec {

struct Twiddle {
    double c;
    double s;
};

// Half-spans up to this many elements are served: transforms of up to twice that length.
inline constexpr int kTwiddleCount = 16384;

// cos and sin of (kTransformPi * j) / kTwiddleCount for j = 0 .. kTwiddleCount - 1, generated
// with MPFR (round to nearest, 53 bits) by tools/generate_twiddle_table.cpp.
extern const Twiddle kTwiddleTable[kTwiddleCount];

// The factor of the angle (kTransformPi * (m * ind)) / half, for half a power of two no larger
// than kTwiddleCount, 0 <= m < half and ind = -1 or 1. Scaling the numerator and denominator of
// that quotient by the same power of two changes no bit of it, so the angle is exactly the
// table's angle j = m * (kTwiddleCount / half); the other direction negates the angle (except
// for m = 0, whose angle is +0 either way), and a correctly rounded sine is odd.
inline Twiddle twiddle(int half, int m, int ind) {
    Twiddle t = kTwiddleTable[m * (kTwiddleCount / half)];
    if (ind < 0 && m != 0) t.s = -t.s;
    return t;
}

}  // namespace wavespec
