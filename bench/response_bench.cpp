// Response spectra of a 32768-sample record (dt = 0.01 s) by the library call, on one thread:
// the default 100 periods from 0.01 to 10 s and 5 % damping. The record is the one
// python/bench/response_speed.py builds (the same integer generator and recursion, so the
// same doubles), to set the Python module's cost against this call.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "response/response_spectra.hpp"

namespace {

// White noise from a 64-bit linear congruential generator through y_i = 0.95 y_(i-1) + x_i:
// content weighted to low frequencies, as in an accelerogram.
std::array<std::vector<double>, 3> reddened_noise(std::size_t n) {
    std::uint64_t state = 32768;
    std::array<std::vector<double>, 3> series;
    for (auto& s : series) {
        double y = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const double x = static_cast<double>(state >> 11) * 0x1p-53 - 0.5;
            y = 0.95 * y + x;
            s.push_back(y);
        }
    }
    return series;
}

void BM_ResponseSpectra32768(benchmark::State& bench) {
    const auto record = reddened_noise(32768);
    const std::vector<double> periods = wavespec::response::log_spaced(0.01, 10.0, 100);
    const std::vector<double> dampings = {0.05};
    for (auto _ : bench) {
        auto spectra = wavespec::response::response_spectra({record[0], record[1], record[2]},
                                                            0.01, periods, dampings, 1);
        benchmark::DoNotOptimize(spectra);
    }
}

}  // namespace

BENCHMARK(BM_ResponseSpectra32768)->Unit(benchmark::kMillisecond)->MinTime(2.0);
