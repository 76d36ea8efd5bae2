// The transform against its definition: small exact cases, a direct DFT with the same pi,
// and the equality of the factor table with correctly rounded factors computed butterfly by
// butterfly.
#include "spectral/wvfast.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "unit/correctly_rounded.hpp"

namespace wavespec {
namespace {

// The transform written butterfly by butterfly, each factor the correctly rounded cosine and
// sine of its own angle.
void reference_transform(int n, std::vector<Complex>& a, int ind) {
    int j = 1;
    for (int i = 1; i <= n; ++i) {
        if (i < j) std::swap(a[i - 1], a[j - 1]);
        int m = n / 2;
        while (j > m) {
            j -= m;
            m /= 2;
            if (m <= 1) break;
        }
        j += m;
    }
    for (int kmax = 1; kmax < n; kmax *= 2) {
        int istep = 2 * kmax;
        for (int k = 1; k <= kmax; ++k) {
            double phi =
                (kTransformPi * static_cast<double>((k - 1) * ind)) / static_cast<double>(kmax);
            auto [c, s] = test::correctly_rounded_cos_sin(phi);
            for (int i = k; i <= n; i += istep) {
                int jj = i + kmax;
                Complex& x = a[jj - 1];
                double tr = x.re * c - x.im * s;
                double ti = x.re * s + x.im * c;
                x.re = a[i - 1].re - tr;
                x.im = a[i - 1].im - ti;
                a[i - 1].re = a[i - 1].re + tr;
                a[i - 1].im = a[i - 1].im + ti;
            }
        }
    }
}

std::vector<Complex> random_series(int n, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::vector<Complex> a(static_cast<std::size_t>(n));
    for (Complex& z : a) z = {value(engine), value(engine)};
    return a;
}

// Both roads: two butterflies at once in wide registers (where the processor has them) and
// one at a time.
TEST(Wvfast, MatchesButterflyByButterflyBitForBitAtEveryLength) {
    for (bool wide : {true, false}) {
        allow_wide_butterflies(wide);
        for (int n = 1; n <= 32768; n *= 2) {
            for (int ind : {-1, 1}) {
                std::vector<Complex> expected = random_series(n, static_cast<unsigned>(n + ind));
                std::vector<Complex> actual = expected;
                reference_transform(n, expected, ind);
                wvfast(n, actual, 33000, ind);
                ASSERT_EQ(actual, expected) << "n=" << n << " ind=" << ind << " wide=" << wide;
            }
        }
    }
    allow_wide_butterflies(true);
}

// Forward factors turned into inverse ones against inverse factors laid out anew: the same
// length, a longer and a shorter inverse, and an inverse table already longer than the forward.
TEST(Wvfast, ForwardFactorsTurnedAroundAreTheInverseFactorsLaidOutAnew) {
    for (auto [forward_length, length, inverse_kept] :
         {std::tuple{1 << 17, 1 << 17, false}, std::tuple{1 << 16, 1 << 18, false},
          std::tuple{1 << 18, 1 << 15, false}, std::tuple{1 << 16, 1 << 18, true}}) {
        std::vector<Complex> expected = random_series(length, 7), actual = expected;
        std::vector<Complex> forward = random_series(forward_length, 9);
        release_transform_tables();
        wvfast(length, expected, length, 1);
        if (!inverse_kept) release_transform_tables();
        wvfast(forward_length, forward, forward_length, -1);
        turn_transform_tables_around();
        wvfast(length, actual, length, 1);
        ASSERT_EQ(actual, expected) << forward_length << " then " << length;
    }
    release_transform_tables();
}

TEST(Wvfast, SmallestLengths) {
    std::vector<Complex> one = {{3.5, -1.0}};
    wvfast(1, one, 33000, -1);
    EXPECT_EQ(one[0], (Complex{3.5, -1.0}));

    for (int ind : {-1, 1}) {
        std::vector<Complex> two = {{1.0, 2.0}, {0.25, -4.0}};
        wvfast(2, two, 33000, ind);
        EXPECT_EQ(two[0], (Complex{1.25, -2.0}));
        EXPECT_EQ(two[1], (Complex{0.75, 6.0}));
    }

    std::vector<Complex> impulse = {{1, 0}, {0, 0}, {0, 0}, {0, 0}};
    wvfast(4, impulse, 33000, -1);
    for (const Complex& z : impulse) EXPECT_EQ(z, (Complex{1.0, 0.0}));

    // The approximate pi leaves about 2.05e-10 in the parts that would be exactly zero.
    std::vector<Complex> shifted = {{0, 0}, {1, 0}, {0, 0}, {0, 0}};
    wvfast(4, shifted, 33000, -1);
    EXPECT_EQ(shifted[0], (Complex{1.0, 0.0}));
    EXPECT_NEAR(shifted[1].re, -2.05e-10, 0.01e-10);
    EXPECT_DOUBLE_EQ(shifted[1].im, -1.0);
    EXPECT_DOUBLE_EQ(shifted[2].re, -1.0);
    EXPECT_NEAR(shifted[3].re, 2.05e-10, 0.01e-10);
    EXPECT_DOUBLE_EQ(shifted[3].im, 1.0);
}

TEST(Wvfast, PermutationOfEightExchangesTwoPairs) {
    // Positions 2<->5 and 4<->7 (from 1) trade places; the rest stay.
    EXPECT_EQ(bit_reversal_order(8), (std::vector<std::uint32_t>{0, 4, 2, 6, 1, 5, 3, 7}));
}

TEST(Wvfast, ForwardAgreesWithDirectTransformUsingTheSamePi) {
    const int n = 64;
    std::vector<Complex> input = random_series(n, 7);
    std::vector<Complex> fast = input;
    wvfast(n, fast, 33000, -1);
    for (int m = 0; m < n; ++m) {
        double re = 0.0, im = 0.0;
        for (int p = 0; p < n; ++p) {
            // The product p*m taken modulo n, as the butterflies' angles never pass 2 pi.
            double angle = -2.0 * kTransformPi * ((p * m) % n) / n;
            re += input[p].re * std::cos(angle) - input[p].im * std::sin(angle);
            im += input[p].re * std::sin(angle) + input[p].im * std::cos(angle);
        }
        // Each path through the butterflies adds up its own rounded angles: agreement to
        // about 1e-9 of the summed magnitudes, the size of the pi approximation itself.
        EXPECT_NEAR(fast[m].re, re, 1e-9 * n);
        EXPECT_NEAR(fast[m].im, im, 1e-9 * n);
    }
}

TEST(Wvfast, ForwardThenInverseGivesNTimesTheInputAndRealInputIsSymmetric) {
    const int n = 1024;
    std::vector<Complex> input = random_series(n, 11);
    for (Complex& z : input) z.im = 0.0;
    std::vector<Complex> a = input;
    wvfast(n, a, 33000, -1);
    EXPECT_EQ(a[0].im, 0.0);
    EXPECT_EQ(a[n / 2].im, 0.0);
    // The approximate pi breaks the symmetry by about 1e-9 of the summed magnitudes.
    for (int i = 1; i < n / 2; ++i) {
        EXPECT_NEAR(a[i].re, a[n - i].re, 1e-9 * n);
        EXPECT_NEAR(a[i].im, -a[n - i].im, 1e-9 * n);
    }
    wvfast(n, a, 33000, 1);
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(a[i].re, n * input[i].re, 1e-10 * n);
        EXPECT_NEAR(a[i].im, 0.0, 1e-10 * n);
    }
}

TEST(Wvfast, LeavesElementsAboveNAloneAndRejectsBadLengths) {
    std::vector<Complex> a(16, Complex{2.0, 3.0});
    wvfast(8, a, 33000, -1);
    for (int i = 8; i < 16; ++i) EXPECT_EQ(a[i], (Complex{2.0, 3.0}));
    EXPECT_THROW(wvfast(6, a, 33000, -1), std::invalid_argument);
    EXPECT_THROW(wvfast(32, a, 33000, -1), std::invalid_argument);
    EXPECT_THROW(wvfast(16, a, 8, -1), std::invalid_argument);
    EXPECT_THROW(wvfast(0, a, 33000, -1), std::invalid_argument);
    // A length the array holds but the declared extent does not.
    std::vector<Complex> longer(65536);
    EXPECT_THROW(wvfast(65536, longer, 40000, -1), std::invalid_argument);
}

}  // namespace
}  // namespace wavespec
