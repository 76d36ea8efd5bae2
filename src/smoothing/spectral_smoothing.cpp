#include "smoothing/spectral_smoothing.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

#include "smoothing/gathered_cells.hpp"
#include "spectral/portable_math.hpp"
#include "support/processor.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::smoothing {
namespace {

// Below this |x|, sin(x)/x comes from its series: 1 - x^2/6 + x^4/120 is exact to 1e-22
// there, while the quotient of the sine from the identity by a tiny x would lose digits.
constexpr double kSeriesBelow = 1e-3;

struct Phases {
    std::vector<double> phase, sine, cosine;
};

Phases phases_of(const SmoothingWindow& window, std::span<const double> frequencies) {
    Phases p;
    p.phase.reserve(frequencies.size());
    p.sine.reserve(frequencies.size());
    p.cosine.reserve(frequencies.size());
    for (double f : frequencies) {
        double phase = window_phase(window, f);
        p.phase.push_back(phase);
        SineCosine sc = portable_sin_cos(phase);
        p.sine.push_back(sc.sin);
        p.cosine.push_back(sc.cos);
    }
    return p;
}

// sin(x)/x from its series where |x| < kSeriesBelow.
double near_ratio(double x) {
    double x2 = x * x;
    return 1.0 - x2 * (1.0 / 6.0) + (x2 * x2) * (1.0 / 120.0);
}

// (sin(x)/x)^4 for every bin, with no branch so that the loop vectorises; x = 0 gives NaN,
// which weights_at replaces.
[[gnu::always_inline]] inline void quotient_weights(const double* p, const double* s,
                                                    const double* c, double* w, std::size_t n,
                                                    double phase, double sine, double cosine) {
    for (std::size_t i = 0; i < n; ++i) {
        double x = p[i] - phase;
        double r = (s[i] * cosine - c[i] * sine) / x;
        double r2 = r * r;
        w[i] = r2 * r2;
    }
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
bool has_wide_registers() {
    return processor_has_avx();
}
#else
bool has_wide_registers() {
    return false;
}
#endif

// W for every bin and one centre. The few bins whose phase lies within kSeriesBelow of the
// centre's (found by bisection: the phases rise with the bins) then take their value from
// the series, the bin at the centre itself included.
// weights[j] is the weight of bin begin + j.
[[gnu::always_inline]] inline void weights_at(const CellPoints& bins, std::size_t begin,
                                              double phase, double sine, double cosine,
                                              std::span<double> weights) {
    const double* p = bins.phase.data() + begin;
    const double* s = bins.sine.data() + begin;
    const double* c = bins.cosine.data() + begin;
    quotient_weights(p, s, c, weights.data(), weights.size(), phase, sine, cosine);
    auto first = std::lower_bound(p, p + weights.size(), phase - kSeriesBelow);
    for (const double* it = first; it != p + weights.size() && *it <= phase + kSeriesBelow; ++it) {
        double x = *it - phase;
        if (std::fabs(x) >= kSeriesBelow) continue;
        double r = near_ratio(x);
        double r2 = r * r;
        weights[static_cast<std::size_t>(it - p)] = r2 * r2;
    }
}

// Adds w[j] * a[j] (or w[j] with no a) to four interleaved partial sums, which the compiler
// can keep in vector registers; the order is fixed, so results repeat exactly. Blocks are
// a multiple of four long but the last, so lane j % 4 is the bin's lane throughout.
struct Lanes {
    double acc[4] = {0.0, 0.0, 0.0, 0.0};
    double sum() const { return (acc[0] + acc[1]) + (acc[2] + acc[3]); }
};

void add_weighted(std::span<const double> w, const double* a, Lanes& lanes) {
    double* acc = lanes.acc;
    const std::size_t n = w.size();
    std::size_t i = 0;
    if (a != nullptr) {
        for (; i + 4 <= n; i += 4) {
            acc[0] += w[i] * a[i];
            acc[1] += w[i + 1] * a[i + 1];
            acc[2] += w[i + 2] * a[i + 2];
            acc[3] += w[i + 3] * a[i + 3];
        }
        for (; i < n; ++i) acc[i % 4] += w[i] * a[i];
    } else {
        for (; i + 4 <= n; i += 4) {
            acc[0] += w[i];
            acc[1] += w[i + 1];
            acc[2] += w[i + 2];
            acc[3] += w[i + 3];
        }
        for (; i < n; ++i) acc[i % 4] += w[i];
    }
}

// Four doubles as one value, lane by lane the IEEE operations of scalar code: one register
// where the processor has AVX, two otherwise. Aligned as a double, so that no stack slot
// must be realigned for it (which the Windows compiler does not do reliably); passed by
// reference only, since as a value it would change the calling convention with AVX.
typedef double Quad __attribute__((vector_size(32), aligned(8)));

[[gnu::always_inline]] inline void load_quad(Quad& q, const double* p) {
    std::memcpy(&q, p, sizeof q);
}

// The weighted sums of N spectra (and, with kTotal, the sum of the weights) in one pass over
// the block: independent chains in four-double vectors instead of a pass per spectrum that
// each wait on four. Lane j % 4 adds in the same order as in add_weighted, so the sums are
// the same to the bit however the spectra are grouped.
template <std::size_t N, bool kTotal>
[[gnu::always_inline]] inline void add_weighted_group(std::span<const double> w,
                                                      const double* const* a, Lanes& total,
                                                      Lanes* sums) {
    Quad t, u[N], weight, v;
    load_quad(t, total.acc);
    for (std::size_t s = 0; s < N; ++s) load_quad(u[s], sums[s].acc);
    const std::size_t n = w.size();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        load_quad(weight, w.data() + i);
        if constexpr (kTotal) t += weight;
        for (std::size_t s = 0; s < N; ++s) {
            load_quad(v, a[s] + i);
            u[s] += weight * v;
        }
    }
    if constexpr (kTotal) std::memcpy(total.acc, &t, sizeof t);
    for (std::size_t s = 0; s < N; ++s) std::memcpy(sums[s].acc, &u[s], sizeof u[s]);
    for (; i < n; ++i) {
        if constexpr (kTotal) total.acc[i % 4] += w[i];
        for (std::size_t s = 0; s < N; ++s) sums[s].acc[i % 4] += w[i] * a[s][i];
    }
}

// Every spectrum's weighted sum and the sum of the weights, four spectra a pass.
[[gnu::always_inline]] inline void add_weighted_all(std::span<const double> w,
                                                    std::span<const double* const> a, Lanes& total,
                                                    Lanes* sums) {
    const std::size_t m = a.size();
    if (m == 0) return add_weighted(w, nullptr, total);
    std::size_t s = 0;
    if (m >= 4) {
        add_weighted_group<4, true>(w, a.data(), total, sums);
        s = 4;
    } else if (m == 3) {
        return add_weighted_group<3, true>(w, a.data(), total, sums);
    } else if (m == 2) {
        return add_weighted_group<2, true>(w, a.data(), total, sums);
    } else {
        return add_weighted_group<1, true>(w, a.data(), total, sums);
    }
    for (; s + 4 <= m; s += 4) add_weighted_group<4, false>(w, a.data() + s, total, sums + s);
    switch (m - s) {
        case 3:
            return add_weighted_group<3, false>(w, a.data() + s, total, sums + s);
        case 2:
            return add_weighted_group<2, false>(w, a.data() + s, total, sums + s);
        case 1:
            return add_weighted_group<1, false>(w, a.data() + s, total, sums + s);
        default:
            return;
    }
}

// Points a block: their weights stay in the first-level cache while the sums read them.
constexpr std::size_t kBlock = 1024;

// The sums over every point of W times each row of charges (row 0 the window alone), for
// the centres first to last: raw[(k - first) * rows + row].
[[gnu::always_inline]] inline void point_sums_body(const CellPoints& points, const Phases& centres,
                                                   std::size_t first, std::size_t last,
                                                   double* raw) {
    const std::size_t n = points.phase.size(), rows = points.charge.size();
    std::vector<double> weights(std::min(n, kBlock));
    std::vector<Lanes> sums(rows);
    std::vector<const double*> starts(rows);
    for (std::size_t k = first; k < last; ++k) {
        Lanes unused;
        std::fill(sums.begin(), sums.end(), Lanes{});
        for (std::size_t begin = 0; begin < n; begin += kBlock) {
            std::span<double> w = std::span<double>(weights).first(std::min(kBlock, n - begin));
            weights_at(points, begin, centres.phase[k], centres.sine[k], centres.cosine[k], w);
            for (std::size_t r = 0; r < rows; ++r) starts[r] = points.charge[r].data() + begin;
            add_weighted_all(w, starts, unused, sums.data());
        }
        for (std::size_t r = 0; r < rows; ++r) raw[(k - first) * rows + r] = sums[r].sum();
    }
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// Where the processor has AVX, the weights and the sums four doubles at a time. Each element
// sees the same operations in the same order (no fused multiply-adds: the build forbids
// contraction), so the results are the same to the bit. Not on Windows, where the stack is
// not kept aligned for these registers.
__attribute__((target("avx"))) void point_sums_wide(const CellPoints& points, const Phases& centres,
                                                    std::size_t first, std::size_t last,
                                                    double* raw) {
    point_sums_body(points, centres, first, last, raw);
}
#else
void point_sums_wide(const CellPoints& points, const Phases& centres, std::size_t first,
                     std::size_t last, double* raw) {
    point_sums_body(points, centres, first, last, raw);
}
#endif

void point_sums(const CellPoints& points, const Phases& centres, std::size_t first,
                std::size_t last, double* raw) {
    if (has_wide_registers()) {
        point_sums_wide(points, centres, first, last, raw);
    } else {
        point_sums_body(points, centres, first, last, raw);
    }
}

// W of one point at one centre as weights_at computes it.
double point_weight(const CellPoints& points, std::size_t j, double phase, double sine,
                    double cosine) {
    const double x = points.phase[j] - phase;
    const double r = std::fabs(x) < kSeriesBelow
                         ? near_ratio(x)
                         : (points.sine[j] * cosine - points.cosine[j] * sine) / x;
    const double r2 = r * r;
    return r2 * r2;
}

// W of a bin at a centre from the sine of their phase difference itself.
double bin_weight(double x) {
    const double r = std::fabs(x) < kSeriesBelow ? near_ratio(x) : portable_sin_cos(x).sin / x;
    const double r2 = r * r;
    return r2 * r2;
}

struct Smoothing {
    std::span<const double> bin_phase;
    std::span<const std::span<const double>> spectra;
    const CellPoints& points;
    const GatheredError& error;
};

// The sums of one centre again, its gathered cells marked in `exact` summed bin by bin and
// the others over their nodes, cell after cell.
void resum(const Smoothing& job, const Phases& centres, std::size_t k,
           const std::vector<char>& exact, double* sums) {
    const std::size_t rows = job.points.charge.size();
    std::fill(sums, sums + rows, 0.0);
    const double phase = centres.phase[k];
    for (std::size_t c = 0; c < job.points.cells.size(); ++c) {
        const Cell& cell = job.points.cells[c];
        if (exact[c] != 0) {
            for (std::size_t i = cell.first_bin; i < cell.end_bin; ++i) {
                const double w = bin_weight(job.bin_phase[i] - phase);
                sums[0] += w;
                for (std::size_t s = 0; s + 1 < rows; ++s) sums[s + 1] += w * job.spectra[s][i];
            }
            continue;
        }
        for (std::size_t j = cell.first_point; j < cell.end_point; ++j) {
            const double w = point_weight(job.points, j, phase, centres.sine[k], centres.cosine[k]);
            for (std::size_t r = 0; r < rows; ++r) sums[r] += w * job.points.charge[r][j];
        }
    }
}

// How far the centre's phase lies from the cell's phases.
double distance_to(const Cell& cell, double phase) {
    if (phase < cell.low) return cell.low - phase;
    if (phase > cell.high) return phase - cell.high;
    return 0.0;
}

// Each sum's error bound from the gathered cells, at most kTolerance of the sum's lower
// bound (the sums are of terms never negative). Where one is not, the cells whose own bound
// exceeds an even share of that tolerance are summed bin by bin: what remains is then within
// it. Results are the sums' quotients.
constexpr double kTolerance = 2e-11;

void finish_centre(const Smoothing& job, const Phases& centres, std::size_t k, double* sums,
                   std::vector<std::vector<double>>& result) {
    const std::size_t rows = job.points.charge.size();
    const std::vector<Cell>& cells = job.points.cells;
    std::vector<double> bound(rows, 0.0);
    std::size_t gathered = 0;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (!cells[c].gathered) continue;
        ++gathered;
        const double e = job.error.at(distance_to(cells[c], centres.phase[k]));
        for (std::size_t r = 0; r < rows; ++r) bound[r] += e * job.points.mass[r][c];
    }
    bool within = true;
    for (std::size_t r = 0; r < rows; ++r)
        within = within && bound[r] <= kTolerance * std::max(sums[r] - bound[r], 0.0);
    if (!within) {
        std::vector<char> exact(cells.size(), 0);
        const double share = kTolerance / (2.0 * static_cast<double>(gathered));
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (!cells[c].gathered) continue;
            const double e = job.error.at(distance_to(cells[c], centres.phase[k]));
            for (std::size_t r = 0; r < rows; ++r) {
                const double allowed = share * std::max(sums[r] - bound[r], 0.0);
                if (e * job.points.mass[r][c] > allowed) exact[c] = 1;
            }
        }
        resum(job, centres, k, exact, sums);
    }
    // + 0.0: a spectrum of zeros smooths to +0, never -0.
    for (std::size_t s = 0; s + 1 < rows; ++s) result[s][k] = sums[s + 1] / sums[0] + 0.0;
}

