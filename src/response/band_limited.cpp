#include "response/band_limited.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <numbers>

#include "spectral/mixed_fft.hpp"
#include "spectral/portable_math.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::response {
namespace {

// Samples taken before the record and after it: the band-limited signal rings on either side
// of the record (as 1/(pi k) of the values at its ends, k samples away). Over the outer half of
// each guard the ringing is brought to zero by a sin^2 taper: cut short, it would kick the
// oscillators and leave a low-frequency remainder that the long periods feel. Even, so that a
// knot's sample index and its place from the first knot have the same parity.
constexpr std::size_t kGuard = 256;
constexpr std::size_t kCoarseBands = 64;
// Bytes the threads that help with the knots' transforms may hold between them.
constexpr std::size_t kHelperMemory = std::size_t{48} << 20;
constexpr double kFineBandRatio = 1.02;
// The first fine band, from 0 Hz, as a fraction of fN.
constexpr double kLowestFineBand = 1.0 / 65536;

inline Complex times(double w, Complex z) {
    return {w * z.re, w * z.im};
}

// 1 / sinc^2(x): the piecewise-linear interpolation's response at x cycles per knot, undone.
double precompensation(double x) {
    if (x == 0.0) return 1.0;
    double s = portable_sin_cos(std::numbers::pi * x).sin / (std::numbers::pi * x);
    return 1.0 / (s * s);
}

}  // namespace

BandLimitedRecord::BandLimitedRecord(std::array<std::span<const double>, 3> series, double dt)
    : dt_(dt), samples_(series[0].size()), guard_(kGuard) {
    // An even length at least 1.25 times the knots' span: the copies of the record that the
    // transform sees are then far enough away for their tails to be taken off (copy_tails).
    const std::size_t span = samples_ + 2 * guard_;
    length_ = 2 * smooth_length((5 * span + 7) / 8);
    fft_ = MixedFft(length_);
    copy_tails_ = std::make_unique<CopyTails>(series, length_, guard_);
    MixedFft& fft = fft_;
    std::vector<Complex> pair(length_), single(length_);
    for (std::size_t p = 0; p < samples_; ++p) {
        pair[p] = {series[0][p], series[1][p]};
        single[p] = {series[2][p], 0.0};
    }
    fft.transform(pair.data(), false);
    fft.transform(single.data(), false);
    const std::size_t half = length_ / 2;
    for (auto& s : spectrum_) s.resize(half + 1);
    for (std::size_t k = 0; k <= half; ++k) {
        Complex a = pair[k], b = pair[(length_ - k) % length_];
        spectrum_[0][k] = {0.5 * (a.re + b.re), 0.5 * (a.im - b.im)};
        spectrum_[1][k] = {0.5 * (a.im + b.im), 0.5 * (b.re - a.re)};
        spectrum_[2][k] = single[k];
    }

    // Bands of the power spectra for the error estimate.
    const double bin = 2.0 * std::numbers::pi / (static_cast<double>(length_) * dt);
    auto band_of = [&](std::size_t first, std::size_t last) {
        Band band{static_cast<double>(first) * bin, static_cast<double>(last) * bin, {}};
        for (std::size_t k = first; k <= last; ++k) {
            for (std::size_t c = 0; c < 3; ++c) {
                Complex x = spectrum_[c][k];
                band.power[c] += x.re * x.re + x.im * x.im;
            }
        }
        return band;
    };
    // The fine bands' edges are fixed fractions of fN, each bin's power spread evenly over its
    // own width (bin k from k - 1/2 to k + 1/2, bin 0 from 0), and each band's transfer
    // bounded over its edges: the estimate then follows the spectrum, not where the bins fall,
    // and zeros added after the record (more, closer bins of the same spectrum) leave it, and
    // the spacing chosen, as they are, even where a resonance is narrower than a bin.
    const double nyquist = static_cast<double>(half);
    std::size_t k = 0;
    for (double low = 0.0, high = kLowestFineBand; low < 1.0;
         low = high, high = std::min(1.0, high * kFineBandRatio)) {
        Band band{low * nyquist * bin, high * nyquist * bin, {}};
        const double from = low * nyquist, to = high * nyquist;
        for (; k <= half; ++k) {
            const double start = k == 0 ? 0.0 : static_cast<double>(k) - 0.5;
            const double end = static_cast<double>(k) + 0.5;
            const double share = (std::min(end, to) - std::max(start, from)) / (end - start);
            if (share > 0.0) {
                for (std::size_t c = 0; c < 3; ++c) {
                    Complex x = spectrum_[c][k];
                    band.power[c] += share * (x.re * x.re + x.im * x.im);
                }
            }
            if (end > to) break;  // the bin reaches into the next band
        }
        fine_bands_.push_back(band);
    }
    for (std::size_t b = 0; b < kCoarseBands; ++b) {
        std::size_t first = (half + 1) * b / kCoarseBands;
        std::size_t last = (half + 1) * (b + 1) / kCoarseBands;
        if (last > first) coarse_bands_.push_back(band_of(first, last - 1));
    }
}

