#include "response/lane_step.hpp"

#include <cstring>

#include "support/processor.hpp"


namespace wavespec::response {
namespace {

// Four lanes of doubles as two SSE2 pairs (every x86-64 processor, every platform) or one AVX
// register. Each lane sees the same operations in the same order either way.
typedef double Two __attribute__((vector_size(16)));
struct PairLanes {
    Two lo, hi;
    [[gnu::always_inline]] static PairLanes load(const double* p) {
        PairLanes v;
        std::memcpy(&v.lo, p, sizeof v.lo);
        std::memcpy(&v.hi, p + 2, sizeof v.hi);
        return v;
    }
    [[gnu::always_inline]] void store(double* p) const {
        std::memcpy(p, &lo, sizeof lo);
        std::memcpy(p + 2, &hi, sizeof hi);
    }
    [[gnu::always_inline]] static PairLanes splat(double x) { return {Two{x, x}, Two{x, x}}; }
    [[gnu::always_inline]] static PairLanes of(double a, double b, double c, double d) {
        return {Two{a, b}, Two{c, d}};
    }
    [[gnu::always_inline]] friend PairLanes operator+(PairLanes a, PairLanes b) {
        return {a.lo + b.lo, a.hi + b.hi};
    }
    [[gnu::always_inline]] friend PairLanes operator*(PairLanes a, PairLanes b) {
        return {a.lo * b.lo, a.hi * b.hi};
    }
    [[gnu::always_inline]] friend PairLanes operator-(PairLanes a) { return {-a.lo, -a.hi}; }
    // The fourth lane replaced by the sum of the first two.
    [[gnu::always_inline]] PairLanes summed() const { return {lo, Two{hi[0], lo[0] + lo[1]}}; }
    // max(m, |a|): the magnitude by clearing the sign bit.
    [[gnu::always_inline]] friend PairLanes magnitude_max(PairLanes m, PairLanes a) {
        typedef long long Bits __attribute__((vector_size(16)));
        const Bits mask = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL};
        Two l = (Two)((Bits)a.lo & mask), h = (Two)((Bits)a.hi & mask);
        return {m.lo < l ? l : m.lo, m.hi < h ? h : m.hi};
    }
};

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// Not on Windows, where the compilers do not keep the stack aligned for these registers.
#define WAVESPEC_WIDE_LANES 1
typedef double Four __attribute__((vector_size(32)));
struct QuadLanes {
    Four v;
    [[gnu::always_inline]] static QuadLanes load(const double* p) {
        QuadLanes q;
        std::memcpy(&q.v, p, sizeof q.v);
        return q;
    }
    [[gnu::always_inline]] void store(double* p) const { std::memcpy(p, &v, sizeof v); }
    [[gnu::always_inline]] static QuadLanes splat(double x) { return {Four{x, x, x, x}}; }
    [[gnu::always_inline]] static QuadLanes of(double a, double b, double c, double d) {
        return {Four{a, b, c, d}};
    }
    [[gnu::always_inline]] friend QuadLanes operator+(QuadLanes a, QuadLanes b) {
        return {a.v + b.v};
    }
    [[gnu::always_inline]] friend QuadLanes operator*(QuadLanes a, QuadLanes b) {
        return {a.v * b.v};
    }
    [[gnu::always_inline]] friend QuadLanes operator-(QuadLanes a) { return {-a.v}; }
    // The fourth lane replaced by the sum of the first two.
    [[gnu::always_inline]] QuadLanes summed() const {
        return {Four{v[0], v[1], v[2], v[0] + v[1]}};
    }
    [[gnu::always_inline]] friend QuadLanes magnitude_max(QuadLanes m, QuadLanes a) {
        typedef long long Bits __attribute__((vector_size(32)));
        const Bits mask = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL, 0x7fffffffffffffffLL,
                           0x7fffffffffffffffLL};
        Four x = (Four)((Bits)a.v & mask);
        return {m.v < x ? x : m.v};
    }
};
#endif

