// Four doubles as one vector, for the loops that treat four independent values alike. Without
// AVX the compiler splits each operation in two SSE2 halves; each lane sees the same
// operations in the same order either way, so the results are those of one double at a time.
// The helpers are file-local (an unnamed namespace): no vector value crosses between files,
// whose calling conventions for it differ with and without AVX.
#pragma once

#include <cstring>

namespace wavespec::response::quad_lanes {
namespace {

typedef double Quad __attribute__((vector_size(32)));
typedef long long QuadMask __attribute__((vector_size(32)));

[[gnu::always_inline]] inline Quad splat(double x) {
    return Quad{x, x, x, x};
}
[[gnu::always_inline]] inline Quad load(const double* p) {
    Quad v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
[[gnu::always_inline]] inline Quad magnitude(Quad v) {
    const QuadMask off = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL, 0x7fffffffffffffffLL,
                          0x7fffffffffffffffLL};
    return (Quad)((QuadMask)v & off);
}

}  // namespace
}  // namespace wavespec::response::quad_lanes

