// The bins of a smoothing gathered into cells of the window's phase p, kCellWidth radians
// wide and aligned at its multiples. A cell with more bins than kNodes is replaced by kNodes
// Chebyshev nodes spread over its bins' phases: each node carries the charge
// nu_n = sum_i A_i L_n(t_i), L_n the Lagrange polynomial of node n and t_i the bin's place in
// the cell. Then for every centre sum_n W(node_n) nu_n = sum_i A_i (I W)(p_i), I W the
// interpolant of the window on the cell's nodes, so that each centre sums nodes instead of
// bins. A cell with few bins keeps them, with their amplitudes as charges.
//
// Error of a gathered cell at a centre whose phase lies X >= 0 from the cell's phases, per
// unit of the cell's summed amplitude (amplitudes are never negative here):
//   interpolation: |W - I W| <= (h/2)^M / (2^(M-1) M!) max|W^(M)| on a cell of width h with
//   M nodes of the first kind. W = sinc^4 is band-limited to [-4, 4] with |W| <= 1, so
//   |W^(M)| <= 4^M (Bernstein) and the error is at most 2 h^M / M!. Away from the centre,
//   Leibniz's rule on sin^4(x) x^-4 gives |W^(M)| <= sum_j C(M, j) c_j (M - j + 3)!/3! X^-(4+M-j),
//   with c_0 = 1 and c_j = (4 2^j + 4^j)/8 bounding the j-th derivative of
//   sin^4 = (3 - 4 cos 2x + cos 4x)/8; the smaller of the two bounds holds.
//   rounding: W at a node is within 16u of min(1, X^-4), the charges' sums (in runs of
//   kChargeRun bins, then the runs' sums) within (kChargeRun + runs + 3M + 8)u of their exact
//   values, the centre's sum over its points within (points/4 + 3)u, each relative to
//   min(1, X^-4) times the Lebesgue constant (at most 2/pi ln M + 1) times the cell's summed
//   amplitude; u = 2^-53, and the bound is doubled for the products of (1 + u) factors.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace wavespec::smoothing {

inline constexpr double kCellWidth = 4.0;
inline constexpr std::size_t kNodes = 32;
inline constexpr std::size_t kChargeRun = 256;

struct Cell {
    std::size_t first_bin = 0, end_bin = 0;      // the cell's bins
    std::size_t first_point = 0, end_point = 0;  // its points: its own bins, or its nodes
    double low = 0.0, high = 0.0;                // the phases of its first and last bins
    bool gathered = false;                       // its points are nodes
};

// Every cell's points in the bins' order. Row 0 of the charges weights the window alone (the
// denominator), row s + 1 spectrum s. mass[row][cell] sums the row's amplitudes over the
// cell's bins (row 0: the cell's bin count).
struct CellPoints {
    std::vector<Cell> cells;
    std::vector<double> phase, sine, cosine;
    std::vector<std::vector<double>> charge;
    std::vector<std::vector<double>> mass;
    std::size_t largest_cell = 0;  // bins in the largest gathered cell
};

// gather = false keeps every bin (the plain full sum). threads share the cells.
CellPoints gather_cells(std::span<const double> bin_phase,
                        std::span<const std::span<const double>> spectra, bool gather,
                        unsigned threads);

// The bound above for a gathered cell, per unit of its summed amplitude, as a function of X.
class GatheredError {
  public:
    explicit GatheredError(const CellPoints& points);
    double at(double distance) const;

  private:
    double bernstein_ = 0.0, rounding_ = 0.0;
    std::array<double, 24> leibniz_{};  // at X = 2^k: valid for every X >= 2^k
};

}  // namespace wavespec::smoothing
