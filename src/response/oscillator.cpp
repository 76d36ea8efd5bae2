#include "response/oscillator.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace wavespec::response {
namespace {

using Matrix = std::array<std::array<double, 4>, 4>;

Matrix product(const Matrix& a, const Matrix& b) {
    Matrix c{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += a[i][k] * b[k][j];
            c[i][j] = s;
        }
    return c;
}

// exp(A q) for the oscillator with a linear input in its own time tau = w t, the state being
// (w u, u', a / w, (da/dtau) / w):
//   d/dtau (w u) = u',  d/dtau u' = -w u - 2 zeta u' - a/w,  d/dtau (a/w) = e,  de/dtau = 0.
// Scaled until q / 2^s <= 1/8, Taylor series to the 18th power, squared back s times.
Matrix exponential(double zeta, double q) {
    int squarings = 0;
    double scaled = q;
    while (scaled > 0.125) {
        scaled *= 0.5;
        ++squarings;
    }
    Matrix a{};
    a[0][1] = scaled;
    a[1][0] = -scaled;
    a[1][1] = -2.0 * zeta * scaled;
    a[1][2] = -scaled;
    a[2][3] = scaled;
    Matrix sum{}, term{};
    for (int i = 0; i < 4; ++i) sum[i][i] = term[i][i] = 1.0;
    for (int k = 1; k <= 18; ++k) {
        term = product(term, a);
        for (auto& row : term)
            for (double& x : row) x /= k;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) sum[i][j] += term[i][j];
    }
    for (int s = 0; s < squarings; ++s) sum = product(sum, sum);
    return sum;
}

double denominator(Oscillator o, double w) {
    double d = o.omega * o.omega - w * w, e = 2.0 * o.zeta * o.omega * w;
    return d * d + e * e;
}

}  // namespace

StepCoefficients step_coefficients(Oscillator o, double h) {
    const double w = o.omega, q = w * h;
    Matrix e = exponential(o.zeta, q);
    // (w u1) = e00 (w u0) + e01 v0 + e02 a0/w + e03 (a1 - a0)/(w q), and so on.
    StepCoefficients c{};
    c.uu = e[0][0];
    c.uv = e[0][1] / w;
    c.ua1 = e[0][3] / (w * w * q);
    c.ua0 = e[0][2] / (w * w) - c.ua1;
    c.vu = e[1][0] * w;
    c.vv = e[1][1];
    c.va1 = e[1][3] / (w * q);
    c.va0 = e[1][2] / w - c.va1;
    return c;
}

bool finite(const StepCoefficients& c) {
    for (double v : {c.uu, c.uv, c.ua0, c.ua1, c.vu, c.vv, c.va0, c.va1}) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

Transfer squared_transfer(Oscillator o, double w_in) {
    double u = 1.0 / denominator(o, w_in);
    double k = 2.0 * o.zeta * o.omega;
    double w2 = o.omega * o.omega;
    return {u, w_in * w_in * u, (w2 * w2 + k * k * w_in * w_in) * u};
}

Transfer largest_squared_transfer(Oscillator o, double low, double high) {
    // 1/D peaks at w^2 = omega^2 (1 - 2 zeta^2) (at 0 for heavier damping), w^2/D at omega.
    double peak_u =
        o.zeta < 0.70710678118654752 ? o.omega * std::sqrt(1.0 - 2.0 * o.zeta * o.zeta) : 0.0;
    double u = 1.0 / denominator(o, std::clamp(peak_u, low, high));
    double wv = std::clamp(o.omega, low, high);
    double v = wv * wv / denominator(o, wv);
    double k = 2.0 * o.zeta * o.omega;
    double w2 = o.omega * o.omega;
    return {u, v, (w2 * w2 + k * k * high * high) * u};
}

}  // namespace wavespec::response