bool amplitudes_usable(std::span<const std::span<const double>> spectra) {
    for (std::span<const double> a : spectra) {
        for (double v : a) {
            if (!(v >= 0.0) || !std::isfinite(v)) return false;
        }
    }
    return true;
}

std::vector<double> bin_phases(const SmoothingWindow& window, std::span<const double> frequencies,
                               unsigned threads) {
    std::vector<double> phase(frequencies.size());
    run_in_stretches(threads, frequencies.size(), [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) phase[i] = window_phase(window, frequencies[i]);
    });
    return phase;
}

}  // namespace

bool is_valid(const SmoothingWindow& window) {
    return std::isfinite(window.width) && window.width > 0.0;
}

double window_phase(const SmoothingWindow& window, double frequency) {
    if (window.kind == WindowKind::konno_ohmachi) return window.width * portable_log10(frequency);
    return (std::numbers::pi * 280.0 / 302.0) * frequency / window.width;
}

double summed_points_bound(const SmoothingWindow& window, double lowest, double highest,
                           double bins) {
    const double span = std::fabs(window_phase(window, highest) - window_phase(window, lowest));
    const double cells = std::floor(span / kCellWidth) + 2.0;
    return std::min(bins, cells * static_cast<double>(kNodes));
}

std::vector<double> log_spaced_centres(double lowest, double highest, int points_per_decade) {
    std::vector<double> centres;
    if (!(lowest > 0.0) || !(highest >= lowest) || points_per_decade < 1) return centres;
    double decades = portable_log10(highest / lowest);
    auto steps = static_cast<std::size_t>(
        std::floor(decades * static_cast<double>(points_per_decade) + 1e-9));
    centres.reserve(steps + 1);
    for (std::size_t j = 0; j <= steps; ++j) {
        double f = lowest *
                   portable_exp10(static_cast<double>(j) / static_cast<double>(points_per_decade));
        centres.push_back(std::min(f, highest));
    }
    return centres;
}

