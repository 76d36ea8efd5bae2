// The twiddle factors against MPFR: every angle of every transform length, in both directions,
// is a table angle, and its factor is the correctly rounded cosine and sine of that angle.
#include "spectral/twiddle_table.hpp"

#include <gtest/gtest.h>

#include <cstdint>

#include "spectral/wvfast.hpp"
#include "support/bit_cast.hpp"
#include "unit/correctly_rounded.hpp"

namespace wavespec {
namespace {

std::uint64_t bits(double x) {
    return bit_cast<std::uint64_t>(x);
}

// The stage of half-span 16384 reads every table entry, so this covers all 16384 angles and
// their negatives; the narrower stages check that their own angles land on the same entries.
TEST(TwiddleTable, EveryFactorOfEveryLengthIsTheCorrectlyRoundedCosineAndSine) {
    for (int half = 1; half <= kTwiddleCount; half *= 2) {
        for (int m = 0; m < half; ++m) {
            for (int ind : {-1, 1}) {
                // The angle as the transform of length 2 * half has always computed it.
                double phi =
                    (kTransformPi * static_cast<double>(m * ind)) / static_cast<double>(half);
                int j = m * (kTwiddleCount / half);
                double table_angle = (kTransformPi * static_cast<double>(j * ind)) /
                                     static_cast<double>(kTwiddleCount);
                ASSERT_EQ(bits(phi), bits(table_angle)) << "half=" << half << " m=" << m;
                Twiddle expected = test::correctly_rounded_cos_sin(phi);
                Twiddle actual = twiddle(half, m, ind);
                ASSERT_EQ(bits(actual.c), bits(expected.c)) << "half=" << half << " m=" << m;
                ASSERT_EQ(bits(actual.s), bits(expected.s))
                    << "half=" << half << " m=" << m << " ind=" << ind;
            }
        }
    }
}

}  // namespace
}  // namespace wavespec
