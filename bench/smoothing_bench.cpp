// Smoothing the three spectra of the largest record (16384 bins above zero, dt = 0.01 s)
// by the full window sums: onto the log grid of 100 points a decade, and at every bin;
// beside them the plain loop that calls sin for every pair, on 200 centres.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "smoothing/spectral_smoothing.hpp"
#include "smoothing_direct_sum.hpp"

namespace {

using wavespec::smoothing::SmoothingWindow;
using wavespec::smoothing::WindowKind;

struct LargestRecord {
    std::vector<double> frequency;
    std::array<std::vector<double>, 3> amplitude;
    LargestRecord() {
        std::mt19937_64 random(16384);
        std::uniform_real_distribution<double> spread(0.0, 3.0);
        for (int i = 1; i <= 16384; ++i) frequency.push_back(i / 327.68);
        for (auto& a : amplitude) {
            for (double f : frequency) a.push_back(std::exp(spread(random)) / (1.0 + f * f));
        }
    }
};

const LargestRecord& record() {
    static const LargestRecord r;
    return r;
}

SmoothingWindow window_of(std::int64_t kind) {
    return kind == 0 ? SmoothingWindow{WindowKind::konno_ohmachi, 40.0}
                     : SmoothingWindow{WindowKind::parzen, 0.5};
}

// range(0): 0 Konno-Ohmachi B = 40, 1 Parzen BW = 0.5 Hz; range(1): threads; range(2): 1 for
// every bin, 0 for the log grid.
void BM_SmoothThreeSpectra(benchmark::State& state) {
    const LargestRecord& r = record();
    std::vector<double> centres =
        state.range(2) == 1
            ? r.frequency
            : wavespec::smoothing::log_spaced_centres(r.frequency.front(), r.frequency.back(), 100);
    const std::span<const double> spectra[] = {r.amplitude[0], r.amplitude[1], r.amplitude[2]};
    for (auto _ : state) {
        auto s =
            wavespec::smoothing::smooth_spectra(window_of(state.range(0)), r.frequency, spectra,
                                                centres, static_cast<unsigned>(state.range(1)));
        benchmark::DoNotOptimize(s.data());
    }
    state.counters["centres"] = static_cast<double>(centres.size());
    state.counters["pairs"] = static_cast<double>(centres.size() * r.frequency.size());
}
BENCHMARK(BM_SmoothThreeSpectra)
    ->ArgNames({"parzen", "threads", "bins"})
    ->Args({0, 1, 0})
    ->Args({0, 2, 0})
    ->Args({1, 1, 0})
    ->Args({1, 2, 0})
    ->Args({0, 2, 1})
    ->Args({1, 2, 1})
    ->UseRealTime()  // the threads' time, not the waiting caller's
    ->Unit(benchmark::kMillisecond);

// The plain Konno-Ohmachi loop with a sin call for every pair, three spectra, 200 centres.
void BM_PlainSinLoop(benchmark::State& state) {
    const LargestRecord& r = record();
    std::vector<double> centres =
        wavespec::smoothing::log_spaced_centres(r.frequency.front(), r.frequency.back(), 47);
    centres.resize(200);
    for (auto _ : state) {
        std::vector<double> out(3 * centres.size());
        for (std::size_t k = 0; k < centres.size(); ++k) {
            double num[3] = {}, den = 0.0;
            for (std::size_t i = 0; i < r.frequency.size(); ++i) {
                double x = 40.0 * std::log10(r.frequency[i] / centres[k]);
                double w = x == 0.0 ? 1.0 : std::pow(std::sin(x) / x, 4);
                for (int c = 0; c < 3; ++c) num[c] += w * r.amplitude[c][i];
                den += w;
            }
            for (int c = 0; c < 3; ++c) out[3 * k + c] = num[c] / den;
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_PlainSinLoop)->Unit(benchmark::kMillisecond);

// The three spectra of 2^20 samples at dt = 0.01 s (2^19 bins above zero) onto the 2048
// centres of --frequencies=0.1:50:2048; range(0): 0 the library, 1 the direct sum it replaced
// (every centre summing every bin); range(1): threads.
struct LongRecord {
    std::vector<double> frequency;
    std::array<std::vector<double>, 3> amplitude;
    LongRecord() {
        std::mt19937_64 random(1 << 19);
        std::uniform_real_distribution<double> spread(0.0, 3.0);
        for (int i = 1; i <= (1 << 19); ++i) frequency.push_back(i / (0.01 * (1 << 20)));
        for (auto& a : amplitude) {
            for (double f : frequency) a.push_back(std::exp(spread(random)) / (1.0 + f * f));
        }
    }
};

const LongRecord& long_record() {
    static const LongRecord r;
    return r;
}

void BM_SmoothLongRecord(benchmark::State& state) {
    const LongRecord& r = long_record();
    const std::vector<double> centres = wavespec::smoothing::log_spaced_between(0.1, 50.0, 2048);
    const std::span<const double> spectra[] = {r.amplitude[0], r.amplitude[1], r.amplitude[2]};
    const SmoothingWindow window{WindowKind::konno_ohmachi, 40.0};
    const auto threads = static_cast<unsigned>(state.range(1));
    for (auto _ : state) {
        auto s = state.range(0) == 0 ? wavespec::smoothing::smooth_spectra(
                                           window, r.frequency, spectra, centres, threads)
                                     : wavespec::bench::direct_smooth_spectra(
                                           window, r.frequency, spectra, centres, threads);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(BM_SmoothLongRecord)
    ->ArgNames({"direct", "threads"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The same spectra smoothed at every one of their 2^19 bins, 2 threads (the library alone:
// the direct sum would take minutes).
void BM_SmoothLongRecordAtEveryBin(benchmark::State& state) {
    const LongRecord& r = long_record();
    const std::span<const double> spectra[] = {r.amplitude[0], r.amplitude[1], r.amplitude[2]};
    const SmoothingWindow window = window_of(state.range(0));
    for (auto _ : state) {
        auto s = wavespec::smoothing::smooth_spectra(window, r.frequency, spectra, r.frequency, 2);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(BM_SmoothLongRecordAtEveryBin)
    ->ArgNames({"parzen"})
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
