// Instrument responses from StationXML written here by hand, against analytic responses and
// direct evaluations computed in the tests; the removal of a response against a record
// convolved with it in the test.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <ctime>
#include <numbers>

#include "formats/formats.hpp"
#include "formats/stationxml_reader.hpp"
#include "formats/stationxml_time.hpp"
#include "instrument/deconvolution.hpp"
#include "instrument/epoch_matching.hpp"
#include "instrument/horizontal_rotation.hpp"
#include "stationxml_samples.hpp"

namespace wavespec {
namespace {

using namespace samples;
using instrument::Quantity;
using cplx = std::complex<double>;
constexpr double kPi = std::numbers::pi;

const char* kStart = "2020-01-01T00:00:00";

std::vector<instrument::ChannelEpoch> read(const std::string& xml) {
    return formats::read_stationxml("test.xml", xml);
}

cplx response(const instrument::ChannelEpoch& epoch, double f, Quantity q) {
    Complex h = instrument::response_to(epoch, f, q);
    return {h.re, h.im};
}

// A velocity sensor of natural frequency f0 and damping h: two zeros at 0, two poles.
std::string sensor_stage(const std::string& type, double f0, double h, double a0) {
    double w0 = 2 * kPi * f0, scale = type == "LAPLACE (HERTZ)" ? 1 / (2 * kPi) : 1.0;
    double re = -h * w0 * scale, im = w0 * std::sqrt(1 - h * h) * scale;
    return poles_zeros(1, type, a0, {{0, 0}, {0, 0}}, {{re, im}, {re, -im}}, "M/S", "V", 1500);
}

TEST(InstrumentResponse, TwoPolesTwoZerosMatchTheAnalyticResponse) {
    const double f0 = 1.0, h = 0.707, w0 = 2 * kPi * f0;
    for (std::string type : {"LAPLACE (RADIANS/SECOND)", "LAPLACE (HERTZ)"}) {
        // A second stage of gain alone: the digitiser's counts per volt.
        std::string stages =
            sensor_stage(type, f0, h, 1.0) + "<Stage number=\"2\">" + gain(4e5) + "</Stage>";
        auto epoch =
            read(station_xml(channel("HHZ", "00", kStart, "", 100, 6e8, "M/S", stages)))[0];
        for (Quantity q : {Quantity::displacement, Quantity::velocity, Quantity::acceleration}) {
            for (double f : {0.01, 0.3, 1.0, 2.5, 40.0}) {
                const double w = 2 * kPi * f;
                double amplitude = 1500 * 4e5 * w * w / std::hypot(w0 * w0 - w * w, 2 * h * w0 * w);
                double phase = 180 - std::atan2(2 * h * w0 * w, w0 * w0 - w * w) * 180 / kPi;
                int n = static_cast<int>(q) - 1;  // powers of i w divided out
                amplitude /= std::pow(w, n);
                phase -= 90.0 * n;
                if (phase > 180) phase -= 360;
                if (phase <= -180) phase += 360;
                cplx got = response(epoch, f, q);
                SCOPED_TRACE(type + " " + std::to_string(f) + " Hz, quantity " +
                             std::to_string(static_cast<int>(q)));
                EXPECT_NEAR(std::abs(got), amplitude, 1e-12 * amplitude);
                EXPECT_NEAR(instrument::phase_degrees({got.real(), got.imag()}), phase, 1e-9);
            }
        }
    }
}

// PZ sensor, a gain, a FIR given by half its coefficients (ODD, EVEN, NONE), a digital
// poles-and-zeros stage: the product against sums written out here.
TEST(InstrumentResponse, ChainOfStagesMatchesDirectEvaluation) {
    // 40 coefficients: more per polyphase part than are summed directly, so the FIR goes
    // through transforms at the bins while stage 5's few coefficients are summed directly.
    std::vector<double> half;
    for (int k = 0; k < 40; ++k) half.push_back(std::cos(0.37 * k * k) / (k + 2));
    for (std::string symmetry : {"NONE", "EVEN", "ODD"}) {
        std::vector<double> b = half;
        if (symmetry != "NONE") {
            for (std::size_t k = half.size() - (symmetry == "ODD" ? 1 : 0); k-- > 0;)
                b.push_back(half[k]);
        }
        std::string fir = "<Stage number=\"3\"><FIR>" + units("COUNTS", "COUNTS") + "<Symmetry>" +
                          symmetry + "</Symmetry>";
        for (double c : half) fir += "<NumeratorCoefficient>" + num(c) + "</NumeratorCoefficient>";
        fir += "</FIR>" + decimation(400, 4) + gain(0.98) + "</Stage>";
        std::string digital_pz = poles_zeros(4, "DIGITAL (Z-TRANSFORM)", 0.5, {{-0.5, 0.1}},
                                             {{0.3, -0.2}, {0.1, 0}}, "COUNTS", "COUNTS", 2.0);
        digital_pz.insert(digital_pz.find("<StageGain>"), decimation(100, 1));
        std::string iir = "<Stage number=\"5\"><Coefficients>" + units("COUNTS", "COUNTS") +
                          "<CfTransferFunctionType>DIGITAL</CfTransferFunctionType><Numerator>1"
                          "</Numerator><Numerator>-0.5</Numerator><Denominator>1</Denominator>"
                          "<Denominator>-0.9</Denominator></Coefficients>" +
                          decimation(100, 1) + "</Stage>";
        std::string stages = sensor_stage("LAPLACE (RADIANS/SECOND)", 0.2, 0.7, 3.0) +
                             "<Stage number=\"2\"><Coefficients>" + units("V", "COUNTS") +
                             "<CfTransferFunctionType>DIGITAL</CfTransferFunctionType>"
                             "</Coefficients>" +
                             decimation(400, 1) + gain(4e5) + "</Stage>" + fir + digital_pz + iir;
        auto epoch = read(station_xml(channel("HHZ", "", kStart, "", 100, 1, "M/S", stages)))[0];
        ASSERT_EQ(epoch.stages[2].numerator, b) << symmetry;
        auto direct = [&](double f) {
            cplx s(0, 2 * kPi * f);
            double w0 = 2 * kPi * 0.2, re = -0.7 * w0, im = w0 * std::sqrt(1 - 0.49);
            cplx h = 3.0 * 1500 * s * s / ((s - cplx(re, im)) * (s - cplx(re, -im))) * 4e5;
            cplx fir_sum = 0;
            for (std::size_t k = 0; k < b.size(); ++k)
                fir_sum += b[k] * std::exp(cplx(0, -2 * kPi * f * double(k) / 400));
            cplx z = std::exp(cplx(0, 2 * kPi * f / 100));
            cplx pz = 0.5 * (z - cplx(-0.5, 0.1)) / ((z - cplx(0.3, -0.2)) * (z - 0.1)) * 2.0;
            cplx w = std::exp(cplx(0, -2 * kPi * f / 100));
            return h * 0.98 * fir_sum * pz * (1.0 - 0.5 * w) / (1.0 - 0.9 * w);
        };
        for (double f : {0.05, 0.2, 1.0, 7.5, 33.0, 49.9}) {
            cplx want = direct(f), got = response(epoch, f, Quantity::velocity);
            EXPECT_NEAR(std::abs(got - want), 0.0, 1e-12 * std::abs(want)) << symmetry << " " << f;
        }
        // At the bins of a deconvolution, through zero-padded transforms of the coefficients
        // (the FIR's rate is four times the record's), of an even length and of an odd one.
        const double dt = 0.01;
        for (std::size_t length : {360, 375}) {
            auto bins = instrument::response_at_bins(epoch, length, dt,
                                                     {Quantity::velocity, 60.0, std::nullopt});
            ASSERT_EQ(bins.size(), length / 2 + 1);
            for (std::size_t m = 1; m < bins.size(); m += 7) {
                cplx want = direct(double(m) / (double(length) * dt));
                EXPECT_NEAR(std::abs(cplx(bins[m].re, bins[m].im) - want), 0.0,
                            1e-10 * std::abs(want))
                    << symmetry << " length " << length << " bin " << m;
            }
        }
    }
}

TEST(InstrumentResponse, ResponseListInterpolatesAmplitudeAndUnwrappedPhase) {
    std::string list = "<Stage number=\"1\"><ResponseList>" + units("M/S**2", "COUNTS");
    for (auto [f, a, p] :
         std::vector<std::array<double, 3>>{{1, 10, 170}, {3, 30, -160}, {2, 50, -175}})
        list += "<ResponseListElement><Frequency>" + num(f) + "</Frequency><Amplitude>" + num(a) +
                "</Amplitude><Phase>" + num(p) + "</Phase></ResponseListElement>";
    list += "</ResponseList>" + gain(2) + "</Stage>";
    auto epoch = read(station_xml(channel("HNZ", "", kStart, "", 100, 1, "m/s**2", list)))[0];
    // Listed out of order; 170, -175, -160 unwrap to 170, 185, 200 degrees.
    struct Case {
        double f, amplitude, phase;
    };
    for (Case c :
         {Case{1, 20, 170}, Case{1.5, 60, 177.5}, Case{2.5, 80, -167.5}, Case{3, 60, -160}}) {
        cplx got = response(epoch, c.f, Quantity::acceleration);
        EXPECT_NEAR(std::abs(got), c.amplitude, 1e-12) << c.f;
        EXPECT_NEAR(instrument::phase_degrees({got.real(), got.imag()}), c.phase, 1e-9) << c.f;
    }
    EXPECT_THROW(response(epoch, 3.5, Quantity::acceleration), instrument::ResponseError);
    EXPECT_THROW(response(epoch, 0.5, Quantity::acceleration), instrument::ResponseError);
}

TEST(StationXml, ReadsEveryVersionAndPrefixedNames) {
    std::string c = channel("HHZ", "--", kStart, "", 100, 6e8, "M/S",
                            sensor_stage("LAPLACE (HERTZ)", 1, 0.7, 1));
    for (auto [version, prefix] : std::vector<std::pair<std::string, std::string>>{
             {"1.0", ""}, {"1.1", ""}, {"1.2", ""}, {"1.2", "fsx"}}) {
        auto epochs = read(station_xml(c, version, prefix));
        ASSERT_EQ(epochs.size(), 1u) << version << prefix;
        EXPECT_EQ(epochs[0].code(), "XX.XYZ..HHZ");
        EXPECT_EQ(epochs[0].stages.size(), 1u);
        EXPECT_EQ(epochs[0].sensitivity->value, 6e8);
    }
}

TEST(StationXml, RefusesBrokenFilesWithOneLine) {
    std::string good = station_xml(channel("HHZ", "", kStart, "", 100, 6e8, "M/S",
                                           sensor_stage("LAPLACE (HERTZ)", 1, 0.7, 1)));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        std::string text, message;
    };
    for (const Case& c : std::vector<Case>{
             {good.substr(0, good.size() / 2), "test.xml:"},
             {"just text", "is not FDSN StationXML"},
             {"", "is not FDSN StationXML"},
             {"<?xml version=\"1.0\"?><html></html>", "no FDSNStationXML root"},
             {replaced("http://www.fdsn.org/xml/station/1", "urn:other"), "namespace"},
             {replaced("schemaVersion=\"1.1\"", "schemaVersion=\"2.0\""), "schemaVersion"},
             {replaced("<Value>6e+08", "<Value>1e999"), "not a finite number"},
             {replaced("<Value>6e+08", "<Value>six"), "not a finite number"},
             {replaced(kStart, "2020-02-30T00:00:00"), "not an ISO 8601 time"},
             {replaced("LAPLACE (HERTZ)", "LAPLACE (DEGREES)"), "is not known"},
         }) {
        try {
            read(c.text);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const formats::FormatError& error) {
            std::string what = error.what();
            EXPECT_NE(what.find(c.message), std::string::npos) << what;
            EXPECT_EQ(what.find('\n'), std::string::npos) << what;
        }
    }
}

TEST(StationXml, IsoTimes) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> seconds;
        std::int64_t micro;
    };
    for (const Case& c : std::vector<Case>{{"1970-01-01T00:00:00Z", 0, 0},
                                           {"2000-03-01", 951868800, 0},
                                           {"2024-05-01T14:00:00+02:00", 1714564800, 0},
                                           {"2024-05-01T10:30:00-01:30", 1714564800, 0},
                                           {"2024-05-01T12:00:00.25", 1714564800, 250000},
                                           {"2024-05-01T12:00:00.1234567Z", 1714564800, 123456},
                                           {"1969-12-31T23:59:59", -1, 0},
                                           {"2024-02-29T00:00", 1709164800, 0},
                                           {"2023-02-29T00:00:00", std::nullopt, 0},
                                           {"2024-13-01T00:00:00", std::nullopt, 0},
                                           {"2024-05-01T25:00:00", std::nullopt, 0},
                                           {"2024-05-01T12:00:00.", std::nullopt, 0},
                                           {"2024-05-01T12:00:00+2", std::nullopt, 0},
                                           {"", std::nullopt, 0}}) {
        auto got = formats::parse_iso_time(c.text);
        if (!c.seconds) {
            EXPECT_FALSE(got) << c.text;
        } else {
            EXPECT_EQ(got, *c.seconds * 1000000 + c.micro) << c.text;
        }
    }
}

