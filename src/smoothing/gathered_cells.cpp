#include "smoothing/gathered_cells.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

#include "spectral/portable_math.hpp"
#include "support/processor.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::smoothing {
namespace {

// Chebyshev points of the first kind on [-1, 1] and their barycentric weights.
struct NodeTable {
    std::array<double, kNodes> t{}, lambda{};
};

const NodeTable& node_table() {
    static const NodeTable table = [] {
        NodeTable n;
        for (std::size_t k = 0; k < kNodes; ++k) {
            double angle =
                std::numbers::pi * static_cast<double>(2 * k + 1) / static_cast<double>(2 * kNodes);
            SineCosine sc = portable_sin_cos(angle);
            n.t[k] = sc.cos;
            n.lambda[k] = k % 2 == 0 ? sc.sin : -sc.sin;
        }
        return n;
    }();
    return table;
}

// L_n(t) for every node by the barycentric formula (exactly 1 and 0s on a node, where the
// formula's sum is infinite or NaN). The sum adds in four fixed lanes, so that it does not
// wait on one chain.
[[gnu::always_inline]] inline void lagrange_values(const NodeTable& nodes, double t, double* l) {
    for (std::size_t n = 0; n < kNodes; ++n) l[n] = nodes.lambda[n] / (t - nodes.t[n]);
    double lanes[4] = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t n = 0; n < kNodes; n += 4) {
        for (std::size_t j = 0; j < 4; ++j) lanes[j] += l[n + j];
    }
    const double sum = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    if (!std::isfinite(sum)) {
        for (std::size_t n = 0; n < kNodes; ++n) l[n] = t == nodes.t[n] ? 1.0 : 0.0;
        return;
    }
    const double inverse = 1.0 / sum;
    for (std::size_t n = 0; n < kNodes; ++n) l[n] *= inverse;
}

void set_point(CellPoints& out, std::size_t point, double phase) {
    out.phase[point] = phase;
    SineCosine sc = portable_sin_cos(phase);
    out.sine[point] = sc.sin;
    out.cosine[point] = sc.cos;
}

void keep_bins(const Cell& cell, std::span<const double> bin_phase,
               std::span<const std::span<const double>> spectra, CellPoints& out) {
    for (std::size_t i = cell.first_bin; i < cell.end_bin; ++i) {
        const std::size_t point = cell.first_point + (i - cell.first_bin);
        set_point(out, point, bin_phase[i]);
        out.charge[0][point] = 1.0;
        for (std::size_t s = 0; s < spectra.size(); ++s) out.charge[s + 1][point] = spectra[s][i];
    }
}

// The charges of a gathered cell, summed over runs of kChargeRun bins and then the runs.
[[gnu::always_inline]] inline void gather_bins_body(
    const Cell& cell, std::span<const double> bin_phase,
    std::span<const std::span<const double>> spectra, CellPoints& out) {
    const NodeTable& nodes = node_table();
    const double middle = 0.5 * (cell.low + cell.high), half = 0.5 * (cell.high - cell.low);
    for (std::size_t n = 0; n < kNodes; ++n)
        set_point(out, cell.first_point + n, middle + half * nodes.t[n]);
    const std::size_t rows = spectra.size() + 1;
    std::vector<double> total(rows * kNodes, 0.0), run(rows * kNodes);
    double l[kNodes];
    for (std::size_t start = cell.first_bin; start < cell.end_bin; start += kChargeRun) {
        std::fill(run.begin(), run.end(), 0.0);
        const std::size_t stop = std::min(cell.end_bin, start + kChargeRun);
        for (std::size_t i = start; i < stop; ++i) {
            const double t = std::clamp((bin_phase[i] - middle) / half, -1.0, 1.0);
            lagrange_values(nodes, t, l);
            for (std::size_t n = 0; n < kNodes; ++n) run[n] += l[n];
            for (std::size_t s = 0; s < spectra.size(); ++s) {
                const double a = spectra[s][i];
                double* r = run.data() + (s + 1) * kNodes;
                for (std::size_t n = 0; n < kNodes; ++n) r[n] += a * l[n];
            }
        }
        for (std::size_t j = 0; j < total.size(); ++j) total[j] += run[j];
    }
    for (std::size_t r = 0; r < rows; ++r) {
        std::copy_n(total.data() + r * kNodes, kNodes, out.charge[r].data() + cell.first_point);
    }
}

#if defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
// With AVX four nodes at a time: the same operations on each element in the same order, so
// the same charges to the bit (the build forbids contraction into fused multiply-adds).
__attribute__((target("avx"))) void gather_bins_wide(
    const Cell& cell, std::span<const double> bin_phase,
    std::span<const std::span<const double>> spectra, CellPoints& out) {
    gather_bins_body(cell, bin_phase, spectra, out);
}

void gather_bins(const Cell& cell, std::span<const double> bin_phase,
                 std::span<const std::span<const double>> spectra, CellPoints& out) {
    if (processor_has_avx()) return gather_bins_wide(cell, bin_phase, spectra, out);
    gather_bins_body(cell, bin_phase, spectra, out);
}
#else
void gather_bins(const Cell& cell, std::span<const double> bin_phase,
                 std::span<const std::span<const double>> spectra, CellPoints& out) {
    gather_bins_body(cell, bin_phase, spectra, out);
}
#endif

