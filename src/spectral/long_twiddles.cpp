#include "spectral/long_twiddles.hpp"

#include <array>

#include "spectral/wvfast.hpp"

namespace wavespec {
namespace {

// A double-double: the unevaluated sum hi + lo with |lo| at most half an ulp of hi. Every
// operation below is a fixed sequence of IEEE additions and multiplications (the build keeps
// them from being fused), so the bits are the same everywhere.
struct DoubleDouble {
    double hi;
    double lo;
};

DoubleDouble quick_two_sum(double a, double b) {
    double s = a + b;
    return {s, b - (s - a)};
}

DoubleDouble two_sum(double a, double b) {
    double s = a + b;
    double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Veltkamp's split into two halves of 26 bits each, whose products are exact.
DoubleDouble split(double a) {
    double c = 134217729.0 * a;  // 2^27 + 1
    double hi = c - (c - a);
    return {hi, a - hi};
}

// a * b exactly, as a double-double (Dekker).
DoubleDouble two_product(double a, double b) {
    double p = a * b;
    DoubleDouble x = split(a);
    DoubleDouble y = split(b);
    double error = ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo;
    return {p, error};
}

DoubleDouble add(DoubleDouble x, DoubleDouble y) {
    DoubleDouble s = two_sum(x.hi, y.hi);
    DoubleDouble t = two_sum(x.lo, y.lo);
    s.lo += t.hi;
    s = quick_two_sum(s.hi, s.lo);
    s.lo += t.lo;
    return quick_two_sum(s.hi, s.lo);
}

DoubleDouble negate(DoubleDouble x) {
    return {-x.hi, -x.lo};
}

DoubleDouble multiply(DoubleDouble x, DoubleDouble y) {
    DoubleDouble p = two_product(x.hi, y.hi);
    p.lo += x.hi * y.lo + x.lo * y.hi;
    return quick_two_sum(p.hi, p.lo);
}

DoubleDouble divide(DoubleDouble x, double d) {
    double q1 = x.hi / d;
    DoubleDouble p = two_product(q1, d);
    DoubleDouble r = two_sum(x.hi, -p.hi);
    r.lo -= p.lo;
    r.lo += x.lo;
    double q2 = (r.hi + r.lo) / d;
    return quick_two_sum(q1, q2);
}

struct CosSin {
    DoubleDouble c;
    DoubleDouble s;
};

// Base angles j / kBaseSteps for j = 0 .. kBaseCount - 1 cover [0, kTransformPi] with every
// angle within 1 / (2 kBaseSteps) of one of them.
constexpr int kBaseSteps = 128;
constexpr int kBaseCount = 404;

// cos and sin of the exact double b by their Taylor series in Horner form, to about 2^-100:
// the last terms kept (b^50 / 50! for b below 3.2) are below 2^-125.
CosSin series(double b) {
    DoubleDouble b2 = two_product(b, b);
    DoubleDouble c{1.0, 0.0};
    DoubleDouble s{1.0, 0.0};
    for (int k = 50; k >= 2; k -= 2) {
        // c <- 1 - b^2 / (k (k - 1)) * c, and the same for s with (k + 1) k.
        c = add({1.0, 0.0}, negate(divide(multiply(b2, c), static_cast<double>(k * (k - 1)))));
        s = add({1.0, 0.0}, negate(divide(multiply(b2, s), static_cast<double>((k + 1) * k))));
    }
    return {c, multiply(s, {b, 0.0})};
}

const std::array<CosSin, kBaseCount>& base_angles() {
    static const std::array<CosSin, kBaseCount> table = [] {
        std::array<CosSin, kBaseCount> values{};
        for (int j = 0; j < kBaseCount; ++j) {
            values[static_cast<std::size_t>(j)] =
                series(static_cast<double>(j) / static_cast<double>(kBaseSteps));
        }
        return values;
    }();
    return table;
}

// cos and sin of an angle x in [0, kTransformPi]. x = b + r with b the nearest base angle; r
// is exact (both are multiples of x's ulp, and |r| <= 1/256 needs far fewer than 53 bits of
// them). For so small an r, 1 - r^2/2 and r - r^3/6 carried in double-double and the rest of
// the series in plain double (below 2^-36 and 2^-39 r) leave errors near 2^-88; the sum
// formulas then give results whose error stays far below half an ulp for every angle the
// stages use (none lies within 2^-23 of pi/2 or of pi, except pi/2's own, which the table
// stage provides), so one final rounding keeps within 1 ulp.
Twiddle cos_sin(double x) {
    int j = static_cast<int>(x * kBaseSteps + 0.5);
    double r = x - static_cast<double>(j) / static_cast<double>(kBaseSteps);
    double r2 = r * r;
    double cos_tail =
        r2 * r2 / 24.0 *
        (1.0 - r2 / 30.0 * (1.0 - r2 / 56.0 * (1.0 - r2 / 90.0 * (1.0 - r2 / 132.0))));
    double sin_tail =
        r * r2 * r2 / 120.0 * (1.0 - r2 / 42.0 * (1.0 - r2 / 72.0 * (1.0 - r2 / 110.0)));
    DoubleDouble square = two_product(r, r);
    DoubleDouble cr = add({1.0, 0.0}, {-0.5 * square.hi, -0.5 * square.lo});
    cr = add(cr, {cos_tail, 0.0});
    DoubleDouble cube = multiply(square, {r, 0.0});
    DoubleDouble sr = add({r, 0.0}, negate(divide(cube, 6.0)));
    sr = add(sr, {sin_tail, 0.0});
    const CosSin& base = base_angles()[static_cast<std::size_t>(j)];
    DoubleDouble c = add(multiply(base.c, cr), negate(multiply(base.s, sr)));
    DoubleDouble s = add(multiply(base.s, cr), multiply(base.c, sr));
    return {c.hi + c.lo, s.hi + s.lo};
}

}  // namespace

Twiddle long_twiddle(int half, int m, int ind) {
    // The angle exactly as the transform forms it; the other direction negates it (a product
    // rounded to nearest is odd in its factor), and cosine is even, sine odd.
    double angle = (kTransformPi * static_cast<double>(m)) / static_cast<double>(half);
    Twiddle t = cos_sin(angle);
    if (ind < 0 && m != 0) t.s = -t.s;
    return t;
}

void lay_out_long_stage(std::span<const Twiddle> narrower, std::span<Twiddle> stage, int ind) {
    const int half = static_cast<int>(stage.size());
    for (int k = 0; k < half; k += 2) {
        stage[static_cast<std::size_t>(k)] = narrower[static_cast<std::size_t>(k / 2)];
        stage[static_cast<std::size_t>(k + 1)] = long_twiddle(half, k + 1, ind);
    }
}

}  // namespace wavespec