TEST(InstrumentResponse, EpochMatchingAndChecks) {
    std::string stages = sensor_stage("LAPLACE (RADIANS/SECOND)", 1, 0.7, 1) +
                         "<Stage number=\"2\">" + gain(-4e5) + "</Stage>";
    // The sensitivity as the product of the gains, negative; a second epoch from 2022 on,
    // a third that overlaps it, and one with the digitiser's units broken.
    auto epochs = read(station_xml(
        channel("HHZ", "", kStart, "2022-01-01T00:00:00", 100, -6e8, "M/S", stages) +
        channel("HHZ", "", "2022-01-01T00:00:00", "", 100, -6e8, "M/S", stages) +
        channel("HHZ", "", "2023-06-01T00:00:00", "2024-01-01T00:00:00", 100, -6e8, "M/S", stages) +
        channel("HHN", "10", kStart, "", 100, -6e8, "M/S",
                stages.substr(0, stages.find("<Stage number=\"2\"")) +
                    "<Stage number=\"2\"><Coefficients>" + units("MV", "COUNTS") +
                    "<CfTransferFunctionType>DIGITAL</CfTransferFunctionType></Coefficients>" +
                    gain(-4e5) + "</Stage>")));
    auto at = [&](const char* location, const char* code, const char* time) {
        return instrument::epoch_at(
                   epochs, {"XX", "XYZ", location, code, *formats::parse_iso_time(time)}, time)
            .start_us;
    };
    EXPECT_EQ(at("", "HHZ", "2021-12-31T23:59:59.999999"), *formats::parse_iso_time(kStart));
    EXPECT_EQ(at("--", "HHZ", "2022-01-01T00:00:00"), *formats::parse_iso_time("2022-01-01"));
    EXPECT_THROW(at("", "HHZ", "2019-12-31T00:00:00"), instrument::ResponseError);  // none
    EXPECT_THROW(at("", "HHZ", "2023-07-01T00:00:00"), instrument::ResponseError);  // two
    EXPECT_THROW(at("00", "HHZ", "2021-01-01T00:00:00"), instrument::ResponseError);
    // Negative sensitivity agreeing with the gains (|H| at 1 Hz is off by the sensor's shape).
    auto warnings = instrument::response_warnings(epochs[0]);
    for (const auto& w : warnings) EXPECT_EQ(w.find("product"), std::string::npos) << w;
    auto broken = instrument::response_warnings(epochs[3]);
    ASSERT_FALSE(broken.empty());
    EXPECT_NE(broken[0].find("units do not chain"), std::string::npos) << broken[0];
}