// One oscillator's state and largest magnitudes over a run of knots, with its step
// coefficients held as vectors: the step itself, shared by every way of stepping.
template <class V>
struct Runner {
    V uu, uv, ua0, ua1, vu, vv, va0, va1, nk2, nw2;
    V u, v, y, mu, mv, my;
    [[gnu::always_inline]] Runner(const Stepper& s, const double* state)
        : uu(V::splat(s.k.uu)),
          uv(V::splat(s.k.uv)),
          ua0(V::splat(s.k.ua0)),
          ua1(V::splat(s.k.ua1)),
          vu(V::splat(s.k.vu)),
          vv(V::splat(s.k.vv)),
          va0(V::splat(s.k.va0)),
          va1(V::splat(s.k.va1)),
          nk2(V::splat(-s.damping_term)),
          nw2(V::splat(-s.stiffness)),
          u(V::load(state)),
          v(V::load(state + kLanes)) {
        y = nk2 * v + nw2 * u;
        const V zero = V::splat(0.0);
        mu = magnitude_max(zero, u);
        mv = magnitude_max(zero, v);
        my = magnitude_max(zero, y);
    }
    // From the knot whose input is before to the next, whose input is after.
    [[gnu::always_inline]] void step(V before, V after) {
        V un = uu * u + (uv * v + (ua0 * before + ua1 * after));
        V vn = vv * v + (vu * u + (va0 * before + va1 * after));
        u = un;
        v = vn;
        y = nk2 * v + nw2 * u;
        mu = magnitude_max(mu, u);
        mv = magnitude_max(mv, v);
        my = magnitude_max(my, y);
    }
    [[gnu::always_inline]] void finish(double* state, double* largest) const {
        u.store(state);
        v.store(state + kLanes);
        mu.store(largest);
        mv.store(largest + kLanes);
        my.store(largest + 2 * kLanes);
    }
};

// A knot's values kept (to o), with the largest magnitudes of u'' = y - a and of
// y' = -(2 zeta w u'' + w^2 u'). Always inlined, as every helper here that takes a vector: a
// call with one would cross between the AVX functions and the others.
template <class V>
[[gnu::always_inline]] inline void keep_knot(const Runner<V>& run, V input, V k2, V w2, V& ma,
                                             V& mj, double* o) {
    V accel = run.y + -input;
    ma = magnitude_max(ma, accel);
    mj = magnitude_max(mj, -(k2 * accel + w2 * run.v));
    run.u.store(o);
    run.v.store(o + kLanes);
    run.y.store(o + 2 * kLanes);
}

// input(i): the input's four lanes at knot i.
template <class V, bool kKeep, class Input>
[[gnu::always_inline]] inline void step_lanes(Input& input, int count, const Stepper& s,
                                              double* state, double* out, double* largest) {
    Runner<V> run(s, state);
    V before = input(0);
    const V zero = V::splat(0.0), k2 = V::splat(s.damping_term), w2 = V::splat(s.stiffness);
    V ma = zero, mj = zero;
    if constexpr (kKeep) keep_knot(run, before, k2, w2, ma, mj, out);
    for (int i = 1; i <= count; ++i) {
        V after = input(i);
        run.step(before, after);
        if constexpr (kKeep) keep_knot(run, after, k2, w2, ma, mj, out + i * kKnotValues);
        before = after;
    }
    run.finish(state, largest);
    if constexpr (kKeep) {
        ma.store(largest + 3 * kLanes);
        mj.store(largest + 4 * kLanes);
    }
}

// Two oscillators over the same input, for their largest values alone: their chains of steps
// are independent, so the processor overlaps them, and the input is made once.
template <class V, class Input>
[[gnu::always_inline]] inline void step_lean_pair(Input input, int count, const LeanPair& runs) {
    Runner<V> first(*runs.stepper[0], runs.state[0]), second(*runs.stepper[1], runs.state[1]);
    V before = input(0);
    for (int i = 1; i <= count; ++i) {
        V after = input(i);
        first.step(before, after);
        second.step(before, after);
        before = after;
    }
    first.finish(runs.state[0], runs.largest[0]);
    second.finish(runs.state[1], runs.largest[1]);
}

