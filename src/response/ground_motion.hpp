// Ground-motion measures of an acceleration record (in cm/s^2, as K-NET and AT2 give it):
// peak values, Arias intensity, significant durations and cumulative absolute velocity.
#pragma once

#include <span>

namespace wavespec::response {

inline constexpr double kGravity = 9.80665;  // m/s^2

struct GroundMotion {
    double pga = 0.0;    // max |a|
    double pgv = 0.0;    // max |v|, v integrated from rest
    double pgd = 0.0;    // max |d|, d integrated from rest
    double arias = 0.0;  // pi/(2g) * integral of a^2 dt, m/s (a taken in cm/s^2)
    double d5_75 = 0.0;  // s, between 5 % and 75 % of the Arias intensity
    double d5_95 = 0.0;  // s, between 5 % and 95 %
    double cav = 0.0;    // integral of |a| dt, in the record's unit times s
};

// acceleration at interval dt. Integrals by the trapezoid rule on the samples, in the time
// domain: velocity and displacement from zero at the first sample, as the processing packages
// and the databases integrate (the run's own frequency-domain integration keeps the mean and
// is for its output file only); the durations interpolate the running Arias integral linearly
// between samples. A NaN sample makes the peaks NaN.
GroundMotion ground_motion(std::span<const double> acceleration, double dt);

}  // namespace wavespec::response
