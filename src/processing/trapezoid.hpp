// Velocity and displacement integrated from rest by the trapezoid rule, a sample at a time:
// v_i = v_{i-1} + dt (a_i + a_{i-1}) / 2, and d from v the same way; both 0 at the first
// sample. The one integration of processed records, their quality numbers and their files.
#pragma once

namespace wavespec::processing {

struct TrapezoidIntegrals {
    double velocity = 0.0, displacement = 0.0;

    // Takes in the acceleration's next sample, `current`, after `previous`.
    void step(double previous, double current, double dt) {
        const double v = velocity + dt * (current + previous) / 2.0;
        displacement += dt * (v + velocity) / 2.0;
        velocity = v;
    }
};

}  // namespace wavespec::processing
