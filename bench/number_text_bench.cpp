// Each number text of the records next to snprintf with the same rules, on values of the
// magnitudes the files hold.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "records/number_chars.hpp"
#include "records/number_text.hpp"

namespace {

std::vector<double> sample_values() {
    std::mt19937_64 engine(42);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-16, 4);
    std::vector<double> values(4096);
    for (double& v : values) v = mantissa(engine) * std::pow(10.0, exponent(engine));
    return values;
}

const std::vector<double>& values() {
    static const std::vector<double> v = sample_values();
    return v;
}

template <typename Format>
void run(benchmark::State& state, Format format) {
    char out[wavespec::kNumberTextCapacity + 400];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format(values()[i++ & 4095], out));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void BM_ListReal(benchmark::State& s) {
    run(s, [](double v, char* out) { return wavespec::list_real_text(v, out); });
}
void BM_ListReal_snprintf(benchmark::State& s) {
    run(s, [](double v, char* out) { return std::snprintf(out, 64, "%.9G", v); });
}
void BM_ListComplex(benchmark::State& s) {
    run(s, [](double v, char* out) {
        std::size_t n = wavespec::list_real_part_text(v, out);
        return n + wavespec::list_real_part_text(v * 0.37, out + n);
    });
}
void BM_ListComplex_snprintf(benchmark::State& s) {
    run(s, [](double v, char* out) { return std::snprintf(out, 96, "(%.9G,%.9G)", v, v * 0.37); });
}
void BM_FixedF12_4(benchmark::State& s) {
    run(s, [](double v, char* out) { return wavespec::fixed_field(v, 12, 4, out); });
}
void BM_FixedF12_4_snprintf(benchmark::State& s) {
    run(s, [](double v, char* out) { return std::snprintf(out, 400, "%12.4f", v); });
}
void BM_ExponentE15_7(benchmark::State& s) {
    run(s, [](double v, char* out) { return wavespec::exponent_field(v, 15, 7, out); });
}
void BM_ExponentE15_7_snprintf(benchmark::State& s) {
    run(s, [](double v, char* out) { return std::snprintf(out, 64, "%#.6E", v); });
}

// The shortest text of the newer files, and reading it back, next to the GNU library's.
void BM_Shortest(benchmark::State& s) {
    run(s, [](double v, char* out) { return wavespec::shortest_chars(out, out + 64, v).ptr; });
}
void BM_Shortest_to_chars(benchmark::State& s) {
    run(s, [](double v, char* out) { return std::to_chars(out, out + 64, v).ptr; });
}

const std::vector<std::string>& shortest_texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        char out[64];
        for (double v : values())
            t.emplace_back(out, wavespec::shortest_chars(out, out + 64, v).ptr);
        return t;
    }();
    return texts;
}

template <typename Read>
void run_reading(benchmark::State& state, Read read) {
    std::size_t i = 0;
    double value = 0.0;
    for (auto _ : state) {
        const std::string& text = shortest_texts()[i++ & 4095];
        benchmark::DoNotOptimize(read(text.data(), text.data() + text.size(), value));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
void BM_Read(benchmark::State& s) {
    run_reading(s, [](const char* a, const char* b, double& v) {
        return wavespec::read_chars(a, b, v).ptr;
    });
}
void BM_Read_from_chars(benchmark::State& s) {
    run_reading(
        s, [](const char* a, const char* b, double& v) { return std::from_chars(a, b, v).ptr; });
}

BENCHMARK(BM_Shortest);
BENCHMARK(BM_Shortest_to_chars);
BENCHMARK(BM_Read);
BENCHMARK(BM_Read_from_chars);
BENCHMARK(BM_ListReal);
BENCHMARK(BM_ListReal_snprintf);
BENCHMARK(BM_ListComplex);
BENCHMARK(BM_ListComplex_snprintf);
BENCHMARK(BM_FixedF12_4);
BENCHMARK(BM_FixedF12_4_snprintf);
BENCHMARK(BM_ExponentE15_7);
BENCHMARK(BM_ExponentE15_7_snprintf);

}  // namespace
