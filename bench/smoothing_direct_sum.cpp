// The smoothing's full sum as it was before the bins were gathered into cells: every centre
// sums every bin. Kept here only to be timed beside the library's smoothing.
#include "smoothing_direct_sum.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

#include "spectral/portable_math.hpp"
#include "support/processor.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::bench {
using smoothing::SmoothingWindow;
using smoothing::window_phase;
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
[[gnu::always_inline]] inline void weights_at(const Phases& bins, std::size_t begin, double phase,
                                              double sine, double cosine,
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

// Bins a block: its weights stay in the first-level cache while the sums read them.
constexpr std::size_t kBlock = 1024;

[[gnu::always_inline]] inline void smooth_range_body(
    const Phases& bins, const Phases& centres, std::span<const std::span<const double>> spectra,
    std::size_t first, std::size_t last, std::vector<std::vector<double>>& result) {
    const std::size_t n = bins.phase.size();
    std::vector<double> weights(std::min(n, kBlock));
    std::vector<Lanes> sums(spectra.size());
    std::vector<const double*> starts(spectra.size());
    for (std::size_t k = first; k < last; ++k) {
        Lanes total;
        std::fill(sums.begin(), sums.end(), Lanes{});
        for (std::size_t begin = 0; begin < n; begin += kBlock) {
            std::span<double> w = std::span<double>(weights).first(std::min(kBlock, n - begin));
            weights_at(bins, begin, centres.phase[k], centres.sine[k], centres.cosine[k], w);
            for (std::size_t s = 0; s < spectra.size(); ++s) starts[s] = spectra[s].data() + begin;
            add_weighted_all(w, starts, total, sums.data());
        }
        for (std::size_t s = 0; s < spectra.size(); ++s) {
            result[s][k] = sums[s].sum() / total.sum();
        }
    }
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// Where the processor has AVX, the weights and the sums four doubles at a time. Each element
// sees the same operations in the same order (no fused multiply-adds: the build forbids
// contraction), so the results are the same to the bit. Not on Windows, where the stack is
// not kept aligned for these registers.
__attribute__((target("avx"))) void smooth_range_wide(
    const Phases& bins, const Phases& centres, std::span<const std::span<const double>> spectra,
    std::size_t first, std::size_t last, std::vector<std::vector<double>>& result) {
    smooth_range_body(bins, centres, spectra, first, last, result);
}
#else
void smooth_range_wide(const Phases& bins, const Phases& centres,
                       std::span<const std::span<const double>> spectra, std::size_t first,
                       std::size_t last, std::vector<std::vector<double>>& result) {
    smooth_range_body(bins, centres, spectra, first, last, result);
}
#endif

void smooth_range(const Phases& bins, const Phases& centres,
                  std::span<const std::span<const double>> spectra, std::size_t first,
                  std::size_t last, std::vector<std::vector<double>>& result) {
    if (has_wide_registers()) {
        smooth_range_wide(bins, centres, spectra, first, last, result);
    } else {
        smooth_range_body(bins, centres, spectra, first, last, result);
    }
}

}  // namespace

std::vector<std::vector<double>> direct_smooth_spectra(
    const SmoothingWindow& window, std::span<const double> frequencies,
    std::span<const std::span<const double>> spectra, std::span<const double> centres,
    unsigned threads) {
    if (!std::is_sorted(frequencies.begin(), frequencies.end())) {
        throw std::invalid_argument("smoothing: the bins' frequencies must rise");
    }
    std::vector<std::vector<double>> result(spectra.size(),
                                            std::vector<double>(centres.size(), 0.0));
    Phases bin_phases = phases_of(window, frequencies);
    Phases centre_phases = phases_of(window, centres);
    std::size_t parts =
        std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(centres.size(), 1));
    const std::size_t chunk = (centres.size() + parts - 1) / parts;
    run_together(parts, [&](std::size_t k) {
        const std::size_t first = std::min(centres.size(), k * chunk);
        const std::size_t last = std::min(centres.size(), first + chunk);
        smooth_range(bin_phases, centre_phases, spectra, first, last, result);
    });
    return result;
}

}  // namespace wavespec::bench
