// Removing a five-stage response (sensor poles and zeros, the digitiser's gain, three
// decimating FIR filters from 2000 Hz down to 100 Hz) from an hour of 100 Hz samples: one
// channel of the three an hour-long record holds.
#include <benchmark/benchmark.h>

#include <cmath>

#include "formats/stationxml_reader.hpp"
#include "instrument/deconvolution.hpp"
#include "stationxml_samples.hpp"

namespace {

using namespace wavespec;

std::string fir_stage(int number, double rate, int factor, int taps) {
    std::string x = "<Stage number=\"" + std::to_string(number) + "\"><FIR>" +
                    samples::units("COUNTS", "COUNTS") + "<Symmetry>NONE</Symmetry>";
    for (int k = 0; k < taps; ++k) {
        double t = (k - (taps - 1) / 2.0) / factor;  // a windowed sinc at the new Nyquist
        double sinc = t == 0 ? 1.0 : std::sin(3.141592653589793 * t) / (3.141592653589793 * t);
        x += "<NumeratorCoefficient>" + samples::num(sinc / factor) + "</NumeratorCoefficient>";
    }
    return x + "</FIR>" + samples::decimation(rate, factor) + samples::gain(1) + "</Stage>";
}

instrument::ChannelEpoch five_stages() {
    double w0 = 2 * 3.141592653589793 / 120, re = -0.707 * w0, im = 0.707 * w0;
    std::string stages = samples::poles_zeros(1, "LAPLACE (RADIANS/SECOND)", 1, {{0, 0}, {0, 0}},
                                              {{re, im}, {re, -im}, {-1000, 0}}, "M/S", "V", 1500) +
                         "<Stage number=\"2\"><Coefficients>" + samples::units("V", "COUNTS") +
                         "<CfTransferFunctionType>DIGITAL</CfTransferFunctionType></Coefficients>" +
                         samples::decimation(2000, 1) + samples::gain(4e5) + "</Stage>" +
                         fir_stage(3, 2000, 5, 64) + fir_stage(4, 400, 2, 48) +
                         fir_stage(5, 200, 2, 96);
    std::string xml = samples::station_xml(
        samples::channel("HHZ", "00", "2020-01-01T00:00:00", "", 100, 6e8, "M/S", stages));
    return formats::read_stationxml("bench.xml", xml).front();
}

void BM_RemoveResponseOneHourChannel(benchmark::State& state) {
    const instrument::ChannelEpoch epoch = five_stages();
    std::vector<double> counts(360000);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        counts[i] = 1e4 * std::sin(0.01 * double(i)) + 300 * std::cos(0.7 * double(i));
    }
    instrument::DeconvolutionSettings settings;
    settings.pre_filter = std::array<double, 4>{0.005, 0.01, 40, 45};
    for (auto _ : state) {
        benchmark::DoNotOptimize(instrument::remove_response(counts, 0.01, epoch, settings));
    }
}
BENCHMARK(BM_RemoveResponseOneHourChannel)->Unit(benchmark::kMillisecond);

}  // namespace
