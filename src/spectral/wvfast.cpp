#include "spectral/wvfast.hpp"

#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace wavespec {
namespace {

// Twiddle factors of the widest stage, k = 1 .. n/2: angle (pai * ((k-1)*ind)) / (n/2).
// A narrower stage with half-span kmax uses every (n/2)/kmax-th entry: multiplying the
// numerator and denominator by the same power of two changes no bit of the quotient, so these
// are exactly the factors that stage would compute for itself.
struct TwiddleTable {
    int n = 0;
    int ind = 0;
    std::vector<double> cosines;
    std::vector<double> sines;
};

const TwiddleTable& twiddles(int n, int ind) {
    thread_local TwiddleTable forward;
    thread_local TwiddleTable inverse;
    TwiddleTable& table = ind < 0 ? forward : inverse;
    if (table.n != n || table.ind != ind) {
        int half = n / 2;
        table.cosines.resize(static_cast<std::size_t>(half));
        table.sines.resize(static_cast<std::size_t>(half));
        for (int k = 1; k <= half; ++k) {
            double phi = (kTransformPi * static_cast<double>((k - 1) * ind)) / static_cast<double>(half);
            table.cosines[static_cast<std::size_t>(k - 1)] = std::cos(phi);
            table.sines[static_cast<std::size_t>(k - 1)] = std::sin(phi);
        }
        table.n = n;
        table.ind = ind;
    }
    return table;
}

void bit_reverse(int n, Complex* a) {
    int j = 1;
    for (int i = 1; i <= n; ++i) {
        if (i < j) std::swap(a[i - 1], a[j - 1]);
        int m = n / 2;
        while (j > m) {
            j -= m;
            m /= 2;
            if (m <= 1) break;
        }
        j += m;
    }
}

}  // namespace

void wvfast(int n, std::span<Complex> a, int mom, int ind, TransformObserver* observer) {
    if (n < 1 || (n & (n - 1)) != 0 || n > mom || static_cast<std::size_t>(n) > a.size()) {
        throw std::invalid_argument("wvfast: n must be a power of two within the array");
    }
    if (ind != 1 && ind != -1) throw std::invalid_argument("wvfast: ind must be -1 or 1");
    std::span<Complex> data = a.first(static_cast<std::size_t>(n));
    bool dumps = ind == 1 && observer != nullptr;
    if (dumps) observer->input(data);
    bit_reverse(n, data.data());
    if (dumps) observer->permuted(data);
    if (n > 1) {
        const TwiddleTable& table = twiddles(n, ind);
        const double* cosines = table.cosines.data();
        const double* sines = table.sines.data();
        Complex* x = data.data();
        for (int kmax = 1; kmax < n; kmax *= 2) {
            int istep = 2 * kmax;
            int stride = (n / 2) / kmax;
            // Butterflies of one stage touch disjoint pairs; walking group by group visits
            // memory in order and gives the same results as walking k by k.
            for (int group = 0; group < n; group += istep) {
                Complex* lower = x + group;
                Complex* upper = lower + kmax;
                for (int k = 0; k < kmax; ++k) {
                    double c = cosines[k * stride];
                    double s = sines[k * stride];
                    double ar = upper[k].re;
                    double ai = upper[k].im;
                    double tr = ar * c - ai * s;
                    double ti = ar * s + ai * c;
                    double ur = lower[k].re;
                    double ui = lower[k].im;
                    upper[k].re = ur - tr;
                    upper[k].im = ui - ti;
                    lower[k].re = ur + tr;
                    lower[k].im = ui + ti;
                }
            }
        }
    }
    if (dumps) observer->output(data);
}

}  // namespace wavespec
