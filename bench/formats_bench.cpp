// Reading the largest record (three components of 32768 samples) in each of the networks'
// formats: grouping the files and reading them into a record, files generated once.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "formats/formats.hpp"
#include "formats_samples.hpp"

namespace {

namespace fs = std::filesystem;
using namespace wavespec;

constexpr std::size_t kSamples = 32768;

struct SampleFiles {
    fs::path dir;
    SampleFiles() {
        dir = fs::temp_directory_path() / ("wavespec-formats-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir / "sac");
        samples::write_knet_set(dir, "K", kSamples);
        samples::write_at2_triple(dir, kSamples);
        samples::write_sac_triple(dir / "sac", kSamples, true);
#ifdef WAVESPEC_HAVE_MSEED
        samples::write_mseed_file(dir, kSamples);
#endif
    }
    ~SampleFiles() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

const SampleFiles& sample_files() {
    static const SampleFiles files;
    return files;
}

void read_record_of(benchmark::State& state, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back((sample_files().dir / name).string());
    for (auto _ : state) {
        auto inputs = formats::group_record_inputs(paths, formats::InputFormat::automatic);
        formats::WaveformRecord record = formats::read_record(inputs.at(0), {});
        benchmark::DoNotOptimize(record.components[2].samples.back());
    }
}

void BM_ReadKnet(benchmark::State& state) {
    read_record_of(state, {"K.NS"});
}
void BM_ReadAt2(benchmark::State& state) {
    read_record_of(state, {"RSN1063_TEST_XYZ000.AT2"});
}
void BM_ReadSac(benchmark::State& state) {
    read_record_of(state, {"sac/XYZ.HHN.SAC", "sac/XYZ.HHE.SAC", "sac/XYZ.HHZ.SAC"});
}
void BM_WriteCsv(benchmark::State& state) {
    auto inputs = formats::group_record_inputs(
        std::vector<std::string>{(sample_files().dir / "K.NS").string()},
        formats::InputFormat::knet);
    formats::WaveformRecord record = formats::read_record(inputs.at(0), {});
    for (auto _ : state) {
        std::string text;
        formats::write_record_csv(record, text);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_ReadKnet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAt2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSac)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteCsv)->Unit(benchmark::kMillisecond);

#ifdef WAVESPEC_HAVE_MSEED
void BM_ReadMseed(benchmark::State& state) {
    read_record_of(state, {"XYZ.mseed"});
}
BENCHMARK(BM_ReadMseed)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
