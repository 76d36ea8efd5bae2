// The transform at the dialogue's largest length, both directions, and at 2^20 points (the
// long records of process --layout=full; compare numpy.fft.fft of the same length).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "spectral/wvfast.hpp"

namespace {

void BM_Wvfast(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int ind = static_cast<int>(state.range(1));
    std::vector<wavespec::Complex> input(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) input[static_cast<std::size_t>(i)] = {std::sin(0.01 * i), 0.0};
    std::vector<wavespec::Complex> a = input;
    for (auto _ : state) {
        state.PauseTiming();
        a = input;
        state.ResumeTiming();
        wavespec::wvfast(n, a, n, ind);
        benchmark::DoNotOptimize(a.data());
    }
}
BENCHMARK(BM_Wvfast)
    ->Args({32768, -1})
    ->Args({32768, 1})
    ->Args({4096, -1})
    ->Args({1 << 20, -1})
    ->Args({1 << 20, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
