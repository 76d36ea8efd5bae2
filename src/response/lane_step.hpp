// The oscillator's exact step over a run of knots of a piecewise-linear input, four lanes at a
// time (the three components and the sum of the horizontals): the state carried from chunk to
// chunk, the largest magnitudes over the chunk and, when asked, every knot's values.
#pragma once

#include <array>
#include <cstddef>

#include "response/band_limited.hpp"
#include "response/oscillator.hpp"

namespace wavespec::response {

inline constexpr int kQuantities =
    3;  // relative displacement, relative velocity, absolute acceleration
inline constexpr int kKnotValues = kQuantities * kLanes;

// The oscillator's step over one knot interval and what the responses are made of.
struct Stepper {
    StepCoefficients k;
    double damping_term;  // 2 zeta w
    double stiffness;     // w^2
};

// Steps from knot 0 to knot count of the input c (kLanes values per knot), from the state
// (u, u') in state[0..8), and writes to largest the largest magnitudes over these knots of u,
// u' and the absolute acceleration y = -(2 zeta w u' + w^2 u). With out, also every knot's u,
// u', y (kKnotValues per knot, knot 0 first) and the largest magnitudes of u'' = y - a and
// y' = -(2 zeta w u'' + w^2 u') (largest then holds 5 kLanes values, otherwise 3).
void step_chunk(const double* c, int count, const Stepper& s, double* state, double* out,
                double* largest);
// step_chunk with the input the samples x[0..2][0 .. count] of three series themselves, the fourth
// lane their first two summed: knots as the samples, with no copy of them.
void step_samples(const std::array<const double*, 3>& x, int count, const Stepper& s, double* state,
                  double* out, double* largest);
// step_chunk with the input the three series as straight lines between their samples, substeps
// instants to a sample interval (fractions[j] = j / substeps), from instant `instant` on.
void step_resampled(const std::array<const double*, 3>& x, std::size_t instant, int substeps,
                    const double* fractions, int count, const Stepper& s, double* state,
                    double* out, double* largest);

// Two oscillators stepped at once over the same input for their largest values alone, each
// exactly as the calls above with out null (the same operations on each one's state): their
// independent chains of steps overlap in the processor, and the input is made once for both.
struct LeanPair {
    std::array<const Stepper*, 2> stepper;
    std::array<double*, 2> state, largest;
};
void step_chunk_lean_pair(const double* c, int count, const LeanPair& runs);
void step_samples_lean_pair(const std::array<const double*, 3>& x, int count, const LeanPair& runs);
void step_resampled_lean_pair(const std::array<const double*, 3>& x, std::size_t instant,
                              int substeps, const double* fractions, int count,
                              const LeanPair& runs);

}  // namespace wavespec::response
