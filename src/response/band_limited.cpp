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
// Bytes the threads that help with the grid's transforms may hold between them: none helps
// with a record of a million samples, whose memory is then the calling thread's alone.
constexpr std::size_t kHelperMemory = std::size_t{32} << 20;
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

BandLimitedRecord::BandLimitedRecord(std::array<std::span<const double>, 3> series, double dt,
                                     unsigned threads)
    : dt_(dt), samples_(series[0].size()), guard_(kGuard) {
    // An even length at least 1.25 times the knots' span: the copies of the record that the
    // transform sees are then far enough away for their tails to be taken off (copy_tails).
    const std::size_t span = samples_ + 2 * guard_;
    length_ = 2 * smooth_length((5 * span + 7) / 8);
    fft_ = MixedFft(length_);
    copy_tails_ = std::make_unique<CopyTails>(series, length_, guard_, threads);
    // One transform's array at a time: a long record's memory is mostly these.
    const std::size_t half = length_ / 2;
    for (auto& s : spectrum_) s.resize(half + 1);
    {
        std::vector<Complex> pair(length_);
        for (std::size_t p = 0; p < samples_; ++p) pair[p] = {series[0][p], series[1][p]};
        fft_.transform(pair.data(), false);
        for (std::size_t k = 0; k <= half; ++k) {
            Complex a = pair[k], b = pair[(length_ - k) % length_];
            spectrum_[0][k] = {0.5 * (a.re + b.re), 0.5 * (a.im - b.im)};
            spectrum_[1][k] = {0.5 * (a.im + b.im), 0.5 * (b.re - a.re)};
        }
    }
    {
        std::vector<Complex> single(length_);
        for (std::size_t p = 0; p < samples_; ++p) single[p] = {series[2][p], 0.0};
        fft_.transform(single.data(), false);
        std::copy(single.begin(), single.begin() + static_cast<std::ptrdiff_t>(half + 1),
                  spectrum_[2].begin());
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

// Transform t of 3p/2 (rounded up), for p phases: the first p give the first two components of
// phase t, as
// Z = (X1 + i X2) at +k and (conj X1 + i conj X2) at -k, turned; the others the third component
// of phases 2u and 2u + 1 as Z = Y(2u) + i Y(2u + 1), each half real. The spectrum into z.
void BandLimitedRecord::phase_spectrum(std::size_t t, int grid_phases, const TurnTables& tables,
                                       const std::vector<double>& weight,
                                       std::vector<Complex>& z) const {
    const std::size_t n = length_, half = n / 2, phases = static_cast<std::size_t>(grid_phases);
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
            z[k] = phases == 1 ? plus : Complex{plus.re + minus.re, plus.im + minus.im};
        } else {
            z[k] = plus;
            z[n - k] = minus;
        }
    }
}

// Grid point g = m phases + s of the period is the one of knot index g + lead, or, at the
// period's end (before the record), g - (total - lead); kept from margin points before knot 0's
// to margin points after the last knot's.
void BandLimitedRecord::place_phase(const std::vector<Complex>& z, std::size_t s, bool imaginary,
                                    KnotGrid& grid, std::size_t lane) const {
    using Index = long long;
    const auto phases = static_cast<Index>(grid.points), margin = static_cast<Index>(grid.margin);
    const Index total = static_cast<Index>(length_) * phases;
    const Index count = static_cast<Index>(knot_count(grid.points));
    const Index lead = static_cast<Index>(guard_) * phases;
    const double scale = 1.0 / static_cast<double>(length_);
    double* out = grid.lanes[lane].data();
    // margin is a multiple of phases, so the first point of phase s is -margin + s.
    for (Index k = -margin + static_cast<Index>(s); k < count + margin; k += phases) {
        Index g = k - lead;
        if (g < 0) g += total;
        const Complex& v = z[static_cast<std::size_t>(g / phases)];
        out[k + margin] = (imaginary ? v.im : v.re) * scale;
    }
}

// The grid's margin feeds the kernel on either side, holds whole samples' worth of points and
// lies within the reach of the copies' sums.
static_assert(kInterpolationReach % 2 == 0 && kInterpolationReach <= CopyTails::kMostMargin);