double BandLimitedRecord::error_estimate(Oscillator o, int r) const {
    const double h = dt_ / r;
    const double knot_rate = 2.0 * std::numbers::pi / h;
    std::array<std::array<double, 3>, 3> signal{}, error{};  // [quantity][component]
    auto add = [](std::array<std::array<double, 3>, 3>& sum, const Transfer& t,
                  const std::array<double, 3>& power, double weight) {
        const double q[3] = {t.displacement, t.velocity, t.acceleration};
        for (int i = 0; i < 3; ++i)
            for (int c = 0; c < 3; ++c) sum[i][c] += weight * q[i] * power[c];
    };
    for (const Band& band : fine_bands_) {
        // The least of a unimodal function over the band is at one of its ends.
        Transfer a = squared_transfer(o, band.low), b = squared_transfer(o, band.high);
        Transfer least{std::min(a.displacement, b.displacement), std::min(a.velocity, b.velocity),
                       std::min(a.acceleration, b.acceleration)};
        add(signal, least, band.power, 1.0);
    }
    for (const Band& band : coarse_bands_) {
        const double x = band.high * h / (2.0 * std::numbers::pi);  // cycles per knot
        for (int k = 1; k <= 3; ++k) {
            double below = x / (k - x), above = x / (k + x);
            double centre = k * knot_rate;
            add(error, largest_squared_transfer(o, centre - band.high, centre - band.low),
                band.power, below * below * below * below);
            add(error, largest_squared_transfer(o, centre + band.low, centre + band.high),
                band.power, above * above * above * above);
        }
        // A cubic through two knots and their slopes misses a sinusoid by (w h)^4 / 384.
        double wh = band.high * h;
        double cubic = wh * wh * wh * wh / 384.0;
        add(error, largest_squared_transfer(o, band.low, band.high), band.power, cubic * cubic);
    }
    double worst = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 3; ++c) {
            if (signal[i][c] > 0.0) worst = std::max(worst, std::sqrt(error[i][c] / signal[i][c]));
        }
    return worst;
}

int BandLimitedRecord::knots_per_sample(Oscillator o) const {
#ifdef WAVESPEC_RESPONSE_FORCE_RATE
    if (WAVESPEC_RESPONSE_FORCE_RATE > 0) return WAVESPEC_RESPONSE_FORCE_RATE;
#endif
    for (int r = 1; r < kMostKnotsPerSample; r *= 2) {
        if (error_estimate(o, r) <= kErrorTarget) return r;
    }
    return kMostKnotsPerSample;
}