// The input as knots (kLanes values each), or as the samples of three series with the fourth
// lane the sum of the first two.
template <class V>
struct Knots {
    const double* c;
    [[gnu::always_inline]] V operator()(int i) const { return V::load(c + i * kLanes); }
};
template <class V>
struct Samples {
    const double *a, *b, *z;
    [[gnu::always_inline]] V operator()(int i) const {
        return V::of(a[i], b[i], z[i], a[i] + b[i]);
    }
};

// The three series drawn as straight lines between their samples, k instants to a sample
// interval, from instant `instant` on; called for one instant after the other. The three lanes
// at once, each as from + rise * (j / k) alone; the fourth the sum of the first two.
template <class V>
struct Resampled {
    const double* x[3];
    const double* fractions;  // j / k
    std::size_t k, sample, step;
    V from = V::splat(0.0), rise = V::splat(0.0);
    Resampled(const std::array<const double*, 3>& series, std::size_t instant, std::size_t substeps,
              const double* f)
        : x{series[0], series[1], series[2]},
          fractions(f),
          k(substeps),
          sample(instant / substeps),
          step(instant % substeps) {
        from = at(sample);
        if (step > 0) rise = at(sample + 1) + -from;
    }
    [[gnu::always_inline]] V at(std::size_t i) const {
        return V::of(x[0][i], x[1][i], x[2][i], 0.0);
    }
    [[gnu::always_inline]] V operator()(int) {
        V v;
        if (step == 0) {
            // At a sample: its values (the interval after it is read only if an instant lies
            // in it, so the last sample is never passed).
            v = from = at(sample);
        } else {
            if (step == 1) rise = at(sample + 1) + -from;
            v = from + rise * V::splat(fractions[step]);
        }
        if (++step == k) step = 0, ++sample;
        return v.summed();
    }
};

template <class V, class Input>
[[gnu::always_inline]] inline void step_either(Input input, int count, const Stepper& s,
                                               double* state, double* out, double* largest) {
    if (out != nullptr) return step_lanes<V, true>(input, count, s, state, out, largest);
    step_lanes<V, false>(input, count, s, state, out, largest);
}

void step_pairs(const double* c, int count, const Stepper& s, double* state, double* out,
                double* largest) {
    step_either<PairLanes>(Knots<PairLanes>{c}, count, s, state, out, largest);
}
void step_pair_samples(const std::array<const double*, 3>& x, int count, const Stepper& s,
                       double* state, double* out, double* largest) {
    step_either<PairLanes>(Samples<PairLanes>{x[0], x[1], x[2]}, count, s, state, out, largest);
}

void step_pair_resampled(const std::array<const double*, 3>& x, std::size_t instant, int substeps,
                         const double* fractions, int count, const Stepper& s, double* state,
                         double* out, double* largest) {
    Resampled<PairLanes> input(x, instant, static_cast<std::size_t>(substeps), fractions);
    step_either<PairLanes>(input, count, s, state, out, largest);
}

void lean_pair_knots(const double* c, int count, const LeanPair& runs) {
    step_lean_pair<PairLanes>(Knots<PairLanes>{c}, count, runs);
}
void lean_pair_samples(const std::array<const double*, 3>& x, int count, const LeanPair& runs) {
    step_lean_pair<PairLanes>(Samples<PairLanes>{x[0], x[1], x[2]}, count, runs);
}
void lean_pair_resampled(const std::array<const double*, 3>& x, std::size_t instant, int substeps,
                         const double* fractions, int count, const LeanPair& runs) {
    step_lean_pair<PairLanes>(
        Resampled<PairLanes>(x, instant, static_cast<std::size_t>(substeps), fractions), count,
        runs);
}

