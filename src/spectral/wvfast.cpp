#include "spectral/wvfast.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "spectral/long_twiddles.hpp"
#include "spectral/twiddle_table.hpp"
#include "support/processor.hpp"

namespace wavespec {
namespace {

// The cosine and sine of one factor side by side: a butterfly reads both from one place.
using Factor = Twiddle;

// Each stage's factors side by side: the stage of half-span kmax finds its kmax factors from
// position kmax - 1 (the narrower stages take 1 + 2 + ... + kmax/2 places before it), so that
// every stage reads its factors in order rather than every stride-th entry of the table of
// all angles. A stage's factors do not depend on the transform's length, so one layout per
// direction serves every length up to the longest laid out so far.
struct TwiddleTable {
    std::vector<Factor> stages;
};

thread_local TwiddleTable forward_factors;
thread_local TwiddleTable inverse_factors;

const TwiddleTable& twiddles(int n, int ind) {
    TwiddleTable& table = ind < 0 ? forward_factors : inverse_factors;
    const std::size_t needed = static_cast<std::size_t>(n - 1);
    if (table.stages.size() < needed) {
        const int laid_out = static_cast<int>(table.stages.size());
        table.stages.resize(needed);
        for (int kmax = laid_out + 1; kmax < n; kmax *= 2) {
            std::span<Factor> stage(table.stages.data() + (kmax - 1),
                                    static_cast<std::size_t>(kmax));
            if (kmax > kTwiddleCount) {
                lay_out_long_stage(
                    std::span<const Factor>(stage.data() - kmax / 2, stage.size() / 2), stage, ind);
                continue;
            }
            for (int k = 0; k < kmax; ++k)
                stage[static_cast<std::size_t>(k)] = twiddle(kmax, k, ind);
        }
    }
    return table;
}

// Two doubles in one register; the compiler's vector arithmetic works element by element,
// with the same IEEE operations as scalar code.
typedef double Pair __attribute__((vector_size(16)));

Pair load(const Complex& z) {
    return Pair{z.re, z.im};
}
Pair swap(Pair p) {
    return Pair{p[1], p[0]};
}
void store(Complex& z, Pair p) {
    z.re = p[0];
    z.im = p[1];
}

// Elements transformed together in the early stages: 2048 complex values, 32 KiB.
constexpr int kCacheBlock = 2048;

// The butterfly of lower and upper with the factor (c, s): both parts at once,
// (ar*c + ai*(-s), ai*c + ar*s). Negating s is exact and addition commutes, so each part is
// bit for bit ar*c - ai*s and ar*s + ai*c.
inline void butterfly(Complex& lower, Complex& upper, double c, double s) {
    Pair w = load(upper);
    Pair t = w * Pair{c, c} + swap(w) * Pair{-s, s};
    Pair u = load(lower);
    store(upper, u - t);
    store(lower, u + t);
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// Where the processor has AVX, two butterflies at once in four-double registers. Each element
// of the registers sees exactly the operations of butterfly() (no contraction into fused
// multiply-adds: the build forbids it), so the results are the same to the bit. Not on Windows,
// where the compilers do not keep the stack aligned for these registers.
#define WAVESPEC_WIDE_BUTTERFLIES 1

typedef double Quad __attribute__((vector_size(32)));

__attribute__((target("avx"))) void wide_groups(Complex* x, int length, int kmax,
                                                const Factor* factors) {
    const int istep = 2 * kmax;
    const Quad negate_first = {-1.0, 1.0, -1.0, 1.0};
    for (int group = 0; group < length; group += istep) {
        double* lower = &x[group].re;
        double* upper = &x[group + kmax].re;
        for (int k = 0; k < kmax; k += 2) {
            Quad f;  // c0 s0 c1 s1
            std::memcpy(&f, &factors[k], sizeof f);
            Quad c = {f[0], f[0], f[2], f[2]};
            Quad s = Quad{f[1], f[1], f[3], f[3]} * negate_first;
            Quad w;
            std::memcpy(&w, upper + 2 * k, sizeof w);
            Quad t = w * c + Quad{w[1], w[0], w[3], w[2]} * s;
            Quad u;
            std::memcpy(&u, lower + 2 * k, sizeof u);
            Quad new_upper = u - t;
            Quad new_lower = u + t;
            std::memcpy(upper + 2 * k, &new_upper, sizeof new_upper);
            std::memcpy(lower + 2 * k, &new_lower, sizeof new_lower);
        }
    }
}

bool has_wide_registers() {
    return processor_has_avx();
}
#endif

bool wide_butterflies_allowed = true;

// One stage of half-span kmax over x[0..length): for each group of 2*kmax elements and each
// k, the butterfly of x[group+k] and x[group+k+kmax] with the stage's factor k.
void butterfly_stage(Complex* x, int length, int kmax, const TwiddleTable& table) {
    const Factor* factors = table.stages.data() + (kmax - 1);
    const int istep = 2 * kmax;
#ifdef WAVESPEC_WIDE_BUTTERFLIES
    if (kmax >= 2 && wide_butterflies_allowed && has_wide_registers()) {
        wide_groups(x, length, kmax, factors);
        return;
    }
#endif
    if (kmax < 16) {
        // Few factors, many groups: one factor at a time over all groups.
        for (int k = 0; k < kmax; ++k) {
            Factor f = factors[k];
            for (int i = k; i < length; i += istep) butterfly(x[i], x[i + kmax], f.c, f.s);
        }
        return;
    }
    for (int group = 0; group < length; group += istep) {
        Complex* lower = x + group;
        Complex* upper = lower + kmax;
        for (int k = 0; k < kmax; ++k) {
            Factor f = factors[k];
            butterfly(lower[k], upper[k], f.c, f.s);
        }
    }
}

// The exchanges of the transform's first step, the bit-reversal permutation in place: the
// positions i < j whose elements trade places, in the order the exchanges are made. Worked
// out once per length: the search for each next j is a chain of unpredictable branches, while
// the exchanges alone overlap in the processor.
struct Exchanges {
    int n = 0;
    std::vector<std::uint32_t> pairs;  // i, j, i, j, ...
};

thread_local Exchanges cached_exchanges;

const Exchanges& exchanges(int n) {
    Exchanges& cached = cached_exchanges;
    if (cached.n != n) {
        // Fewer than n entries: reserved at once, so that a long transform's list does not
        // grow by doubling, holding the old copy and the new at once.
        cached.pairs.clear();
        cached.pairs.reserve(static_cast<std::size_t>(n));
        int j = 1;
        for (int i = 1; i <= n; ++i) {
            if (i < j) {
                cached.pairs.push_back(static_cast<std::uint32_t>(i - 1));
                cached.pairs.push_back(static_cast<std::uint32_t>(j - 1));
            }
            int m = n / 2;
            while (j > m) {
                j -= m;
                m /= 2;
                if (m <= 1) break;
            }
            j += m;
        }
        cached.n = n;
    }
    return cached;
}

template <typename T>
void bit_reverse(int n, T* a) {
    const std::vector<std::uint32_t>& pairs = exchanges(n).pairs;
    for (std::size_t p = 0; p < pairs.size(); p += 2) std::swap(a[pairs[p]], a[pairs[p + 1]]);
}

// Turns one direction's factors into the other's: the same cosines, the sines negated except
// for each stage's first factor (m = 0, whose angle is +0 either way). That is exactly what
// twiddle and long_twiddle give for the other direction, since they negate the sine alone.
void mirror_factors(TwiddleTable& table) {
    for (std::size_t kmax = 1; kmax - 1 < table.stages.size(); kmax *= 2) {
        Factor* stage = table.stages.data() + (kmax - 1);
        for (std::size_t k = 1; k < kmax; ++k) stage[k].s = -stage[k].s;
    }
}

}  // namespace

void turn_transform_tables_around() {
    if (inverse_factors.stages.size() < forward_factors.stages.size()) {
        inverse_factors = std::move(forward_factors);
        mirror_factors(inverse_factors);
    }
    forward_factors = TwiddleTable{};
    cached_exchanges = Exchanges{};
}

void release_transform_tables() {
    forward_factors = TwiddleTable{};
    inverse_factors = TwiddleTable{};
    cached_exchanges = Exchanges{};
}

void allow_wide_butterflies(bool allowed) {
    wide_butterflies_allowed = allowed;
}

std::vector<std::uint32_t> bit_reversal_order(int n) {
    std::vector<std::uint32_t> order(static_cast<std::size_t>(n < 0 ? 0 : n));
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    bit_reverse(n, order.data());
    return order;
}

void wvfast(int n, std::span<Complex> a, int mom, int ind) {
    if (n < 1 || (n & (n - 1)) != 0 || n > mom || static_cast<std::size_t>(n) > a.size()) {
        throw std::invalid_argument("wvfast: n must be a power of two within the array");
    }
    if (n > kMaxWvfastLength) {
        throw std::invalid_argument("wvfast: n must be at most 2^24");
    }
    if (ind != 1 && ind != -1) throw std::invalid_argument("wvfast: ind must be -1 or 1");
    std::span<Complex> data = a.first(static_cast<std::size_t>(n));
    bit_reverse(n, data.data());
    if (n > 1) {
        const TwiddleTable& table = twiddles(n, ind);
        // Butterflies of one stage touch disjoint pairs, and a stage of span istep only mixes
        // elements within aligned blocks of istep. So the early stages can run block by block
        // while a block stays in the cache, then the wide stages over the whole array: every
        // butterfly still sees exactly the operands it would in stage order.
        const int block = std::min(n, kCacheBlock);
        for (int start = 0; start < n; start += block) {
            for (int kmax = 1; kmax < block; kmax *= 2) {
                butterfly_stage(data.data() + start, block, kmax, table);
            }
        }
        for (int kmax = block; kmax < n; kmax *= 2) {
            butterfly_stage(data.data(), n, kmax, table);
        }
    }
}

}  // namespace wavespec