// A velocity sensor (corner 1 Hz) and a pulse of ground velocity whose spectrum lies inside
// the pre-filter's flat band: the counts are the pulse convolved with the response by a
// discrete Fourier transform written out here, and the removal must give the pulse back.
TEST(Deconvolution, RoundTripInsideThePreFilterBand) {
    std::string stages = sensor_stage("LAPLACE (RADIANS/SECOND)", 1, 0.707, 1) +
                         "<Stage number=\"2\">" + gain(4e5) + "</Stage>";
    auto epoch = read(station_xml(channel("HHZ", "", kStart, "", 20, 6e8, "M/S", stages)))[0];
    // Transforms of 1600 (even: through one of 800) and of 2025 (odd) points.
    for (std::size_t n : {800, 1005}) {
        const std::size_t m = 2 * n;
        const double dt = 0.05;
        std::vector<double> velocity(n);  // m/s: a 2 Hz wave under a Gaussian of 1 s at 20 s
        for (std::size_t i = 0; i < n; ++i) {
            double t = double(i) * dt - 20.0;
            velocity[i] = 1e-3 * std::exp(-t * t / 2) * std::cos(2 * kPi * 2 * t);
        }
        std::vector<cplx> spectrum(m);
        for (std::size_t k = 0; k < m; ++k) {
            for (std::size_t i = 0; i < n; ++i)
                spectrum[k] +=
                    velocity[i] * std::polar(1.0, -2 * kPi * double(k * i % m) / double(m));
            double f = double(k <= m / 2 ? k : m - k) / (double(m) * dt);
            cplx h = response(epoch, f, Quantity::velocity);
            spectrum[k] *= k <= m / 2 ? h : std::conj(h);
        }
        std::vector<double> counts(n);
        for (std::size_t i = 0; i < n; ++i) {
            cplx sum = 0;
            for (std::size_t k = 0; k < m; ++k)
                sum += spectrum[k] * std::polar(1.0, 2 * kPi * double(k * i % m) / double(m));
            counts[i] = sum.real() / double(m);
        }
        for (auto water : {std::optional<double>(60.0), std::optional<double>()}) {
            instrument::DeconvolutionSettings settings{Quantity::velocity, water,
                                                       std::array<double, 4>{0.1, 0.5, 5, 8}};
            auto out = instrument::remove_response(counts, dt, epoch, settings);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_NEAR(out[i], 100 * velocity[i], 1e-6 * 0.1)
                    << n << " " << i;  // cm/s, 1e-6 of the peak
        }
    }
}

