// Smoothed spectra and the H/V statistics against analytic results and plain full sums
// computed here with a sin call for every pair.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>

#include "smoothing/hv_ratio.hpp"
#include "smoothing/hv_statistics.hpp"
#include "smoothing/noise_windows.hpp"
#include "smoothing/spectral_smoothing.hpp"

namespace wavespec::smoothing {
namespace {

using Spectra = std::vector<std::vector<double>>;

Spectra smooth(const SmoothingWindow& w, const std::vector<double>& f, const std::vector<double>& a,
               const std::vector<double>& centres, unsigned threads = 1) {
    const std::span<const double> spectra[] = {a};
    return smooth_spectra(w, f, spectra, centres, threads);
}

// The window as written: [sin(u)/u]^4 with u = B log10(f/fc) or (pi 280/302)(f - fc)/BW.
double plain_weight(const SmoothingWindow& w, double f, double fc) {
    double u = w.kind == WindowKind::konno_ohmachi
                   ? w.width * std::log10(f / fc)
                   : std::numbers::pi * 280.0 / 302.0 * (f - fc) / w.width;
    if (u == 0.0) return 1.0;
    return std::pow(std::sin(u) / u, 4);
}

double plain_sum(const SmoothingWindow& w, const std::vector<double>& f,
                 const std::vector<double>& a, double fc) {
    double num = 0.0, den = 0.0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        double weight = plain_weight(w, f[i], fc);
        num += weight * a[i];
        den += weight;
    }
    return num / den;
}

std::vector<double> uniform_bins(std::size_t n, double df) {
    std::vector<double> f(n);
    for (std::size_t i = 0; i < n; ++i) f[i] = static_cast<double>(i + 1) * df;
    return f;
}

const SmoothingWindow kWindows[] = {
    {WindowKind::konno_ohmachi, 10.0},  {WindowKind::konno_ohmachi, 40.0},
    {WindowKind::konno_ohmachi, 100.0}, {WindowKind::parzen, 0.5},
    {WindowKind::parzen, 2.0},          {WindowKind::parzen, 5.0}};

TEST(Smoothing, ConstantSpectrumStaysConstant) {
    std::vector<double> f = uniform_bins(2048, 0.0125);
    std::vector<double> a(f.size(), 3.25);
    std::vector<double> grid = log_spaced_centres(f.front(), f.back(), 100);
    for (const SmoothingWindow& w : kWindows) {
        for (const auto& centres : {grid, f}) {
            Spectra smoothed = smooth(w, f, a, centres);
            for (double s : smoothed[0]) EXPECT_NEAR(s, 3.25, 3.25 * 1e-13);
        }
    }
}

TEST(Smoothing, KonnoOhmachiWindowAreaInLog10FrequencyIs2PiOver3B) {
    // One unit amplitude at fc on bins h decades apart: S(fc) = W(fc, fc) / sum W = h / area.
    const double h = 1e-3;
    std::vector<double> f;
    for (int k = -3000; k <= 3000; ++k) f.push_back(std::pow(10.0, k * h));
    std::vector<double> a(f.size(), 0.0);
    a[3000] = 1.0;
    for (double b : {10.0, 40.0, 100.0}) {
        double s = smooth({WindowKind::konno_ohmachi, b}, f, a, {1.0})[0][0];
        // The band ends 3 decades either side: the tails beyond, sin^4 averaging 3/8 over
        // t^-4 from T = 3B, take 1/(4 T^3) from the area in t = B log10 f.
        double t = 3.0 * b;
        double area = (2.0 * std::numbers::pi / 3.0 - 1.0 / (4.0 * t * t * t)) / b;
        EXPECT_NEAR(h / s, area, 1e-7 * area) << b;
    }
}

TEST(Smoothing, PowerLawsKeepTheirKnownSkew) {
    // Konno-Ohmachi on a log grid: f^alpha is raised by the variance 3/(4B^2) of the window in
    // log10 f: S/A - 1 = (alpha ln10)^2 3/(8B^2) to second order.
    std::vector<double> logf;
    for (int k = -2000; k <= 2000; ++k) logf.push_back(std::pow(10.0, k * 1e-3));
    for (double alpha : {-0.5, 0.5}) {
        std::vector<double> a;
        for (double f : logf) a.push_back(std::pow(f, alpha));
        double b = 40.0;
        double excess = smooth({WindowKind::konno_ohmachi, b}, logf, a, {1.0})[0][0] - 1.0;
        double expected = std::pow(alpha * std::log(10.0), 2) * 3.0 / (8.0 * b * b);
        EXPECT_NEAR(excess, expected, 0.02 * expected) << alpha;
    }
    // Parzen on uniform bins: a straight line stays straight, f^2 is raised by the window's
    // variance (3/4)(BW / (pi 280/302))^2.
    std::vector<double> f = uniform_bins(10000, 0.01);
    std::vector<double> line, square;
    for (double x : f) {
        line.push_back(2.0 + 3.0 * x);
        square.push_back(x * x);
    }
    for (double bw : {0.5, 2.0}) {
        SmoothingWindow w{WindowKind::parzen, bw};
        EXPECT_NEAR(smooth(w, f, line, {50.0})[0][0], 152.0, 152.0 * 1e-4);
        double c = std::numbers::pi * 280.0 / 302.0 / bw;
        double variance = 0.75 / (c * c);
        EXPECT_NEAR(smooth(w, f, square, {50.0})[0][0] - 2500.0, variance, 0.02 * variance);
    }
}

TEST(Smoothing, FastSumMatchesThePlainFullSumOnARoughMultiDecadeSpectrum) {
    // 0.01 to 41 Hz: amplitudes falling as 1/f^2 over the band with random factors of up to
    // e^4, so that the weak end is dominated by the far tails of the windows.
    std::vector<double> f = uniform_bins(4096, 0.01);
    std::mt19937_64 random(20);
    std::uniform_real_distribution<double> spread(0.0, 4.0);
    std::vector<double> a;
    for (double x : f) a.push_back(std::exp(spread(random)) / (x * x));
    std::vector<double> grid = log_spaced_centres(f.front(), f.back(), 100);
    for (const SmoothingWindow& w : kWindows) {
        Spectra fast = smooth(w, f, a, grid, 2);
        ASSERT_EQ(fast[0].size(), grid.size());
        for (std::size_t k = 0; k < grid.size(); ++k) {
            double plain = plain_sum(w, f, a, grid[k]);
            ASSERT_NEAR(fast[0][k], plain, 1e-6 * plain) << w.width << " at " << grid[k];
        }
    }
    // At every bin, on a sample of them.
    SmoothingWindow w{WindowKind::konno_ohmachi, 40.0};
    Spectra fast = smooth(w, f, a, f);
    for (std::size_t k = 0; k < f.size(); k += 97) {
        double plain = plain_sum(w, f, a, f[k]);
        ASSERT_NEAR(fast[0][k], plain, 1e-6 * plain) << f[k];
    }
}

TEST(Smoothing, LogGridSpacingAndEnds) {
    std::vector<double> g = log_spaced_centres(0.5, 50.0, 10);
    ASSERT_EQ(g.size(), 21u);  // two decades at 10 per decade, both ends on the grid
    EXPECT_EQ(g.front(), 0.5);
    EXPECT_NEAR(g.back(), 50.0, 1e-12);
    EXPECT_NEAR(g[1] / g[0], std::pow(10.0, 0.1), 1e-15);
    EXPECT_EQ(log_spaced_centres(0.5, 0.9, 10).size(), 3u);  // 0.5, 0.63, 0.79
}

TEST(HvRatio, EqualHorizontalsGiveTheComponentForTheThreeMeans) {
    for (double s : {1e-300, 0.37, 1.0, 4.5e7, 1e300}) {
        for (HorizontalMean mean :
             {HorizontalMean::geometric, HorizontalMean::arithmetic, HorizontalMean::quadratic}) {
            EXPECT_NEAR(horizontal(mean, s, s), s, s * 4e-16) << s;
        }
        EXPECT_NEAR(horizontal(HorizontalMean::total, s, s), s * std::numbers::sqrt2, s * 4e-16);
    }
    std::vector<double> h1 = {2.0}, h2 = {8.0}, v = {2.0};
    EXPECT_DOUBLE_EQ(ratio(combined_horizontal(HorizontalMean::geometric, h1, h2), v)[0], 2.0);
}

TEST(HvStatistics, LognormalMeanAndSampleDeviation) {
    std::vector<double> f = {1.0, 2.0};
    std::vector<std::vector<double>> w = {{1.0, 3.0}, {std::exp(2.0), 1.0}};
    HvStatistics s = lognormal_statistics(w);
    EXPECT_NEAR(s.mean[0], std::numbers::e, 1e-15);
    EXPECT_NEAR(s.sigma_ln[0], std::numbers::sqrt2, 1e-15);  // deviations -1, +1 over N - 1
    EXPECT_EQ(peak_in_range(f, w[0], 0.0, 10.0), 1u);
    EXPECT_EQ(peak_in_range(f, w[1], 0.0, 10.0), 0u);
}

TEST(HvStatistics, PeakThresholdsFollowTheTable) {
    struct Row {
        double f0, epsilon_share, theta;
    };
    for (Row r : {Row{0.1, 0.25, 3.0}, Row{0.2, 0.20, 2.5}, Row{0.7, 0.15, 2.0},
                  Row{1.0, 0.10, 1.78}, Row{1.99, 0.10, 1.78}, Row{2.0, 0.05, 1.58}}) {
        EXPECT_DOUBLE_EQ(peak_thresholds(r.f0).epsilon, r.epsilon_share * r.f0) << r.f0;
        EXPECT_DOUBLE_EQ(peak_thresholds(r.f0).theta, r.theta) << r.f0;
    }
}

}  // namespace
}  // namespace wavespec::smoothing