BandLimitedRecord::KnotGrid BandLimitedRecord::knot_grid(int r, unsigned threads) const {
    // Grid point g = p m + s (phase s of p points per sample) of the period of p * length_ is
    // the inverse transform of length length_, at m, of the spectrum turned by
    // exp(2 pi i k s / (p length_)): p transforms of the record's length instead of one p
    // times as long. The pre-compensation is that of r knots per sample.
    KnotGrid grid;
    grid.rate = r;
    grid.points = std::min(r, 2);
    grid.margin = kInterpolationReach;
    grid.interpolator = GridInterpolator(r / grid.points);
    const std::size_t phases = static_cast<std::size_t>(grid.points);
    for (auto& lane : grid.lanes) lane.assign(knot_count(grid.points) + 2 * grid.margin, 0.0);
    const TurnTables tables(length_ * phases);
    const std::vector<double> weight = precompensation_weights(
        length_ / 2, length_ * static_cast<std::size_t>(r), r, length_ % 2 == 0);
    // The calling thread transforms with the plan's own work space, the others each with theirs
    // (work empty for the calling thread); the plan's tables are shared.
    auto transform = [&](std::size_t t, std::vector<Complex>& z, std::vector<Complex>& work) {
        phase_spectrum(t, grid.points, tables, weight, z);
        if (work.empty()) {
            fft_.transform(z.data(), true);
        } else {
            static_cast<const MixedFft&>(fft_).transform(z.data(), true, work.data());
        }
        if (t < phases) {
            place_phase(z, t, false, grid, 0);
            place_phase(z, t, true, grid, 1);
        } else {
            const std::size_t s = 2 * (t - phases);
            place_phase(z, s, false, grid, 2);
            if (s + 1 < phases) place_phase(z, s + 1, true, grid, 2);
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
    copy_tails_->take_off(r, grid.points, grid.margin,
                          {grid.lanes[0].data(), grid.lanes[1].data(), grid.lanes[2].data()},
                          threads);
    // Over the outer half of each guard the input is brought to zero by sin^2, knot by knot.
    const std::size_t ramp = guard_ / 2 * static_cast<std::size_t>(r);
    grid.taper.resize(ramp);
    for (std::size_t j = 0; j < ramp; ++j) {
        const double sine = portable_sin_cos(0.5 * std::numbers::pi * static_cast<double>(j) /
                                             static_cast<double>(ramp))
                                .sin;
        grid.taper[j] = sine * sine;
    }
    return grid;
}

void BandLimitedRecord::knots(const KnotGrid& grid, std::size_t first, std::size_t count,
                              double* out) const {
    const auto divisions = static_cast<std::size_t>(grid.interpolator.divisions());
    const std::size_t end = first + count;
    for (std::size_t lane = 0; lane < 3; ++lane) {
        const double* points = grid.lanes[lane].data() + grid.margin;
        for (std::size_t j = 0; j < divisions; ++j) {
            // The knots of [first, end) that lie j divisions past a grid point.
            const std::size_t k = first + (j + divisions - first % divisions) % divisions;
            if (k >= end) continue;
            const std::size_t n = (end - k + divisions - 1) / divisions;
            double* to = out + (k - first) * kLanes + lane;
            if (j == 0) {
                for (std::size_t i = 0; i < n; ++i)
                    to[i * divisions * kLanes] = points[k / divisions + i];
            } else {
                grid.interpolator.between(points, k / divisions, n, static_cast<int>(j), to,
                                          divisions * kLanes);
            }
        }
    }
    const std::size_t total = knot_count(grid.rate), ramp = grid.taper.size();
    for (std::size_t k = first; k < end; ++k) {
        double* knot = out + (k - first) * kLanes;
        const std::size_t from_end = std::min(k, total - 1 - k);
        if (from_end < ramp) {
            for (std::size_t lane = 0; lane < 3; ++lane) knot[lane] *= grid.taper[from_end];
        }
        knot[3] = knot[0] + knot[1];
    }
}

}  // namespace wavespec::response