void sum_masses(const Cell& cell, std::size_t index,
                std::span<const std::span<const double>> spectra, CellPoints& out) {
    out.mass[0][index] = static_cast<double>(cell.end_bin - cell.first_bin);
    for (std::size_t s = 0; s < spectra.size(); ++s) {
        double sum = 0.0;
        for (std::size_t i = cell.first_bin; i < cell.end_bin; ++i) sum += spectra[s][i];
        out.mass[s + 1][index] = sum;
    }
}

std::vector<Cell> cells_of(std::span<const double> bin_phase, bool gather) {
    std::vector<Cell> cells;
    std::size_t point = 0;
    for (std::size_t i = 0; i < bin_phase.size();) {
        const double key = std::floor(bin_phase[i] / kCellWidth);
        std::size_t end = i + 1;
        while (end < bin_phase.size() && std::floor(bin_phase[end] / kCellWidth) == key) ++end;
        Cell cell{i, end, point, point, bin_phase[i], bin_phase[end - 1], false};
        cell.gathered = gather && end - i > kNodes && cell.high > cell.low;
        point += cell.gathered ? kNodes : end - i;
        cell.end_point = point;
        cells.push_back(cell);
        i = end;
    }
    return cells;
}

}  // namespace

CellPoints gather_cells(std::span<const double> bin_phase,
                        std::span<const std::span<const double>> spectra, bool gather,
                        unsigned threads) {
    CellPoints out;
    out.cells = cells_of(bin_phase, gather);
    const std::size_t points = out.cells.empty() ? 0 : out.cells.back().end_point;
    out.phase.resize(points);
    out.sine.resize(points);
    out.cosine.resize(points);
    out.charge.assign(spectra.size() + 1, std::vector<double>(points));
    out.mass.assign(spectra.size() + 1, std::vector<double>(out.cells.size()));
    for (const Cell& cell : out.cells) {
        if (cell.gathered)
            out.largest_cell = std::max(out.largest_cell, cell.end_bin - cell.first_bin);
    }
    // The cells hold very different numbers of bins: threads take them one at a time.
    const std::size_t count = out.cells.size();
    std::atomic<std::size_t> next{0};
    run_together(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(count, 1)),
                 [&](std::size_t) {
                     for (std::size_t c = next++; c < count; c = next++) {
                         const Cell& cell = out.cells[c];
                         if (cell.gathered) {
                             gather_bins(cell, bin_phase, spectra, out);
                         } else {
                             keep_bins(cell, bin_phase, spectra, out);
                         }
                         sum_masses(cell, c, spectra, out);
                     }
                 });
    return out;
}

GatheredError::GatheredError(const CellPoints& points) {
    constexpr double m = static_cast<double>(kNodes);
    // Only exact operations and portable functions: the bound decides which cells are summed
    // bin by bin, so it must be the same on every platform.
    double factorial = 1.0, width_power = 1.0, quarter_power = 1.0;
    for (std::size_t k = 1; k <= kNodes; ++k) {
        factorial *= static_cast<double>(k);
        width_power *= kCellWidth;
        quarter_power *= kCellWidth / 4.0;
    }
    bernstein_ = 2.0 * width_power / factorial;
    // (h/2)^M / (2^(M-1) M!) times the Leibniz sum at X = 2^k.
    const double scale = quarter_power * 2.0 / factorial;
    for (std::size_t k = 0; k < leibniz_.size(); ++k) {
        double sum = 0.0, binomial = 1.0;
        for (std::size_t j = 0; j <= kNodes; ++j) {
            const double c = j == 0 ? 1.0
                                    : (4.0 * std::ldexp(1.0, static_cast<int>(j)) +
                                       std::ldexp(1.0, static_cast<int>(2 * j))) /
                                          8.0;
            const std::size_t order = kNodes - j;  // derivatives of x^-4
            double falling = 1.0;                  // (order + 3)! / 3!
            for (std::size_t q = 4; q <= order + 3; ++q) falling *= static_cast<double>(q);
            sum += binomial * c * falling * std::ldexp(1.0, -static_cast<int>(k * (4 + order)));
            binomial = binomial * static_cast<double>(kNodes - j) / static_cast<double>(j + 1);
        }
        leibniz_[k] = scale * sum;
    }
    const double lebesgue = 2.0 / std::numbers::pi * portable_log(m) + 1.0;
    const double runs = static_cast<double>(points.largest_cell / kChargeRun + 1);
    const double sums = static_cast<double>(points.phase.size()) / 4.0 + 3.0;
    const double steps = 16.0 + static_cast<double>(kChargeRun) + runs + 3.0 * m + 8.0 + sums;
    rounding_ = 2.0 * steps * std::ldexp(1.0, -53) * lebesgue;
}

double GatheredError::at(double distance) const {
    double interpolation = bernstein_;
    double envelope = 1.0;
    if (distance >= 1.0) {
        const int k = std::min(std::ilogb(distance), static_cast<int>(leibniz_.size()) - 1);
        interpolation = std::min(interpolation, leibniz_[static_cast<std::size_t>(k)]);
        const double d2 = distance * distance;
        envelope = 1.0 / (d2 * d2);
    }
    return interpolation + rounding_ * envelope;
}

}  // namespace wavespec::smoothing