#ifdef WAVESPEC_WIDE_LANES
__attribute__((target("avx"))) void step_quad_resampled(const std::array<const double*, 3>& x,
                                                        std::size_t instant, int substeps,
                                                        const double* fractions, int count,
                                                        const Stepper& s, double* state,
                                                        double* out, double* largest) {
    Resampled<QuadLanes> input(x, instant, static_cast<std::size_t>(substeps), fractions);
    step_either<QuadLanes>(input, count, s, state, out, largest);
}
__attribute__((target("avx"))) void step_quads(const double* c, int count, const Stepper& s,
                                               double* state, double* out, double* largest) {
    step_either<QuadLanes>(Knots<QuadLanes>{c}, count, s, state, out, largest);
}
__attribute__((target("avx"))) void step_quad_samples(const std::array<const double*, 3>& x,
                                                      int count, const Stepper& s, double* state,
                                                      double* out, double* largest) {
    step_either<QuadLanes>(Samples<QuadLanes>{x[0], x[1], x[2]}, count, s, state, out, largest);
}
__attribute__((target("avx"))) void lean_quad_knots(const double* c, int count,
                                                    const LeanPair& runs) {
    step_lean_pair<QuadLanes>(Knots<QuadLanes>{c}, count, runs);
}
__attribute__((target("avx"))) void lean_quad_samples(const std::array<const double*, 3>& x,
                                                      int count, const LeanPair& runs) {
    step_lean_pair<QuadLanes>(Samples<QuadLanes>{x[0], x[1], x[2]}, count, runs);
}
__attribute__((target("avx"))) void lean_quad_resampled(const std::array<const double*, 3>& x,
                                                        std::size_t instant, int substeps,
                                                        const double* fractions, int count,
                                                        const LeanPair& runs) {
    step_lean_pair<QuadLanes>(
        Resampled<QuadLanes>(x, instant, static_cast<std::size_t>(substeps), fractions), count,
        runs);
}
#endif

}  // namespace

void step_chunk(const double* c, int count, const Stepper& s, double* state, double* out,
                double* largest) {
#ifdef WAVESPEC_WIDE_LANES
    if (processor_has_avx()) return step_quads(c, count, s, state, out, largest);
#endif
    step_pairs(c, count, s, state, out, largest);
}

void step_samples(const std::array<const double*, 3>& x, int count, const Stepper& s, double* state,
                  double* out, double* largest) {
#ifdef WAVESPEC_WIDE_LANES
    if (processor_has_avx()) return step_quad_samples(x, count, s, state, out, largest);
#endif
    step_pair_samples(x, count, s, state, out, largest);
}

void step_resampled(const std::array<const double*, 3>& x, std::size_t instant, int substeps,
                    const double* fractions, int count, const Stepper& s, double* state,
                    double* out, double* largest) {
#ifdef WAVESPEC_WIDE_LANES
    if (processor_has_avx()) {
        return step_quad_resampled(x, instant, substeps, fractions, count, s, state, out, largest);
    }
#endif
    step_pair_resampled(x, instant, substeps, fractions, count, s, state, out, largest);
}

void step_chunk_lean_pair(const double* c, int count, const LeanPair& runs) {
#ifdef WAVESPEC_WIDE_LANES
    if (processor_has_avx()) return lean_quad_knots(c, count, runs);
#endif
    lean_pair_knots(c, count, runs);
}

void step_samples_lean_pair(const std::array<const double*, 3>& x, int count,
                            const LeanPair& runs) {
#ifdef WAVESPEC_WIDE_LANES
    if (processor_has_avx()) return lean_quad_samples(x, count, runs);
#endif
    lean_pair_samples(x, count, runs);
}

void step_resampled_lean_pair(const std::array<const double*, 3>& x, std::size_t instant,
                              int substeps, const double* fractions, int count,
                              const LeanPair& runs) {
#ifdef WAVESPEC_WIDE_LANES
    if (processor_has_avx())
        return lean_quad_resampled(x, instant, substeps, fractions, count, runs);
#endif
    lean_pair_resampled(x, instant, substeps, fractions, count, runs);
}

}  // namespace wavespec::response