// A notch at 3 Hz where the response falls to nothing: held at the floor 60 dB under the
// largest |D|, so no bin is amplified by more than 1/floor (Parseval), while without the
// water level the output blows up.
TEST(Deconvolution, WaterLevelHoldsANotchAtTheFloor) {
    const double w = 2 * kPi * 3.0009;
    std::string stages = poles_zeros(1, "LAPLACE (RADIANS/SECOND)", 1, {{0, w}, {0, -w}},
                                     {{-50, 50}, {-50, -50}}, "M/S**2", "V", 1);
    auto epoch = read(station_xml(channel("HNZ", "", kStart, "", 100, 1, "M/S**2", stages)))[0];
    const std::size_t n = 1000;
    std::vector<double> counts(n);
    for (std::size_t i = 0; i < n; ++i) counts[i] = std::sin(2 * kPi * 3.0 * double(i) * 0.01);
    auto energy = [](const std::vector<double>& x) {
        double e = 0;
        for (double v : x) e += v * v;
        return e;
    };
    instrument::DeconvolutionSettings settings;
    auto d =
        instrument::response_at_bins(epoch, instrument::deconvolution_length(n), 0.01, settings);
    double largest = 0;
    for (Complex v : d) largest = std::max(largest, modulus(v));
    auto held = instrument::remove_response(counts, 0.01, epoch, settings);
    double bound = 100 / (largest * 1e-3);
    EXPECT_LE(std::sqrt(energy(held)), bound * std::sqrt(energy(counts)) * (1 + 1e-9));
    EXPECT_GT(std::sqrt(energy(held)), 0.1 * bound * std::sqrt(energy(counts)));  // at the floor
    settings.water_level_db.reset();
    auto free = instrument::remove_response(counts, 0.01, epoch, settings);
    EXPECT_GT(std::sqrt(energy(free)), 10 * bound * std::sqrt(energy(counts)));
}

