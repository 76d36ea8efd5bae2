#include "response/ground_motion.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "spectral/portable_math.hpp"

namespace wavespec::response {
namespace {

// The largest magnitude; NaN when a value is NaN.
double peak(std::span<const double> series) {
    double most = 0.0;
    for (double x : series) {
        if (std::isnan(x)) return x;  // a peak of a series holding NaN is not known
        most = std::max(most, std::fabs(x));
    }
    return most;
}

// The peaks of velocity and displacement integrated from rest by the trapezoid rule.
void integrated_peaks(std::span<const double> a, double dt, GroundMotion& g) {
    double v = 0.0, d = 0.0;
    for (std::size_t i = 1; i < a.size(); ++i) {
        const double next = v + 0.5 * dt * (a[i - 1] + a[i]);
        d += 0.5 * dt * (v + next);
        v = next;
        // Once NaN, v and d stay NaN, and so do their peaks.
        if (!(std::fabs(v) <= g.pgv)) g.pgv = std::fabs(v);
        if (!(std::fabs(d) <= g.pgd)) g.pgd = std::fabs(d);
    }
}

// The first time at which the running integral reaches the level, linear between samples.
double time_reaching(const std::vector<double>& running, double level, double dt) {
    for (std::size_t i = 1; i < running.size(); ++i) {
        if (running[i] >= level) {
            double rise = running[i] - running[i - 1];
            double part = rise > 0.0 ? (level - running[i - 1]) / rise : 0.0;
            return (static_cast<double>(i - 1) + part) * dt;
        }
    }
    return static_cast<double>(running.size() - 1) * dt;
}

}  // namespace

GroundMotion ground_motion(std::span<const double> a, double dt) {
    GroundMotion g;
    g.pga = peak(a);
    integrated_peaks(a, dt, g);
    if (a.empty()) return g;
    std::vector<double> running(a.size(), 0.0);  // integral of a^2 dt, trapezoids
    double cav = 0.0;
    for (std::size_t i = 1; i < a.size(); ++i) {
        running[i] = running[i - 1] + 0.5 * dt * (a[i - 1] * a[i - 1] + a[i] * a[i]);
        cav += 0.5 * dt * (std::fabs(a[i - 1]) + std::fabs(a[i]));
    }
    double total = running.back();
    // cm^2/s^3 -> m^2/s^3, over g in m/s^2.
    g.arias = std::numbers::pi / (2.0 * kGravity) * total * 1e-4;
    g.cav = cav;
    if (total > 0.0) {
        double t5 = time_reaching(running, 0.05 * total, dt);
        g.d5_75 = time_reaching(running, 0.75 * total, dt) - t5;
        g.d5_95 = time_reaching(running, 0.95 * total, dt) - t5;
    }
    return g;
}

}  // namespace wavespec::response
