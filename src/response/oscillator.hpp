// The damped single-degree-of-freedom oscillator u'' + 2 zeta w u' + w^2 u = -a(t): its exact
// step over an interval on which a(t) is linear, and the magnitudes of its transfer functions.
#pragma once

namespace wavespec::response {

struct Oscillator {
    double omega;  // 2 pi / T, radians per second
    double zeta;   // fraction of critical damping, 0 < zeta < 1
};

// One step of length h from (u0, v0) with the input going linearly from a0 to a1:
//   u1 = uu u0 + uv v0 + ua0 a0 + ua1 a1,  v1 = vu u0 + vv v0 + va0 a0 + va1 a1.
// Exact (to rounding) for every w h, from the matrix exponential of the oscillator with its
// input as two more states, in the oscillator's own time scale (no cancellation for small w h).
struct StepCoefficients {
    double uu, uv, ua0, ua1;
    double vu, vv, va0, va1;
};
StepCoefficients step_coefficients(Oscillator oscillator, double h);
// Whether every coefficient is finite (an extreme w h may overflow them).
bool finite(const StepCoefficients& c);

// Squared magnitudes of the transfer functions from the input a to the relative displacement
// u, the relative velocity u' and the absolute acceleration -(2 zeta w u' + w^2 u), at angular
// frequency w_in.
struct Transfer {
    double displacement, velocity, acceleration;
};
Transfer squared_transfer(Oscillator oscillator, double w_in);

// The largest squared magnitudes over the angular frequencies [low, high] (each is unimodal):
// an upper bound for every frequency in the interval.
Transfer largest_squared_transfer(Oscillator oscillator, double low, double high);

}  // namespace wavespec::response