TEST(Deconvolution, SensitivityAloneDividesWithItsSign) {
    std::string xml = station_xml(channel("HNZ", "", kStart, "", 100, -2.5e5, "M/S**2", ""));
    auto epoch = read(xml)[0];
    std::vector<double> counts = {5e5, -2.5e5, 0, 1.25e5};
    auto out = instrument::remove_response(counts, 0.01, epoch, {});
    EXPECT_EQ(out, (std::vector<double>{-200, 100, 0, -50}));  // cm/s^2
}

}  // namespace
}  // namespace wavespec

namespace wavespec {
namespace {

// The response at the bins of n samples at 0.01 s of a channel of one stage taking in m/s^2,
// and the processor time it takes.
double seconds_at_bins(instrument::Stage stage, std::size_t n, std::vector<Complex>& bins) {
    instrument::ChannelEpoch epoch;
    stage.input_units = "M/S**2";
    epoch.stages = {stage};
    std::clock_t start = std::clock();
    bins = instrument::response_at_bins(epoch, instrument::deconvolution_length(n), 0.01, {});
    return double(std::clock() - start) / CLOCKS_PER_SEC;
}

// A 20000-point list over an hour's bins, against the interpolation written out here (the
// phase needs no unwrapping), in well under a second.
TEST(Deconvolution, LongResponseListAtAnHoursBins) {
    instrument::Stage stage;
    stage.kind = instrument::StageKind::response_list;
    for (int i = 0; i < 20000; ++i)
        stage.list.push_back({i * 0.00253, 1.0 + i % 7, 170 * std::sin(i / 100.0)});
    std::vector<Complex> bins;
    EXPECT_LT(seconds_at_bins(stage, 360000, bins), 1.0);
    for (std::size_t m : {1, 7777, 123457, 360000}) {
        double f = double(m) * (1.0 / (720000 * 0.01)), t = 0;  // m / (N dt)
        std::size_t i = 0;
        while (stage.list[i + 1].frequency <= f) ++i;
        const auto &a = stage.list[i], &b = stage.list[i + 1];
        t = (f - a.frequency) / (b.frequency - a.frequency);
        cplx want = std::polar(a.amplitude + t * (b.amplitude - a.amplitude),
                               (a.phase + t * (b.phase - a.phase)) * kPi / 180);
        EXPECT_LT(std::abs(cplx(bins[m].re, bins[m].im) - want), 1e-12 * std::abs(want)) << m;
    }
}

// A FIR of 100000 taps over 6000 samples, its rate 10^5 times the record's (a polyphase part
// a tap) and no whole multiple of it, against the direct sum written out here.
TEST(Deconvolution, LongFirAtTheBinsByOneTransform) {
    instrument::Stage stage;
    stage.kind = instrument::StageKind::fir;
    for (int k = 0; k < 100000; ++k) stage.numerator.push_back(std::sin(k * 0.37) + 0.1);
    for (double rate : {1e7, 1.0000037e7}) {
        stage.input_rate = rate;
        std::vector<Complex> bins;
        EXPECT_LT(seconds_at_bins(stage, 6000, bins), 0.25) << rate;
        const double period = 12000 * 0.01 * rate;  // w = exp(-2 pi i m / period)
        for (std::size_t m : {0, 1, 2999, 6000}) {
            std::complex<long double> want = 0;
            for (std::size_t k = 0; k < stage.numerator.size(); ++k)
                want += std::polar<long double>(
                    stage.numerator[k], -2 * kPi * std::fmod(double(k * m), period) / period);
            cplx got(bins[m].re, bins[m].im), w(double(want.real()), double(want.imag()));
            EXPECT_LT(std::abs(got - w), 1e-10 * std::abs(w)) << rate << " " << m;
        }
    }
}

// Horizontals made in the test from a known north and east, x_c = N cos(a_c) + E sin(a_c),
// turned back; azimuths whole turns apart, not at right angles, or near parallel.
TEST(HorizontalRotation, RecoversNorthAndEastFromAnyTwoAzimuths) {
    struct Case {
        double a0, a1;
        bool solvable;
    };
    const Case cases[] = {{30, 120, true},  {0, 90, true},     {370, 480, true},
                          {-30, 60, true},  {10, 60, true},    {90, 0, true},
                          {45, 225, false}, {20, 20.5, false}, {720, 1170.2, true}};
    const std::vector<double> north = {1.0, -2.5, 0.0, 1e-3, 7.25};
    const std::vector<double> east = {0.5, 3.0, -4.0, 0.0, -7.25};
    for (const Case& c : cases) {
        std::vector<double> x0, x1;
        for (std::size_t i = 0; i < north.size(); ++i) {
            long double r0 = c.a0 * std::numbers::pi_v<long double> / 180;
            long double r1 = c.a1 * std::numbers::pi_v<long double> / 180;
            x0.push_back(static_cast<double>(north[i] * std::cos(r0) + east[i] * std::sin(r0)));
            x1.push_back(static_cast<double>(north[i] * std::cos(r1) + east[i] * std::sin(r1)));
        }
        const std::vector<double> before0 = x0, before1 = x1;
        ASSERT_EQ(instrument::rotate_to_north_east(x0, x1, c.a0, c.a1), c.solvable) << c.a0;
        for (std::size_t i = 0; i < north.size(); ++i) {
            EXPECT_NEAR(x0[i], c.solvable ? north[i] : before0[i], 1e-13) << c.a0 << " " << i;
            EXPECT_NEAR(x1[i], c.solvable ? east[i] : before1[i], 1e-13) << c.a0 << " " << i;
        }
    }
    EXPECT_TRUE(instrument::points_north_east(360.005, 449.995));
    EXPECT_FALSE(instrument::points_north_east(0.02, 90));
    EXPECT_FALSE(instrument::points_north_east(90, 0));
}

}  // namespace
}  // namespace wavespec