namespace wavespec::smoothing {
namespace {

// A curve built to sit on either side of each criterion: 1000 points a decade from 0.1 Hz,
// a narrow peak A0 at f0 = frequencies[kPeak] over plateaus below and above it, and a small
// flat sigma_ln.
constexpr std::size_t kPeak = 1477;  // f0 = 0.1 * 10^1.477 = 3 Hz

struct Curve {
    std::vector<double> f, mean, sigma;
    double below = 1.0, above = 1.0, a0 = 4.0;
    SesameInput input{};

    explicit Curve(std::size_t peak = kPeak) {
        for (int k = 0; k < 2500; ++k) f.push_back(0.1 * std::pow(10.0, k / 1000.0));
        f0_index = peak;
        shape();
        input = {f, mean, sigma, 20.0, 10, 0.01};
    }
    void shape() {
        mean.assign(f.size(), 0.0);
        sigma.assign(f.size(), 0.1);
        for (std::size_t k = 0; k < f.size(); ++k) {
            double base = k < f0_index ? below : above;
            double z = std::log(f[k] / f[f0_index]) / 0.1;
            mean[k] = base + (a0 - base) * std::exp(-z * z);
        }
    }
    double f0() const { return f[f0_index]; }
    std::size_t f0_index;
};

TEST(SesameCriteria, EachCriterionJustInsideAndJustOutsideItsThreshold) {
    const double in = 1.0 - 1e-6, out = 1.0 + 1e-6;
    struct Case {
        const char* what;
        bool reliability;
        std::size_t index;
        std::function<void(Curve&, double)> set;  // the factor: `in` passes, `out` fails
    };
    const Case cases[] = {
        {"f0 > 10/lw", true, 0,
         [](Curve& c, double k) {
             c.input.window_seconds = 10.0 / c.f0() / k;
             c.input.windows = 100;
         }},
        {"nc > 200", true, 1,
         [](Curve& c, double k) { c.input.window_seconds = 200.0 / (10 * c.f0()) / k; }},
        {"sigma_A < 2 inside (f0/2, 2 f0)", true, 2,
         [](Curve& c, double k) {
             c.sigma[c.f0_index + 290] = std::log(2.0 * k);  // 1.95 f0
             c.sigma[c.f0_index + 302] = std::log(4.0);      // 2.004 f0: outside the range
         }},
        {"A < A0/2 below f0", false, 0,
         [](Curve& c, double k) {
             c.below = c.a0 / 2 * k;
             c.shape();
         }},
        {"A < A0/2 above f0", false, 1,
         [](Curve& c, double k) {
             c.above = c.a0 / 2 * k;
             c.shape();
         }},
        {"A0 > 2", false, 2,
         [](Curve& c, double k) {
             c.a0 = 2.0 / k;
             c.below = c.above = 0.5;
             c.shape();
         }},
        {"peaks of A sigma_A within 5 %", false, 3,
         [](Curve& c, double k) {
             // 10^(21/1000) = 1.0495 f0, 10^(22/1000) = 1.0520 f0: the spread peaks there.
             c.sigma[c.f0_index + (k < 1 ? 21 : 22)] = 0.6;
         }},
        {"sigma_f < epsilon", false, 4,
         [](Curve& c, double k) { c.input.peak_frequency_sd = 0.05 * c.f0() * k; }},
        {"sigma_A(f0) < theta", false, 5,
         [](Curve& c, double k) { c.sigma[c.f0_index] = std::log(1.58 * k); }},
    };
    for (const Case& test : cases) {
        for (double k : {in, out}) {
            Curve c;
            test.set(c, k);
            SesameReport r = sesame_criteria(c.input).value();
            ASSERT_NEAR(r.f0, 3.0, 0.01);
            const Criterion& got =
                test.reliability ? r.reliability[test.index] : r.clarity[test.index];
            EXPECT_EQ(got.passed(), k == in) << test.what << " value " << got.value;
            // The untouched curve passes everything; one failure alone still leaves it clear.
            int failed = 0;
            for (const Criterion& cr : r.reliability) failed += !cr.passed();
            for (const Criterion& cr : r.clarity) failed += !cr.passed();
            EXPECT_EQ(failed, k == in ? 0 : 1) << test.what;
            EXPECT_EQ(r.reliable == Verdict::pass, !test.reliability || k == in) << test.what;
            EXPECT_EQ(r.clear, Verdict::pass) << test.what;
        }
    }
}

TEST(SesameCriteria, SpreadLimitIsThreeForAPeakAtOrBelowHalfAHertz) {
    for (auto [sigma_a, passes] : {std::pair{2.9, true}, std::pair{3.1, false}}) {
        Curve c(477);  // f0 = 0.3 Hz
        c.input.window_seconds = 100.0;
        c.sigma[477 + 200] = std::log(sigma_a);
        SesameReport r = sesame_criteria(c.input).value();
        EXPECT_EQ(r.reliability[2].passed(), passes) << sigma_a;
        EXPECT_EQ(r.reliability[2].threshold, 3.0);
    }
}

TEST(NoiseWindows, SamplesRoundToTheNearestAndWholeWindowsCount) {
    struct Case {
        double seconds, dt;
        std::size_t record, samples, windows;
    };
    const Case cases[] = {
        {59.99, 0.01, 180001, 5999, 30},  // 30 minutes at 100 Hz
        {60.0, 0.01, 360000, 6000, 60},   // one hour
        {60.0, 0.01, 359999, 6000, 59},   // one sample short of the last window
        {0.024, 0.01, 10, 2, 5},          // 2.4 samples round down
        {0.025, 0.01, 10, 3, 3},          // 2.5 rounds away from zero
        {1.0, 0.01, 99, 0, 0},            // longer than the record
        {0.004, 0.01, 99, 0, 0},          // rounds to no sample
    };
    for (const Case& c : cases) {
        const std::size_t n = window_samples(c.seconds, c.dt, c.record);
        EXPECT_EQ(n, c.samples) << c.seconds;
        EXPECT_EQ(window_count(c.record, n), c.windows) << c.seconds;
    }
}

TEST(HvStatistics, RejectionDropsThreeOutliersAndStops) {
    // 20 windows peaking near 2 Hz, three at 7-9 Hz: the first round takes the three, the
    // second finds every peak inside e^(mu -+ 2 sigma) and ends the rejection.
    std::vector<double> peaks;
    for (int w = 0; w < 20; ++w) peaks.push_back(2.0 * (1.0 + 0.01 * (w % 5 - 2)));
    peaks.insert(peaks.begin() + 4, 7.0);
    peaks.insert(peaks.begin() + 11, 9.0);
    peaks.push_back(8.0);
    Rejection r = reject_windows(peaks, 2.0);
    EXPECT_EQ(r.rounds, 2u);
    for (std::size_t w = 0; w < peaks.size(); ++w) EXPECT_EQ(r.kept[w], peaks[w] < 3.0) << w;
    // Never fewer than two windows: a pair stays, however far apart.
    EXPECT_EQ(reject_windows(std::vector<double>{1.0, 10.0}, 0.1).kept,
              (std::vector<bool>{true, true}));
    EXPECT_EQ(reject_windows(std::vector<double>{1.0}, 2.0).rounds, 0u);
}

TEST(HvStatistics, NotANumberNeverPassesAndOneWindowLeavesTheSpreadUnjudged) {
    EXPECT_TRUE(std::isnan(max_or_nan(0.0, NAN)));
    EXPECT_TRUE(std::isnan(min_or_nan(NAN, 1.0)));
    EXPECT_EQ(max_or_nan(2.0, 3.0), 3.0);
    const std::vector<double> f = {1.0, 2.0, 3.0, 4.0, 5.0};
    const std::vector<double> mean = {1.0, 1.0, 5.0, 1.0, 1.0};
    std::vector<double> sigma(5, 0.1);
    sigma[3] = NAN;
    SesameInput in{f, mean, sigma, 100.0, 10, 0.01};
    SesameReport r = sesame_criteria(in).value();
    EXPECT_EQ(r.reliability[2].verdict, Verdict::fail);  // the largest sigma_A is NaN
    EXPECT_EQ(r.reliable, Verdict::fail);
    sigma[3] = 0.1;
    in.windows = 1;
    r = sesame_criteria(in).value();
    EXPECT_EQ(r.reliability[0].verdict, Verdict::pass);
    EXPECT_EQ(r.reliability[2].verdict, Verdict::not_judged);
    EXPECT_EQ(r.reliable, Verdict::not_judged);
    for (std::size_t c : {3u, 4u, 5u}) EXPECT_EQ(r.clarity[c].verdict, Verdict::not_judged) << c;
    EXPECT_EQ(r.clear, Verdict::not_judged);  // 3 pass, 3 open
    std::vector<double> low_peak = mean;
    low_peak[2] = 1.9;  // A0 < 2 and no trough below A0/2: 0 pass, 3 open
    in.mean = low_peak;
    EXPECT_EQ(sesame_criteria(in).value().clear, Verdict::fail);
    in.mean = mean;
    in.low = 3.5;  // f0 searched from 3.5 Hz: 4 Hz, the first of the equal highest
    EXPECT_EQ(sesame_criteria(in).value().f0, 4.0);
    in.low = 5.5;
    EXPECT_FALSE(sesame_criteria(in).has_value());
    const std::vector<std::vector<double>> one = {{2.0, 3.0}};
    HvStatistics s = lognormal_statistics(one);
    EXPECT_EQ(s.sigma_ln, (std::vector<double>{0.0, 0.0}));
    EXPECT_NEAR(s.mean[1], 3.0, 3e-15);
}

TEST(Smoothing, FrequenciesFromToCountKeepBothEnds) {
    const std::vector<double> f = log_spaced_between(0.3, 40.0, 2048);
    ASSERT_EQ(f.size(), 2048u);
    EXPECT_EQ(f.front(), 0.3);
    EXPECT_EQ(f.back(), 40.0);
    for (std::size_t i : {1u, 700u, 2046u}) {
        EXPECT_NEAR(f[i], 0.3 * std::pow(40.0 / 0.3, static_cast<double>(i) / 2047.0), f[i] * 1e-14) << i;
    }
}

}  // namespace
}  // namespace wavespec::smoothing