// exp(2 pi i t / total) for t up to total / 2, as the product of two short tables.
struct TurnTables {
    std::size_t block;
    std::vector<Complex> coarse, fine;
    explicit TurnTables(std::size_t total)
        : block(static_cast<std::size_t>(std::sqrt(static_cast<double>(total))) + 1),
          coarse(total / (2 * block) + 2),
          fine(block) {
        for (std::size_t a = 0; a < coarse.size(); ++a) {
            SineCosine sc =
                portable_sin_cos(2.0 * std::numbers::pi * static_cast<double>(a * block) /
                                 static_cast<double>(total));
            coarse[a] = {sc.cos, sc.sin};
        }
        for (std::size_t b = 0; b < block; ++b) {
            SineCosine sc = portable_sin_cos(2.0 * std::numbers::pi * static_cast<double>(b) /
                                             static_cast<double>(total));
            fine[b] = {sc.cos, sc.sin};
        }
    }
};

namespace {

Complex mul(Complex a, Complex b) {
    return Complex{a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
Complex conj(Complex a) {
    return Complex{a.re, -a.im};
}

// exp(2 pi i k s / total) for k = 0, 1, ...: the index k s followed as a multiple of block and
// a remainder.
struct Turner {
    const TurnTables& tables;
    std::size_t step, high = 0, low = 0;
    Complex next() {
        Complex a = tables.coarse[high], b = tables.fine[low];
        low += step;
        while (low >= tables.block) low -= tables.block, ++high;
        return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
    }
};

// The pre-compensation of bins 0 .. half for r knots per sample interval, the Nyquist bin's
// halves at +fN and -fN apart.
std::vector<double> precompensation_weights(std::size_t half, std::size_t total, int r,
                                            bool nyquist) {
    std::vector<double> weight(half + 1);
    for (std::size_t k = 0; k <= half; ++k) {
        weight[k] = precompensation(static_cast<double>(k) / static_cast<double>(total));
    }
    // The knots' spectrum jumps at the Nyquist frequency (to zero above it, or, for r = 1,
    // to the turned spectrum's value at -fN, the same); the transform of the repeated record
    // takes the mean of the two sides there.
    if (nyquist && r > 1) weight[half] *= 0.5;
    return weight;
}

}  // namespace

// Transform t of 3r/2 (rounded up): the first r give the first two components of phase t, as
// Z = (X1 + i X2) at +k and (conj X1 + i conj X2) at -k, turned; the others the third component
// of phases 2u and 2u + 1 as Z = Y(2u) + i Y(2u + 1), each half real. The spectrum into z.
void BandLimitedRecord::phase_spectrum(std::size_t t, int r, const TurnTables& tables,
                                       const std::vector<double>& weight,
                                       std::vector<Complex>& z) const {
    const std::size_t n = length_, half = n / 2, phases = static_cast<std::size_t>(r);
    const bool nyquist = n % 2 == 0;
    z.assign(n, Complex{});
    const bool pair = t < phases;
    const std::size_t s = pair ? t : 2 * (t - phases);
    const bool two = !pair && s + 1 < phases;
    Turner turn_a{tables, s}, turn_b{tables, s + 1};
    for (std::size_t k = 0; k <= half; ++k) {
        Complex plus, minus;
        if (pair) {
            const Complex x1 = spectrum_[0][k], x2 = spectrum_[1][k];
            Complex turned = turn_a.next();
            plus = mul(times(weight[k], {x1.re - x2.im, x1.im + x2.re}), turned);
            minus = mul(times(weight[k], {x1.re + x2.im, x2.re - x1.im}), conj(turned));
        } else {
            const Complex x = times(weight[k], spectrum_[2][k]);
            Complex ta = turn_a.next(), tb = two ? turn_b.next() : Complex{};
            Complex a = mul(x, ta), b = mul(x, tb);
            Complex am = mul(conj(x), conj(ta)), bm = mul(conj(x), conj(tb));
            plus = {a.re - b.im, a.im + b.re};
            minus = {am.re - bm.im, am.im + bm.re};
        }
        if (k == 0) {
            z[0] = plus;
        } else if (nyquist && k == half) {
            z[k] = r == 1 ? plus : Complex{plus.re + minus.re, plus.im + minus.im};
        } else {
            z[k] = plus;
            z[n - k] = minus;
        }
    }
}

// Knot g = m phases + s of the period is knot g + lead, or, at the period's end (before the
// record), knot g - (total - lead); the knots between are not kept.
void BandLimitedRecord::place_phase(const std::vector<Complex>& z, int r, std::size_t s,
                                    std::size_t lane, bool imaginary, double* knots) const {
    const std::size_t n = length_, phases = static_cast<std::size_t>(r), total = n * phases;
    const std::size_t count = knot_count(r), lead = guard_ * phases;
    const double scale = 1.0 / static_cast<double>(n);
    auto value = [&](std::size_t m) { return (imaginary ? z[m].im : z[m].re) * scale; };
    std::size_t m = 0;
    for (; m < n && m * phases + s + lead < count; ++m) {
        knots[(m * phases + s + lead) * kLanes + lane] = value(m);
    }
    m = std::max(m, (total - lead - s + phases - 1) / phases);
    for (; m < n; ++m) knots[(m * phases + s - (total - lead)) * kLanes + lane] = value(m);
}

void BandLimitedRecord::taper_guards(int r, double* knots) const {
    const std::size_t count = knot_count(r), ramp = guard_ / 2 * static_cast<std::size_t>(r);
    for (std::size_t j = 0; j < ramp; ++j) {
        const double s = portable_sin_cos(0.5 * std::numbers::pi * static_cast<double>(j) /
                                          static_cast<double>(ramp))
                             .sin;
        for (std::size_t at : {j, count - 1 - j}) {
            for (int lane = 0; lane < 3; ++lane) knots[at * kLanes + lane] *= s * s;
        }
    }
}

void BandLimitedRecord::knots(int r, double* knots, unsigned threads) const {
    // Knot g = r m + s (phase s) of the period of r * length_ knots is the inverse transform of
    // length length_, at m, of the spectrum turned by exp(2 pi i k s / (r length_)): r
    // transforms of the record's length instead of one r times as long.
    const std::size_t phases = static_cast<std::size_t>(r), total = length_ * phases;
    const TurnTables tables(total);
    const std::vector<double> weight =
        precompensation_weights(length_ / 2, total, r, length_ % 2 == 0);
    // The calling thread transforms with the plan's own work space, the others each with theirs
    // (work empty for the calling thread); the plan's tables are shared.
    auto transform = [&](std::size_t t, std::vector<Complex>& z, std::vector<Complex>& work) {
        phase_spectrum(t, r, tables, weight, z);
        if (work.empty()) {
            fft_.transform(z.data(), true);
        } else {
            static_cast<const MixedFft&>(fft_).transform(z.data(), true, work.data());
        }
        if (t < phases) {
            place_phase(z, r, t, 0, false, knots);
            place_phase(z, r, t, 1, true, knots);
        } else {
            const std::size_t s = 2 * (t - phases);
            place_phase(z, r, s, 2, false, knots);
            if (s + 1 < phases) place_phase(z, r, s + 1, 2, true, knots);
        }
    };
    const std::size_t transforms = phases + (phases + 1) / 2;
    std::atomic<std::size_t> next{0};
    // Each thread past the first holds its spectrum and work space: as many as fit in
    // kHelperMemory, so that a long record at a high -j does not multiply its memory.
    const std::size_t per_helper = (fft_.work_size() + length_) * sizeof(Complex);
    const std::size_t helpers = std::min<std::size_t>(
        {threads > 0 ? threads - 1 : 0, transforms - 1, kHelperMemory / per_helper});
    run_together(helpers + 1, [&](std::size_t k) {
        std::vector<Complex> z, work(k == 0 ? 0 : fft_.work_size());
        for (std::size_t t = next++; t < transforms; t = next++) transform(t, z, work);
    });
    copy_tails_->take_off(r, knots, kLanes);
    taper_guards(r, knots);
    const std::size_t count = knot_count(r);
    for (std::size_t j = 0; j < count; ++j) {
        knots[j * kLanes + 3] = knots[j * kLanes] + knots[j * kLanes + 1];
    }
}

}  // namespace wavespec::response
