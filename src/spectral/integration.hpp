// Integration and differentiation in the frequency domain: each bin divided by i*omega,
// divided by -omega^2, or multiplied by i*omega.
#pragma once

#include <cstdint>
#include <span>

#include "spectral/complex_value.hpp"

namespace wavespec {

enum class Operation : std::int32_t {
    none = 0,
    integrate = 1,
    integrate_twice = 2,
    differentiate = 3
};

// The menu answer as an operation: 1, 2 and 3 choose one; every other answer changes nothing.
Operation operation_for_answer(std::int32_t nit);

// One bin at angular frequency omega; both new parts come from the old parts.
Complex apply_operation(Operation op, Complex bin, double omega);

// Applies the operation to bins 2 .. spectrum.size() of each spectrum; bin 1 is untouched.
void apply_operation(Operation op, double dom, std::span<Complex> fx1, std::span<Complex> fx2,
                     std::span<Complex> fx3);

}  // namespace wavespec
