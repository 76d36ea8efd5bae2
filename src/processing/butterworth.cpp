#include "processing/butterworth.hpp"

#include <algorithm>
#include <numbers>
#include <stdexcept>

#include "spectral/portable_math.hpp"

namespace wavespec::processing {
namespace {

// The prewarped corner: tan(pi fc dt), the analogue corner of a bilinear transform with
// s = (1 - z^-1) / (1 + z^-1).
double prewarped(double corner_hz, double dt) {
    const SineCosine sc = portable_sin_cos(std::numbers::pi * corner_hz * dt);
    return sc.sin / sc.cos;
}

// The section of the prototype's poles -sigma +- i sqrt(1 - sigma^2) scaled by k and mapped
// by the bilinear transform. With d = 1 + 2 k sigma + k^2 the mapped poles have real part
// (1 - k^2) / d and squared modulus (1 - 2 k sigma + k^2) / d. Zeros at z = -1 (low-pass)
// or z = 1 (high-pass), numerator monic.
Section pole_pair(Band band, double k, double sigma) {
    const double k2 = k * k;
    const double d = 1.0 + 2.0 * k * sigma + k2;
    Section s;
    s.b1 = band == Band::lowpass ? 2.0 : -2.0;
    s.b2 = 1.0;
    s.a1 = -2.0 * ((1.0 - k2) / d);
    s.a2 = (1.0 - 2.0 * k * sigma + k2) / d;
    return s;
}

// The gain that makes the pair's section 1 at zero frequency (low-pass) or at the Nyquist
// frequency (high-pass).
double pair_gain(Band band, double k, double sigma) {
    const double d = 1.0 + 2.0 * k * sigma + k * k;
    return band == Band::lowpass ? k * k / d : 1.0 / d;
}

}  // namespace

std::vector<Section> butterworth_sections(Band band, int order, double corner_hz, double dt) {
    if (order < kLowestOrder || order > kHighestOrder) {
        throw std::invalid_argument("Butterworth order out of range");
    }
    if (!(corner_hz > 0.0 && corner_hz * dt < 0.5)) {
        throw std::invalid_argument("Butterworth corner outside (0, Nyquist)");
    }
    const double k = prewarped(corner_hz, dt);
    std::vector<Section> sections;
    double gain = 1.0;
    // The real pole of an odd order, -1 scaled by k, maps to (1 - k) / (1 + k).
    if (order % 2 == 1) {
        Section s;
        s.b1 = band == Band::lowpass ? 1.0 : -1.0;
        s.a1 = -((1.0 - k) / (1.0 + k));
        sections.push_back(s);
        gain *= band == Band::lowpass ? k / (1.0 + k) : 1.0 / (1.0 + k);
    }
    // The prototype's pole pairs at angles pi m / (2 order) from the negative real axis, m of
    // the order's parity; the larger the angle, the nearer the mapped pair to the unit circle.
    for (int m = 1 + order % 2; m < order; m += 2) {
        const double sigma =
            portable_sin_cos(std::numbers::pi * m / (2.0 * static_cast<double>(order))).cos;
        sections.push_back(pole_pair(band, k, sigma));
        gain *= pair_gain(band, k, sigma);
    }
    Section& first = sections.front();
    first.b0 *= gain;
    first.b1 *= gain;
    first.b2 *= gain;
    return sections;
}

namespace {

// The cascade over the series, from rest, in the given direction. Each sample goes through
// every section before the next sample comes: a section's chain of dependent operations then
// overlaps its neighbours' in the processor, and each section still sees exactly the series
// the one before it gives.
template <typename Index>
void run_cascade(std::span<const Section> cascade, std::span<double> series, Index index) {
    constexpr std::size_t kGroup = 8;  // a high-pass and a low-pass filter of order 8
    const std::size_t n = series.size();
    for (std::size_t first = 0; first < cascade.size(); first += kGroup) {
        const std::span<const Section> group =
            cascade.subspan(first, std::min(kGroup, cascade.size() - first));
        double z1[kGroup] = {}, z2[kGroup] = {};
        for (std::size_t i = 0; i < n; ++i) {
            double& value = series[index(i, n)];
            double x = value;
            for (std::size_t k = 0; k < group.size(); ++k) {
                const Section& s = group[k];
                const double y = s.b0 * x + z1[k];
                z1[k] = s.b1 * x - s.a1 * y + z2[k];
                z2[k] = s.b2 * x - s.a2 * y;
                x = y;
            }
            value = x;
        }
    }
}

}  // namespace

void run_forward(std::span<const Section> cascade, std::span<double> series) {
    run_cascade(cascade, series, [](std::size_t i, std::size_t) { return i; });
}

void run_backward(std::span<const Section> cascade, std::span<double> series) {
    run_cascade(cascade, series, [](std::size_t i, std::size_t n) { return n - 1 - i; });
}

}  // namespace wavespec::processing
