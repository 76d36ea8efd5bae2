// What the processor running the tool can do, for the loops that have a wider AVX version
// beside the plain one. Both give the same results; only the speed differs.
#pragma once

namespace wavespec {

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
// Whether the processor has AVX: asked once, then remembered.
inline bool processor_has_avx() {
    static const bool avx = __builtin_cpu_supports("avx");
    return avx;
}
#endif

}  // namespace wavespec
