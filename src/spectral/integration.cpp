#include "spectral/integration.hpp"

namespace wavespec {

Operation operation_for_answer(std::int32_t nit) {
    if (nit == 1) return Operation::integrate;
    if (nit == 2) return Operation::integrate_twice;
    if (nit == 3) return Operation::differentiate;
    return Operation::none;
}

Complex apply_operation(Operation op, Complex bin, double omega) {
    double a = bin.re;
    double b = bin.im;
    switch (op) {
        case Operation::integrate:
            return {b / omega, -a / omega};
        case Operation::integrate_twice: {
            double denominator = -(omega * omega);
            return {a / denominator, b / denominator};
        }
        case Operation::differentiate:
            return {-omega * b, omega * a};
        case Operation::none:
            break;
    }
    return bin;
}

void apply_operation(Operation op, double dom, std::span<Complex> fx1, std::span<Complex> fx2,
                     std::span<Complex> fx3) {
    if (op == Operation::none) return;
    for (std::size_t i = 1; i < fx1.size(); ++i) {
        double omega = static_cast<double>(i) * dom;
        fx1[i] = apply_operation(op, fx1[i], omega);
        fx2[i] = apply_operation(op, fx2[i], omega);
        fx3[i] = apply_operation(op, fx3[i], omega);
    }
}

}  // namespace wavespec
