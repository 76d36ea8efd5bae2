#include "processing/polynomial_baseline.hpp"

#include <cmath>

#include "processing/trapezoid.hpp"

namespace wavespec::processing {
namespace {

using Row = std::array<double, kBaselineTerms>;

// u^2 .. u^6.
Row powers(double u) {
    Row row;
    double power = u * u;
    for (double& value : row) {
        value = power;
        power *= u;
    }
    return row;
}

// The upper-triangular R and Q^T d of the fit, built a block of rows at a time: each block
// stacked under R and brought back to triangular form by one Householder reflection a
// column. One square root a column and block, and no normal equations.
class StreamingQr {
  public:
    void add(const Row& row, double value) {
        rows_[count_] = row;
        values_[count_] = value;
        if (++count_ == kBlock) fold_block();
    }

    Row solve() {
        fold_block();
        Row x{};
        for (std::size_t j = kBaselineTerms; j-- > 0;) {
            double sum = rhs_[j];
            for (std::size_t l = j + 1; l < kBaselineTerms; ++l) sum -= r_[j][l] * x[l];
            x[j] = sum / r_[j][j];
        }
        return x;
    }

  private:
    static constexpr std::size_t kBlock = 64;

    // One reflection, of R's row j and the block's column j, applied to the values of
    // column l (R's row j and the block's column l, or the right-hand side).
    template <typename Get>
    void reflect(std::size_t j, double v0, double tau, double& upper, Get&& block_value) {
        double dot = v0 * upper;
        for (std::size_t i = 0; i < count_; ++i) dot += rows_[i][j] * block_value(i);
        const double f = tau * dot;
        upper -= f * v0;
        for (std::size_t i = 0; i < count_; ++i) block_value(i) -= f * rows_[i][j];
    }

    void fold_block() {
        for (std::size_t j = 0; j < kBaselineTerms; ++j) {
            double sigma = 0.0;
            for (std::size_t i = 0; i < count_; ++i) sigma += rows_[i][j] * rows_[i][j];
            if (sigma == 0.0) continue;
            const double x0 = r_[j][j];
            const double norm = std::sqrt(x0 * x0 + sigma);
            const double alpha = x0 >= 0.0 ? -norm : norm;
            const double v0 = x0 - alpha;  // no cancellation: x0 and -alpha share a sign
            const double tau = 2.0 / (v0 * v0 + sigma);
            for (std::size_t l = j + 1; l < kBaselineTerms; ++l) {
                reflect(j, v0, tau, r_[j][l],
                        [&](std::size_t i) -> double& { return rows_[i][l]; });
            }
            reflect(j, v0, tau, rhs_[j], [&](std::size_t i) -> double& { return values_[i]; });
            r_[j][j] = alpha;
        }
        count_ = 0;
    }

    std::array<Row, kBaselineTerms> r_{};
    Row rhs_{};
    std::array<Row, kBlock> rows_{};
    std::array<double, kBlock> values_{};
    std::size_t count_ = 0;
};

}  // namespace

std::optional<std::array<double, kBaselineTerms>> fit_baseline(std::span<const double> acceleration,
                                                               double dt) {
    const std::size_t n = acceleration.size();
    if (n < kFewestBaselineSamples) return std::nullopt;
    const double last = static_cast<double>(n - 1);
    StreamingQr qr;
    TrapezoidIntegrals integrals;
    for (std::size_t i = 1; i < n; ++i) {
        integrals.step(acceleration[i - 1], acceleration[i], dt);
        qr.add(powers(static_cast<double>(i) / last), integrals.displacement);
    }
    return qr.solve();
}

bool remove_polynomial_baseline(std::span<double> acceleration, double dt) {
    const auto fit = fit_baseline(acceleration, dt);
    if (!fit) return false;
    // d2/dt2 of b_p u^p is p (p - 1) b_p u^(p-2) / T^2.
    const std::size_t n = acceleration.size();
    const double last = static_cast<double>(n - 1);
    const double duration = last * dt;
    Row curvature;
    for (std::size_t j = 0; j < kBaselineTerms; ++j) {
        const double p = static_cast<double>(j + kLowestBaselinePower);
        curvature[j] = p * (p - 1.0) * (*fit)[j] / (duration * duration);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double u = static_cast<double>(i) / last;
        double value = 0.0;
        for (std::size_t j = kBaselineTerms; j-- > 0;) value = value * u + curvature[j];
        acceleration[i] -= value;
    }
    return true;
}

}  // namespace wavespec::processing
