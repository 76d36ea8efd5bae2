#include "spectral/mixed_fft.hpp"

#include <algorithm>
#include <numbers>
#include <stdexcept>

#include "spectral/portable_math.hpp"

namespace wavespec {
namespace {

inline Complex add(Complex a, Complex b) {
    return {a.re + b.re, a.im + b.im};
}
inline Complex sub(Complex a, Complex b) {
    return {a.re - b.re, a.im - b.im};
}
inline Complex mul(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
inline Complex conj(Complex a) {
    return {a.re, -a.im};
}
// a * (-i) for the forward direction, a * i for the inverse.
inline Complex rotate(Complex a, bool inverse) {
    return inverse ? Complex{-a.im, a.re} : Complex{a.im, -a.re};
}

}  // namespace

std::size_t smooth_length(std::size_t n) {
    if (n <= 1) return 1;
    std::size_t best = SIZE_MAX;
    for (std::size_t p5 = 1; p5 < best; p5 *= 5) {
        for (std::size_t p35 = p5; p35 < best; p35 *= 3) {
            std::size_t m = p35;
            while (m < n) m *= 2;
            best = std::min(best, m);
        }
    }
    return best;
}

MixedFft::MixedFft(std::size_t n) : n_(n), work_(n) {
    if (n == 0) throw std::invalid_argument("MixedFft: length 0");
    std::size_t rest = n;
    while (rest % 4 == 0) radices_.push_back(4), rest /= 4;
    while (rest % 2 == 0) radices_.push_back(2), rest /= 2;
    while (rest % 3 == 0) radices_.push_back(3), rest /= 3;
    while (rest % 5 == 0) radices_.push_back(5), rest /= 5;
    for (std::size_t p = 7; p <= kLargestDirectPrime && rest > 1; p += 2) {
        while (rest % p == 0) radices_.push_back(static_cast<int>(p)), rest /= p;
    }
    if (rest != 1) {
        radices_.clear();
        plan_chirp_z();
        return;
    }
    for (int p : radices_) {
        std::vector<SineCosine> roots;
        if (p > 5) {
            for (int t = 0; t < p; ++t)
                roots.push_back(portable_sin_cos(2.0 * std::numbers::pi * t / p));
        }
        prime_roots_.push_back(std::move(roots));
    }
    // exp(-2 pi i t/n) from the first eighth of the circle by symmetry where n allows it:
    // fewer sines and cosines, and mirror images with the same digits.
    roots_.resize(n);
    const double angle_step = 2.0 * std::numbers::pi / static_cast<double>(n);
    const std::size_t quarter = n % 4 == 0 ? n / 4 : n;
    const bool octants = n % 8 == 0;
    std::vector<SineCosine> base(octants ? n / 8 + 1 : quarter);
    for (std::size_t t = 0; t < base.size(); ++t)
        base[t] = portable_sin_cos(angle_step * static_cast<double>(t));
    for (std::size_t t = 0; t < n; ++t) {
        std::size_t turns = t / quarter, folded = t % quarter;
        SineCosine sc = folded < base.size()
                            ? base[folded]
                            : SineCosine{base[quarter - folded].cos, base[quarter - folded].sin};
        Complex w{sc.cos, -sc.sin};
        for (std::size_t q = 0; q < turns; ++q) w = Complex{w.im, -w.re};  // times -i
        roots_[t] = w;
    }
    // Each stage's factors exp(-2 pi i k j / length), k = 1 .. p-1, side by side for each j.
    std::size_t length = n;
    for (int p : radices_) {
        const std::size_t m = length / static_cast<std::size_t>(p), step = n / length;
        std::vector<Complex> factors(m * static_cast<std::size_t>(p - 1));
        for (std::size_t j = 0; j < m; ++j) {
            for (int k = 1; k < p; ++k) {
                factors[j * static_cast<std::size_t>(p - 1) + static_cast<std::size_t>(k - 1)] =
                    roots_[static_cast<std::size_t>(k) * j * step];
            }
        }
        stage_factors_.push_back(std::move(factors));
        length = m;
    }
    roots_.clear();
    roots_.shrink_to_fit();
}

namespace {

// The constants of the radix-3 and radix-5 butterflies.
struct ButterflyConstants {
    SineCosine third = portable_sin_cos(2.0 * std::numbers::pi / 3.0);
    SineCosine fifth1 = portable_sin_cos(2.0 * std::numbers::pi / 5.0);
    SineCosine fifth2 = portable_sin_cos(4.0 * std::numbers::pi / 5.0);
};

// One radix-P stage from x to y: m groups of stride elements each. A template per radix and
// direction, so that the inner loop holds one butterfly and no choice.
template <int P, bool kInverse>
void stage(const Complex* x, Complex* y, std::size_t stride, std::size_t m, const Complex* factors,
           const ButterflyConstants& k) {
    const double sign = kInverse ? 1.0 : -1.0;
    const std::size_t in_step = stride * m;
    for (std::size_t j = 0; j < m; ++j) {
        Complex w[P];
        for (int i = 1; i < P; ++i) {
            Complex r = factors[j * (P - 1) + static_cast<std::size_t>(i - 1)];
            w[i] = kInverse ? conj(r) : r;
        }
        const Complex* in = x + stride * j;
        Complex* out = y + stride * P * j;
        for (std::size_t q = 0; q < stride; ++q) {
            Complex b[P];
            if constexpr (P == 4) {
                Complex a0 = in[q], a1 = in[q + in_step], a2 = in[q + 2 * in_step],
                        a3 = in[q + 3 * in_step];
                Complex s02 = add(a0, a2), d02 = sub(a0, a2), s13 = add(a1, a3),
                        d13 = rotate(sub(a1, a3), kInverse);
                b[0] = add(s02, s13);
                b[1] = add(d02, d13);
                b[2] = sub(s02, s13);
                b[3] = sub(d02, d13);
            } else if constexpr (P == 2) {
                Complex a0 = in[q], a1 = in[q + in_step];
                b[0] = add(a0, a1);
                b[1] = sub(a0, a1);
            } else if constexpr (P == 3) {
                Complex a0 = in[q], a1 = in[q + in_step], a2 = in[q + 2 * in_step];
                Complex s = add(a1, a2), d = sub(a1, a2);
                Complex c{a0.re + k.third.cos * s.re, a0.im + k.third.cos * s.im};
                Complex e{-sign * k.third.sin * d.im, sign * k.third.sin * d.re};
                b[0] = add(a0, s);
                b[1] = add(c, e);
                b[2] = sub(c, e);
            } else {
                static_assert(P == 5);
                const SineCosine f1 = k.fifth1, f2 = k.fifth2;
                Complex a0 = in[q], a1 = in[q + in_step], a2 = in[q + 2 * in_step],
                        a3 = in[q + 3 * in_step], a4 = in[q + 4 * in_step];
                Complex s1 = add(a1, a4), d1 = sub(a1, a4), s2 = add(a2, a3), d2 = sub(a2, a3);
                Complex c1{a0.re + f1.cos * s1.re + f2.cos * s2.re,
                           a0.im + f1.cos * s1.im + f2.cos * s2.im};
                Complex c2{a0.re + f2.cos * s1.re + f1.cos * s2.re,
                           a0.im + f2.cos * s1.im + f1.cos * s2.im};
                // sign * i * (sin1 d1 + sin2 d2) and sign * i * (sin2 d1 - sin1 d2).
                double t1re = f1.sin * d1.re + f2.sin * d2.re;
                double t1im = f1.sin * d1.im + f2.sin * d2.im;
                double t2re = f2.sin * d1.re - f1.sin * d2.re;
                double t2im = f2.sin * d1.im - f1.sin * d2.im;
                Complex e1{-sign * t1im, sign * t1re}, e2{-sign * t2im, sign * t2re};
                b[0] = {a0.re + s1.re + s2.re, a0.im + s1.im + s2.im};
                b[1] = add(c1, e1);
                b[4] = sub(c1, e1);
                b[2] = add(c2, e2);
                b[3] = sub(c2, e2);
            }
            out[q] = b[0];
            // The first group's factors are all 1: its outputs go unmultiplied.
            for (int i = 1; i < P; ++i) {
                out[q + stride * static_cast<std::size_t>(i)] = j == 0 ? b[i] : mul(b[i], w[i]);
            }
        }
    }
}

// One stage of an odd prime radix p from its p roots of unity, pairing inputs j and p - j:
// output k is a0 + sum cos(2 pi jk/p) (aj + a(p-j)) -+ i sum sin(2 pi jk/p) (aj - a(p-j)), and
// output p - k the same with the sine sum's sign turned.
template <bool kInverse>
void prime_stage(int radix, const Complex* x, Complex* y, std::size_t stride, std::size_t m,
                 const Complex* factors, const SineCosine* roots) {
    constexpr std::size_t kMost = MixedFft::kLargestDirectPrime;
    const double sign = kInverse ? 1.0 : -1.0;
    const auto p = static_cast<std::size_t>(radix), half = (p - 1) / 2;
    const std::size_t in_step = stride * m;
    Complex sums[kMost], differences[kMost], b[kMost];
    for (std::size_t j = 0; j < m; ++j) {
        const Complex* in = x + stride * j;
        Complex* out = y + stride * p * j;
        const Complex* w = factors + j * (p - 1);
        for (std::size_t q = 0; q < stride; ++q) {
            const Complex a0 = in[q];
            Complex total = a0;
            for (std::size_t i = 1; i <= half; ++i) {
                const Complex ai = in[q + i * in_step], aj = in[q + (p - i) * in_step];
                sums[i] = add(ai, aj);
                differences[i] = sub(ai, aj);
                total = add(total, sums[i]);
            }
            b[0] = total;
            for (std::size_t k = 1; k <= half; ++k) {
                Complex c = a0, t{};
                for (std::size_t i = 1; i <= half; ++i) {
                    const SineCosine r = roots[i * k % p];
                    c = {c.re + r.cos * sums[i].re, c.im + r.cos * sums[i].im};
                    t = {t.re + r.sin * differences[i].re, t.im + r.sin * differences[i].im};
                }
                const Complex e{-sign * t.im, sign * t.re};
                b[k] = add(c, e);
                b[p - k] = sub(c, e);
            }
            out[q] = b[0];
            for (std::size_t i = 1; i < p; ++i) {
                out[q + stride * i] =
                    j == 0 ? b[i] : mul(b[i], kInverse ? conj(w[i - 1]) : w[i - 1]);
            }
        }
    }
}

template <bool kInverse>
void stage_of(int p, const Complex* x, Complex* y, std::size_t stride, std::size_t m,
              const Complex* factors, const SineCosine* roots, const ButterflyConstants& k) {
    if (p > 5) return prime_stage<kInverse>(p, x, y, stride, m, factors, roots);
    switch (p) {
        case 4:
            return stage<4, kInverse>(x, y, stride, m, factors, k);
        case 2:
            return stage<2, kInverse>(x, y, stride, m, factors, k);
        case 3:
            return stage<3, kInverse>(x, y, stride, m, factors, k);
        default:
            return stage<5, kInverse>(x, y, stride, m, factors, k);
    }
}

}  // namespace

void MixedFft::transform(Complex* data, bool inverse) {
    if (!inner_.empty()) return chirp_z(data, inverse, work_.data(), inner_[0].work_.data());
    stages(data, inverse, work_.data());
}

std::size_t MixedFft::work_size() const {
    return inner_.empty() ? n_ : work_.size() + inner_[0].work_size();
}

void MixedFft::transform(Complex* data, bool inverse, Complex* work) const {
    if (!inner_.empty()) return chirp_z(data, inverse, work, work + work_.size());
    stages(data, inverse, work);
}

void MixedFft::stages(Complex* data, bool inverse, Complex* work) const {
    static const ButterflyConstants constants;
    Complex* x = data;
    Complex* y = work;
    std::size_t stride = 1, length = n_;
    std::size_t stage = 0;
    for (int p : radices_) {
        const std::size_t m = length / static_cast<std::size_t>(p);
        const Complex* factors = stage_factors_[stage].data();
        const SineCosine* roots = prime_roots_[stage++].data();
        if (inverse) {
            stage_of<true>(p, x, y, stride, m, factors, roots, constants);
        } else {
            stage_of<false>(p, x, y, stride, m, factors, roots, constants);
        }
        std::swap(x, y);
        stride *= static_cast<std::size_t>(p);
        length = m;
    }
    if (x != data) std::copy(x, x + n_, data);
}

// X[m] = sum_p x[p] exp(-2 pi i pm/n) with pm = (p^2 + m^2 - (m - p)^2) / 2: the chirp c[k] =
// exp(-pi i k^2/n) times the convolution of x c with conj c, done on the inner length L >= 2n - 1
// where conj c is laid out at 0 .. n-1 and wrapped round at L-n+1 .. L-1.
void MixedFft::plan_chirp_z() {
    const std::size_t length = smooth_length(2 * n_ - 1);
    chirp_.resize(n_);
    const double step = std::numbers::pi / static_cast<double>(n_);
    for (std::size_t k = 0; k < n_; ++k) {
        // k^2 taken modulo 2n keeps the angle within [0, 2 pi): exact, and where the sines are.
        const std::size_t turn =
            static_cast<std::size_t>(static_cast<unsigned long long>(k) * k % (2ULL * n_));
        const SineCosine sc = portable_sin_cos(step * static_cast<double>(turn));
        chirp_[k] = {sc.cos, -sc.sin};
    }
    kernel_.assign(length, Complex{});
    for (std::size_t k = 0; k < n_; ++k) {
        kernel_[k] = conj(chirp_[k]);
        if (k > 0) kernel_[length - k] = conj(chirp_[k]);
    }
    inner_.emplace_back(length);
    inner_[0].transform(kernel_.data(), false);
    work_.assign(length, Complex{});
}

void MixedFft::chirp_z(Complex* data, bool inverse, Complex* chirp_work,
                       Complex* inner_work) const {
    // The inverse is the forward transform of the conjugate, conjugated.
    const std::size_t length = work_.size();
    Complex* w = chirp_work;
    for (std::size_t k = 0; k < n_; ++k) {
        const Complex x = inverse ? conj(data[k]) : data[k];
        w[k] = mul(x, chirp_[k]);
    }
    std::fill(w + n_, w + length, Complex{});
    inner_[0].stages(w, false, inner_work);
    for (std::size_t k = 0; k < length; ++k) w[k] = mul(w[k], kernel_[k]);
    inner_[0].stages(w, true, inner_work);
    const double scale = 1.0 / static_cast<double>(length);
    for (std::size_t k = 0; k < n_; ++k) {
        const Complex y = mul(w[k], chirp_[k]);
        data[k] =
            inverse ? Complex{y.re * scale, -y.im * scale} : Complex{y.re * scale, y.im * scale};
    }
}

}  // namespace wavespec
