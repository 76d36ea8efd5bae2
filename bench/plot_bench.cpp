// Building both pictures of a record, as --plot does after a run: the spectra of n/2 bins and
// the three panels of record and output; 32768 samples, and 2^20 (a long record of
// process --layout=full) whose pictures should be no larger.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "plot/pictures.hpp"

namespace {

struct Record {
    std::vector<double> frequency;
    std::array<std::vector<double>, 3> amplitude, original, output;
};

template <int n>
const Record& record() {
    static const Record r = [] {
        Record made;
        std::mt19937_64 engine(7);
        std::normal_distribution<double> noise(0.0, 1.0);
        const double dt = 0.005;
        for (int i = 1; i <= n / 2; ++i) made.frequency.push_back(i / (n * dt));
        for (int c = 0; c < 3; ++c) {
            for (int i = 1; i <= n / 2; ++i) {
                made.amplitude[c].push_back(std::fabs(noise(engine)) * 100.0 / (1 + i * 0.01));
            }
            for (int i = 0; i < n; ++i) {
                double envelope = std::exp(-i * dt / 40.0);
                made.original[c].push_back(envelope * 200.0 * noise(engine));
                made.output[c].push_back(envelope * 20.0 * std::sin(i * dt * (c + 1)));
            }
        }
        return made;
    }();
    return r;
}

template <int n>
void BM_BothPictures(benchmark::State& state) {
    const Record& r = record<n>();
    using namespace wavespec::plot;
    SpectraPicture spectra{
        .record = "big.csv",
        .nt = n,
        .dt = 0.005,
        .processing = describe_processing(std::array{0.1, 0.2, 20.0, 25.0}, 1, std::nullopt),
        .bandpass = std::array{0.1, 0.2, 20.0, 25.0},
        .names = {"NS", "EW", "UD"},
        .frequency = r.frequency,
        .amplitude = {r.amplitude[0], r.amplitude[1], r.amplitude[2]}};
    WaveformPicture waveform{.record = "big.csv",
                             .names = {"NS", "EW", "UD"},
                             .dt = 0.005,
                             .original = {r.original[0], r.original[1], r.original[2]},
                             .output_start = 0.0,
                             .output_step = 0.005,
                             .output = {r.output[0], r.output[1], r.output[2]}};
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string a = spectra_svg(spectra);
        std::string b = waveform_svg(waveform);
        bytes = a.size() + b.size();
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
    }
    state.counters["svg_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BothPictures<32768>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BothPictures<1 << 20>)->Unit(benchmark::kMillisecond);

}  // namespace
