#include "smoothing/spectral_smoothing.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

namespace wavespec::smoothing {
namespace {

// Below this |x|, sin(x)/x comes from its series: 1 - x^2/6 + x^4/120 is exact to 1e-22
// there, while the quotient of the rotated sine by a tiny x would lose digits.
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
        p.sine.push_back(std::sin(phase));
        p.cosine.push_back(std::cos(phase));
    }
    return p;
}

// W for every bin and one centre; written without branches so that the loop vectorises.
void weights_at(const Phases& bins, double phase, double sine, double cosine,
                std::span<double> weights) {
    const double* p = bins.phase.data();
    const double* s = bins.sine.data();
    const double* c = bins.cosine.data();
    double* w = weights.data();
    const std::size_t n = weights.size();
    for (std::size_t i = 0; i < n; ++i) {
        double x = p[i] - phase;
        double sin_x = s[i] * cosine - c[i] * sine;
        double x2 = x * x;
        bool near = std::fabs(x) < kSeriesBelow;
        double series = 1.0 - x2 * (1.0 / 6.0) + (x2 * x2) * (1.0 / 120.0);
        double quotient = sin_x / (near ? 1.0 : x);
        double r = near ? series : quotient;
        double r2 = r * r;
        w[i] = r2 * r2;
    }
}

// Sum of w[i] * a[i] (or of w[i] with no a) in four interleaved partial sums, which the
// compiler can keep in vector registers; the order is fixed, so results repeat exactly.
double weighted_sum(std::span<const double> w, const double* a) {
    double acc[4] = {0.0, 0.0, 0.0, 0.0};
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
    return (acc[0] + acc[1]) + (acc[2] + acc[3]);
}

void smooth_range(const Phases& bins, const Phases& centres,
                  std::span<const std::span<const double>> spectra, std::size_t first,
                  std::size_t last, std::vector<std::vector<double>>& result) {
    std::vector<double> weights(bins.phase.size());
    for (std::size_t k = first; k < last; ++k) {
        weights_at(bins, centres.phase[k], centres.sine[k], centres.cosine[k], weights);
        double total = weighted_sum(weights, nullptr);
        for (std::size_t s = 0; s < spectra.size(); ++s) {
            result[s][k] = weighted_sum(weights, spectra[s].data()) / total;
        }
    }
}

}  // namespace

bool is_valid(const SmoothingWindow& window) {
    return std::isfinite(window.width) && window.width > 0.0;
}

double window_phase(const SmoothingWindow& window, double frequency) {
    if (window.kind == WindowKind::konno_ohmachi) return window.width * std::log10(frequency);
    return (std::numbers::pi * 280.0 / 302.0) * frequency / window.width;
}

std::vector<double> log_spaced_centres(double lowest, double highest, int points_per_decade) {
    std::vector<double> centres;
    if (!(lowest > 0.0) || !(highest >= lowest) || points_per_decade < 1) return centres;
    double decades = std::log10(highest / lowest);
    auto steps = static_cast<std::size_t>(
        std::floor(decades * static_cast<double>(points_per_decade) + 1e-9));
    centres.reserve(steps + 1);
    for (std::size_t j = 0; j <= steps; ++j) {
        double f = lowest *
                   std::pow(10.0, static_cast<double>(j) / static_cast<double>(points_per_decade));
        centres.push_back(std::min(f, highest));
    }
    return centres;
}

std::vector<std::vector<double>> smooth_spectra(const SmoothingWindow& window,
                                                std::span<const double> frequencies,
                                                std::span<const std::span<const double>> spectra,
                                                std::span<const double> centres, unsigned threads) {
    std::vector<std::vector<double>> result(spectra.size(),
                                            std::vector<double>(centres.size(), 0.0));
    Phases bin_phases = phases_of(window, frequencies);
    Phases centre_phases = phases_of(window, centres);
    std::size_t parts =
        std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(centres.size(), 1));
    if (parts == 1) {
        smooth_range(bin_phases, centre_phases, spectra, 0, centres.size(), result);
        return result;
    }
    std::vector<std::jthread> workers;
    std::size_t chunk = (centres.size() + parts - 1) / parts;
    for (std::size_t first = 0; first < centres.size(); first += chunk) {
        std::size_t last = std::min(centres.size(), first + chunk);
        workers.emplace_back([&, first, last] {
            smooth_range(bin_phases, centre_phases, spectra, first, last, result);
        });
    }
    workers.clear();  // joins
    return result;
}

}  // namespace wavespec::smoothing
