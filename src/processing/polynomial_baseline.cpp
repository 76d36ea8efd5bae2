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

// The upper-triangular R and Q^T d of the fit, one sample's row rotated in at a time.
class StreamingQr {
  public:
    void add(Row row, double value) {
        for (std::size_t j = 0; j < kBaselineTerms; ++j) {
            if (row[j] == 0.0) continue;
            const double h = std::sqrt(r_[j][j] * r_[j][j] + row[j] * row[j]);
            const double c = r_[j][j] / h, s = row[j] / h;
            r_[j][j] = h;
            for (std::size_t l = j + 1; l < kBaselineTerms; ++l) {
                const double upper = r_[j][l];
                r_[j][l] = c * upper + s * row[l];
                row[l] = c * row[l] - s * upper;
            }
            const double upper = rhs_[j];
            rhs_[j] = c * upper + s * value;
            value = c * value - s * upper;
        }
    }

    Row solve() const {
        Row x{};
        for (std::size_t j = kBaselineTerms; j-- > 0;) {
            double sum = rhs_[j];
            for (std::size_t l = j + 1; l < kBaselineTerms; ++l) sum -= r_[j][l] * x[l];
            x[j] = sum / r_[j][j];
        }
        return x;
    }

  private:
    std::array<Row, kBaselineTerms> r_{};
    Row rhs_{};
};

}  // namespace

std::optional<std::array<double, kBaselineTerms>> fit_baseline(
    std::span<const double> displacement) {
    const std::size_t n = displacement.size();
    if (n < kFewestBaselineSamples) return std::nullopt;
    const double last = static_cast<double>(n - 1);
    StreamingQr qr;
    for (std::size_t i = 1; i < n; ++i) {
        qr.add(powers(static_cast<double>(i) / last), displacement[i]);
    }
    return qr.solve();
}

bool remove_polynomial_baseline(std::span<double> acceleration, double dt) {
    const std::vector<double> displacement =
        trapezoid_integral(trapezoid_integral(acceleration, dt), dt);
    const auto fit = fit_baseline(displacement);
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