std::vector<double> log_spaced_between(double from, double to, std::size_t count) {
    std::vector<double> f(count);
    if (count < 2) return std::vector<double>(count, from);
    const double first = portable_log(from),
                 step = (portable_log(to) - first) / static_cast<double>(count - 1);
    for (std::size_t i = 0; i < count; ++i) {
        f[i] = portable_exp(first + static_cast<double>(i) * step);
    }
    f.front() = from;
    f.back() = to;
    return f;
}

std::vector<double> CentreChoice::centres_for(const std::vector<double>& bins) const {
    if (!fixed.empty()) return fixed;
    if (at_bins || bins.empty()) return bins;
    return log_spaced_centres(bins.front(), bins.back(), points_per_decade);
}

std::vector<std::vector<double>> smooth_spectra(const SmoothingWindow& window,
                                                std::span<const double> frequencies,
                                                std::span<const std::span<const double>> spectra,
                                                std::span<const double> centres, unsigned threads) {
    if (!std::is_sorted(frequencies.begin(), frequencies.end())) {
        throw std::invalid_argument("smoothing: the bins' frequencies must rise");
    }
    std::vector<std::vector<double>> result(spectra.size(),
                                            std::vector<double>(centres.size(), 0.0));
    if (centres.empty()) return result;
    const std::vector<double> phase = bin_phases(window, frequencies, threads);
    // Amplitudes below zero (never a spectrum's modulus) would void the bound: summed in full.
    const CellPoints points = gather_cells(phase, spectra, amplitudes_usable(spectra), threads);
    const GatheredError error(points);
    const Smoothing job{phase, spectra, points, error};
    Phases centre_phases = phases_of(window, centres);
    const std::size_t rows = spectra.size() + 1;
    // Centres in runs of kCentreRun, taken by the threads in turn.
    constexpr std::size_t kCentreRun = 64;
    const std::size_t runs = (centres.size() + kCentreRun - 1) / kCentreRun;
    std::atomic<std::size_t> next{0};
    run_together(std::clamp<std::size_t>(threads, 1, runs), [&](std::size_t) {
        std::vector<double> raw(kCentreRun * rows);
        for (std::size_t run = next++; run < runs; run = next++) {
            const std::size_t first = run * kCentreRun;
            const std::size_t last = std::min(centres.size(), first + kCentreRun);
            point_sums(points, centre_phases, first, last, raw.data());
            for (std::size_t k = first; k < last; ++k)
                finish_centre(job, centre_phases, k, raw.data() + (k - first) * rows, result);
        }
    });
    return result;
}

}  // namespace wavespec::smoothing
