// Smoothed values against the full window sum over every bin evaluated here in long double
// with a sine for every pair: within 1e-10 of it, relative to the value, on 256 centres a case.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "smoothing/spectral_smoothing.hpp"

namespace wavespec::smoothing {
namespace {

using Spectra = std::vector<std::vector<double>>;

// The window's phase p(f) in long double, and its sine and cosine.
struct LongPhase {
    long double p, sine, cosine;
};

LongPhase long_phase(const SmoothingWindow& w, double f) {
    const long double pi = 3.141592653589793238462643383279502884L;
    long double p =
        w.kind == WindowKind::konno_ohmachi
            ? static_cast<long double>(w.width) * std::log10(static_cast<long double>(f))
            : pi * 280.0L / 302.0L * static_cast<long double>(f) /
                  static_cast<long double>(w.width);
    return {p, std::sin(p), std::cos(p)};
}

// sum_i W A_i / sum_i W with W = [sin(u)/u]^4, u = p(f_i) - p(fc), all in long double; the
// sine of u from those of the two phases, the series where u is tiny.
std::vector<long double> full_sums(const std::vector<LongPhase>& bins, const Spectra& spectra,
                                   const LongPhase& c) {
    std::vector<long double> num(spectra.size(), 0.0L);
    long double den = 0.0L;
    for (std::size_t i = 0; i < bins.size(); ++i) {
        const long double u = bins[i].p - c.p;
        const long double r = std::fabs(u) < 1e-4L
                                  ? 1.0L - u * u / 6.0L + u * u * u * u / 120.0L
                                  : (bins[i].sine * c.cosine - bins[i].cosine * c.sine) / u;
        const long double weight = (r * r) * (r * r);
        den += weight;
        for (std::size_t s = 0; s < spectra.size(); ++s) num[s] += weight * spectra[s][i];
    }
    for (long double& n : num) n /= den;
    return num;
}

// Bins i df, i = 1..n, of a record of 2n samples at dt = 0.01 s.
std::vector<double> bins_of(std::size_t n) {
    std::vector<double> f(n);
    for (std::size_t i = 0; i < n; ++i)
        f[i] = static_cast<double>(i + 1) / (0.02 * static_cast<double>(n));
    return f;
}

// Spectra that stress the sum: rough amplitudes falling as 1/f^2 over the band; a peak of
// five bins 1e12 above its neighbours; zeros over the middle third of the band.
Spectra test_spectra(const std::vector<double>& f) {
    const std::size_t n = f.size();
    std::mt19937_64 random(n);
    std::uniform_real_distribution<double> spread(0.0, 4.0);
    Spectra s(3, std::vector<double>(n));
    for (std::size_t i = 0; i < n; ++i) {
        s[0][i] = std::exp(spread(random)) / (1.0 + f[i] * f[i]);
        s[1][i] = i >= n / 3 && i < n / 3 + 5 ? 1.0 : 1e-12 * (1.0 + 0.5 * spread(random));
        s[2][i] = i >= n / 3 && i < 2 * n / 3 ? 0.0 : 1.0 + spread(random);
    }
    return s;
}

// 256 centres: 120 bins spread over the band, 120 points of a log grid, the grid's ends and
// the bins beside the peak and at the zero band's edges.
std::vector<double> test_centres(const std::vector<double>& f) {
    const std::size_t n = f.size();
    std::vector<double> c;
    for (std::size_t k = 0; k < 120; ++k) c.push_back(f[k * (n - 1) / 119]);
    std::vector<double> grid = log_spaced_between(f.front(), f.back(), 120);
    c.insert(c.end(), grid.begin(), grid.end());
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, n - 2, n - 1, n / 3 - 3, n / 3 - 1,
                          n / 3 + 2, n / 3 + 5, n / 3 + 8, 2 * n / 3 - 1, 2 * n / 3, 2 * n / 3 + 1,
                          n / 2, n / 3 + 20, n / 3 + 200, n / 3 - 200}) {
        c.push_back(f[i]);
    }
    return c;
}

struct Case {
    SmoothingWindow window;
    std::size_t bins;
};

const Case kCases[] = {
    {{WindowKind::konno_ohmachi, 5.0}, 4096},    {{WindowKind::konno_ohmachi, 40.0}, 4096},
    {{WindowKind::konno_ohmachi, 188.5}, 4096},  {{WindowKind::parzen, 0.5}, 4096},
    {{WindowKind::parzen, 0.02}, 4096},          {{WindowKind::konno_ohmachi, 5.0}, 65536},
    {{WindowKind::konno_ohmachi, 40.0}, 65536},  {{WindowKind::konno_ohmachi, 188.5}, 65536},
    {{WindowKind::konno_ohmachi, 200.0}, 65536}, {{WindowKind::parzen, 0.5}, 65536},
    {{WindowKind::parzen, 0.0146}, 65536},
};

TEST(SmoothingAccuracy, WithinOneE10OfTheFullSumInLongDouble) {
    for (const Case& c : kCases) {
        const std::vector<double> f = bins_of(c.bins);
        const Spectra a = test_spectra(f);
        const std::vector<double> centres = test_centres(f);
        ASSERT_EQ(centres.size(), 256u);
        const std::span<const double> views[] = {a[0], a[1], a[2]};
        const Spectra fast = smooth_spectra(c.window, f, views, centres, 2);
        std::vector<LongPhase> bins;
        for (double x : f) bins.push_back(long_phase(c.window, x));
        for (std::size_t k = 0; k < centres.size(); ++k) {
            const std::vector<long double> exact =
                full_sums(bins, a, long_phase(c.window, centres[k]));
            for (std::size_t s = 0; s < a.size(); ++s) {
                const long double error = std::fabs(fast[s][k] - exact[s]) / exact[s];
                ASSERT_LE(error, 1e-10L)
                    << c.window.width << " " << c.bins << " spectrum " << s << " at " << centres[k];
            }
        }
    }
}

TEST(SmoothingAccuracy, SpectrumOfZerosSmoothsToPositiveZero) {
    const std::vector<double> f = bins_of(65536);
    const std::vector<double> zeros(f.size(), 0.0);
    const std::span<const double> views[] = {zeros};
    for (const SmoothingWindow& w : {SmoothingWindow{WindowKind::konno_ohmachi, 40.0},
                                     SmoothingWindow{WindowKind::parzen, 0.5}}) {
        const Spectra s = smooth_spectra(w, f, views, log_spaced_between(0.1, 50.0, 256), 2);
        for (double v : s[0]) {
            ASSERT_EQ(v, 0.0);
            ASSERT_FALSE(std::signbit(v));
        }
    }
}

}  // namespace
}  // namespace wavespec::smoothing
