// The whole processing chain on a 3 x 32768-sample record at 0.01 s: linear detrend, 5 %
// Hann taper, Converse-Brady pads, acausal fourth-order high-pass (0.1 Hz) and low-pass
// (20 Hz), polynomial baseline. A whole run of "process" on a record of that size takes
// 14-30 ms (the table in docs/performance.md).
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "processing/processing_chain.hpp"

namespace {

void BM_ProcessingChain(benchmark::State& state) {
    std::mt19937_64 random(32768);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::array<std::vector<double>, 3> record;
    for (auto& component : record) {
        for (int i = 0; i < 32768; ++i) {
            component.push_back(noise(random) * std::exp(-std::pow((i - 8000) / 4000.0, 2)));
        }
    }
    wavespec::processing::ProcessingSteps steps;
    steps.detrend = wavespec::processing::Detrend::linear;
    steps.taper = 0.05;
    steps.pad = wavespec::processing::PadRequest{.transient = true};
    for (auto& filters : steps.filters) {
        filters.highpass = wavespec::processing::Corner{0.1, 4};
        filters.lowpass = wavespec::processing::Corner{20.0, 4};
    }
    steps.baseline = true;
    for (auto _ : state) {
        auto out =
            wavespec::processing::process_record({record[0], record[1], record[2]}, 0.01, steps);
        benchmark::DoNotOptimize(out.acceleration[0].data());
    }
}
BENCHMARK(BM_ProcessingChain)->Unit(benchmark::kMillisecond);

}  // namespace
