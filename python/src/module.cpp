// wavespec._wavespec: the library's steps on numpy arrays. Arrays arrive as C-contiguous
// float64 (the Python package converts anything else once); each call reads them in place,
// computes with the interpreter's lock released, and hands back new arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <optional>
#include <thread>

#include "cli/csv_record.hpp"
#include "cli/full_layout_files.hpp"
#include "cli/process_command.hpp"
#include "cli/record_read_failure.hpp"
#include "cli/response_options.hpp"
#include "dialogue/record_steps.hpp"
#include "formats/formats.hpp"
#include "formats/stationxml_reader.hpp"
#include "job/instrument_correction.hpp"
#include "job/record_job.hpp"
#include "job_bindings.hpp"
#include "record_pipeline.hpp"
#include "records/shortest_text.hpp"
#include "smoothing/spectral_smoothing.hpp"

namespace py = pybind11;
using namespace wavespec;

namespace {

using Array = py::array_t<double, py::array::c_style>;

// Thrown for a file that cannot be read; becomes OSError.
class FileRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The three rows of a (3, n) array.
python::Components components(const Array& data, double dt) {
    if (data.ndim() != 2 || data.shape(0) != 3) {
        throw python::Refused("the record must be shaped (3, n)");
    }
    const auto n = static_cast<std::size_t>(data.shape(1));
    const double* first = data.data();
    return {{std::span<const double>(first, n), std::span<const double>(first + n, n),
             std::span<const double>(first + 2 * n, n)},
            dt};
}

std::span<const double> vector_of(const Array& values, const char* what) {
    if (values.ndim() != 1) throw python::Refused(std::string(what) + " must be one-dimensional");
    return {values.data(), static_cast<std::size_t>(values.shape(0))};
}

// A new array of the given shape filled from consecutive blocks.
template <typename T, typename Blocks>
py::array_t<T> stacked(const Blocks& blocks, std::size_t length) {
    py::array_t<T> out(
        {static_cast<py::ssize_t>(std::size(blocks)), static_cast<py::ssize_t>(length)});
    T* target = out.mutable_data();
    for (const auto& block : blocks) {
        std::memcpy(target, block.data(), length * sizeof(T));
        target += length;
    }
    return out;
}

template <typename T>
py::array_t<T> owned(std::vector<T>&& values) {
    auto* held = new std::vector<T>(std::move(values));
    py::capsule release(held, [](void* p) { delete static_cast<std::vector<T>*>(p); });
    return py::array_t<T>(static_cast<py::ssize_t>(held->size()), held->data(), release);
}

py::tuple fourier(const Array& data, double dt) {
    python::Components record = components(data, dt);
    python::Fourier result;
    {
        py::gil_scoped_release unlocked;
        result = python::fourier(record);
    }
    const std::size_t bins = result.frequency.size();
    return py::make_tuple(owned(std::move(result.frequency)),
                          stacked<double>(result.amplitude, bins),
                          stacked<std::complex<double>>(result.spectrum, bins));
}

// The processing's numbers as processing.txt gives them, and processed.csv's acceleration.
py::dict processing_dict(run::ProcessedAsRead& out) {
    py::list components;
    for (std::size_t c = 0; c < 3; ++c) {
        const processing::ComponentFilters& filters = out.steps.filters[c];
        const processing::ProcessingQuality& q = out.record.quality[c];
        py::dict component;
        component["highpass"] = filters.highpass ? py::cast(filters.highpass->hz) : py::none();
        component["lowpass"] = filters.lowpass ? py::cast(filters.lowpass->hz) : py::none();
        component["residual_velocity"] = q.residual_velocity;
        component["residual_displacement"] = q.residual_displacement;
        component["peak_displacement_before"] = q.peak_displacement_before;
        component["peak_displacement_after"] = q.peak_displacement_after;
        components.append(component);
    }
    py::dict result;
    const std::size_t n = out.record.acceleration[0].size();
    result["acceleration"] = stacked<double>(out.record.acceleration, n);
    result["pads"] = py::make_tuple(out.record.pads.before, out.record.pads.after);
    result["components"] = components;
    result["text"] = out.report;
    return result;
}

py::tuple process(const Array& data, double dt, const job::RecordJob& job) {
    python::Components record = components(data, dt);
    std::array<std::vector<double>, 3> series;
    run::ProcessedAsRead processing;
    python::check(job);
    {
        py::gil_scoped_release unlocked;
        series = python::processed(record, job, &processing);
    }
    return py::make_tuple(
        stacked<double>(series, series[0].size()),
        job.processing.asked ? py::object(processing_dict(processing)) : py::object(py::none()));
}

// Rows after the three components: the measures of the two horizontals, as response.csv
// orders them.
constexpr std::size_t kColumns = 8;

py::tuple response_spectra(const Array& data, double dt, const Array& periods_in,
                           const Array& dampings_in, response::Convention convention,
                           unsigned threads) {
    python::Components record = components(data, dt);
    job::RecordJob job;
    job.response_spectra = true;
    std::span<const double> periods_given = vector_of(periods_in, "periods"),
                            dampings_given = vector_of(dampings_in, "damping");
    job.periods.assign(periods_given.begin(), periods_given.end());
    job.dampings.assign(dampings_given.begin(), dampings_given.end());
    python::check(job);
    const std::vector<double>&periods = job.periods, &dampings = job.dampings;
    const auto d_count = static_cast<py::ssize_t>(dampings.size());
    const auto p_count = static_cast<py::ssize_t>(periods.size());
    std::array<py::array_t<double>, 5> out;
    for (auto& a : out) {
        a = py::array_t<double>({d_count, p_count, static_cast<py::ssize_t>(kColumns)});
    }
    std::array<double*, 5> target;
    for (std::size_t i = 0; i < 5; ++i) target[i] = out[i].mutable_data();
    std::vector<int> gmroti_angles;
    {
        py::gil_scoped_release unlocked;
        python::check_record(record);
        python::check_response_work(record.series[0].size(), dt, periods, dampings, convention);
        const response::ResponseSpectra spectra = response::response_spectra(
            record.series, dt, periods, dampings, std::max(threads, 1u), convention);
        gmroti_angles = spectra.gmroti_angles;
        std::size_t at = 0;
        for (std::size_t d = 0; d < dampings.size(); ++d) {
            for (std::size_t p = 0; p < periods.size(); ++p) {
                // PSV and PSA as response.csv computes them.
                const double omega = 2.0 * std::numbers::pi / periods[p];
                const response::OscillatorPeaks& peaks = spectra.values[d][p];
                for (std::size_t column = 0; column < kColumns; ++column, ++at) {
                    const response::Peaks& v = column < 3   ? peaks.component[column]
                                               : column < 6 ? peaks.rotd[column - 3]
                                                            : peaks.gmrot[column - 6];
                    target[0][at] = v.displacement;
                    target[1][at] = v.velocity;
                    target[2][at] = v.acceleration;
                    target[3][at] = omega * v.displacement;
                    target[4][at] = omega * omega * v.displacement;
                }
            }
        }
        // As the tool fails a record whose response is not finite.
        for (std::size_t i = 0; i < 5; ++i) {
            if (const double* bad = std::find_if_not(target[i], target[i] + at,
                                                     [](double x) { return std::isfinite(x); });
                bad != target[i] + at) {
                throw python::Refused("response spectra: a value is not finite (" +
                                      shortest_text(*bad) + ")");
            }
        }
    }
    return py::make_tuple(out[0], out[1], out[2], out[3], out[4], gmroti_angles);
}

py::array_t<double> measures(const Array& data, double dt) {
    python::Components record = components(data, dt);
    std::array<response::GroundMotion, 3> motion;
    {
        py::gil_scoped_release unlocked;
        motion = python::measures(record);
    }
    py::array_t<double> out({py::ssize_t{3}, py::ssize_t{7}});
    double* target = out.mutable_data();
    for (const response::GroundMotion& g : motion) {
        for (double v : {g.pga, g.pgv, g.pgd, g.arias, g.d5_75, g.d5_95, g.cav}) *target++ = v;
    }
    return out;
}

py::array_t<double> smooth(const Array& frequency_in, const Array& amplitude,
                           const smoothing::SmoothingWindow& window, const Array& centres_in,
                           unsigned threads) {
    std::span<const double> frequency = vector_of(frequency_in, "frequency");
    std::span<const double> centres = vector_of(centres_in, "frequencies");
    if (amplitude.ndim() != 2 || static_cast<std::size_t>(amplitude.shape(1)) != frequency.size()) {
        throw python::Refused("amplitude must hold one value for each frequency");
    }
    job::RecordJob job;
    job.smoothing.window = window;
    python::check(job);
    const cli::SmoothingOptions& options = job.smoothing;
    const auto rows = static_cast<std::size_t>(amplitude.shape(0));
    std::vector<std::span<const double>> spectra;
    for (std::size_t r = 0; r < rows; ++r) {
        spectra.emplace_back(amplitude.data() + r * frequency.size(), frequency.size());
    }
    std::vector<std::vector<double>> smoothed;
    {
        py::gil_scoped_release unlocked;
        python::check_smoothing(*options.window, frequency, centres, spectra);
        try {
            smoothed = smoothing::smooth_spectra(*options.window, frequency, spectra, centres,
                                                 std::max(threads, 1u));
        } catch (const std::invalid_argument& error) {
            throw python::Refused(error.what());
        }
    }
    return stacked<double>(smoothed, centres.size());
}

// A verdict as Python tells it: True, False, or None where it was not judged (one window,
// or no window peak to count).
py::object verdict(smoothing::Verdict v) {
    if (v == smoothing::Verdict::not_judged) return py::none();
    return py::bool_(v == smoothing::Verdict::pass);
}

py::dict criterion(const smoothing::Criterion& c) {
    py::dict d;
    d["value"] = c.value;
    d["threshold"] = c.threshold;
    d["passed"] = verdict(c.verdict);
    return d;
}

py::dict hv(const Array& data, double dt, const job::RecordJob& job, unsigned threads) {
    python::Components record = components(data, dt);
    python::check(job);
    const cli::SmoothingOptions& options = job.smoothing;
    smoothing::NoiseHv noise;
    {
        py::gil_scoped_release unlocked;
        noise = python::noise_hv(record, options, std::max(threads, 1u));
    }
    // Rotated horizontals: the angle, the curves at each, and f0 where the range holds a peak.
    std::vector<double> angles, f0s;
    std::vector<std::vector<double>> means, sigmas;
    for (smoothing::AzimuthHv& a : noise.azimuths) {  // before the frequencies move out
        angles.push_back(a.azimuth);
        f0s.push_back(a.peak ? noise.frequency[*a.peak] : std::numeric_limits<double>::quiet_NaN());
        means.push_back(std::move(a.statistics.mean));
        sigmas.push_back(std::move(a.statistics.sigma_ln));
    }
    py::dict out;
    out["window_seconds"] = noise.window_seconds;
    out["window_samples"] = noise.window_samples;
    const std::size_t points = noise.frequency.size();
    out["frequency"] = owned(std::move(noise.frequency));
    out["windows"] = stacked<double>(noise.windows, points);
    py::array_t<bool> kept(static_cast<py::ssize_t>(noise.kept.size()));
    for (std::size_t w = 0; w < noise.kept.size(); ++w) kept.mutable_data()[w] = noise.kept[w];
    out["kept"] = kept;
    out["rejection_rounds"] = noise.rejection_rounds;
    out["mean"] = owned(std::move(noise.statistics.mean));
    out["sigma_ln"] = owned(std::move(noise.statistics.sigma_ln));
    out["window_peaks"] = owned(std::move(noise.window_peaks));
    out["peak_mean"] = noise.peak_spread.mean;
    out["peak_sd"] = noise.peak_spread.deviation;
    const smoothing::SesameReport& r = *noise.report;
    out["f0"] = r.f0;
    out["a0"] = r.a0;
    static constexpr const char* kReliability[3] = {"f0 > 10/lw", "nc > 200", "sigma_A < 2"};
    static constexpr const char* kClarity[6] = {
        "A- < A0/2", "A+ < A0/2",         "A0 > 2",
        "f0 stable", "sigma_f < epsilon", "sigma_A(f0) < theta"};
    py::dict reliability, clarity;
    for (std::size_t i = 0; i < 3; ++i) reliability[kReliability[i]] = criterion(r.reliability[i]);
    for (std::size_t i = 0; i < 6; ++i) clarity[kClarity[i]] = criterion(r.clarity[i]);
    out["reliability"] = reliability;
    out["clarity"] = clarity;
    out["reliable"] = verdict(r.reliable);
    out["clear"] = verdict(r.clear);
    out["azimuths"] = owned(std::move(angles));
    out["azimuth_mean"] = stacked<double>(means, points);
    out["azimuth_sigma_ln"] = stacked<double>(sigmas, points);
    out["azimuth_f0"] = owned(std::move(f0s));
    return out;
}

// The record of one path, and with an inventory its samples taken from counts to cm-based
// units as "process --inventory" takes them. A file that cannot be read (the record's or the
// inventory's) raises OSError; a record the inventory cannot convert, ValueError.
py::tuple read_record(const std::vector<std::string>& paths, const std::string& format_name,
                      const job::RecordJob& job) {
    auto format = formats::input_format_named(format_name);
    if (!format) {
        throw python::Refused(
            "invalid value '" + format_name +
            "' for format: expected auto, csv, knet, at2, sac, mseed, esm, cosmos, smc, "
            "geonet, csmip, cwa, afad, unam, renadic or bhrc");
    }
    python::check(job);
    cli::InventoryOptions inventory = job.inventory;
    formats::WaveformRecord record;
    std::string format_read, converted, record_name;
    {
        py::gil_scoped_release unlocked;
        try {
            std::vector<formats::RecordInput> inputs = formats::group_record_inputs(paths, *format);
            if (inputs.size() != 1) {
                throw python::Refused("the files make " + std::to_string(inputs.size()) +
                                      " records; read takes those of one");
            }
            const formats::RecordInput& input = inputs.front();
            record_name = input.paths.size() == 1 ? input.paths.front() : input.stem;
            format_read = formats::input_format_name(input.format);
            try {
                cli::check_inventory_format(inventory, input.format, record_name);
            } catch (const cli::UsageError& error) {
                throw python::Refused(error.what());
            }
            cli::load_inventory(inventory);
            record = input.format == formats::InputFormat::csv
                         ? cli::read_csv_record(input.paths.front())
                         : formats::read_record(input, job::reading_for({}, inventory));
        } catch (const formats::FormatError& error) {
            throw FileRefused(error.what());
        }
        try {
            converted = job::correct_record(record, inventory);
        } catch (const formats::FormatError& error) {
            throw python::Refused(error.what());
        }
    }
    const std::size_t n = record.components[0].samples.size();
    std::array<std::vector<double>, 3> samples;
    py::tuple names(3);
    for (std::size_t c = 0; c < 3; ++c) {
        samples[c] = std::move(record.components[c].samples);
        names[c] = record.components[c].name;
    }
    py::list notes;
    for (const std::string& note : record.notes) notes.append(note);
    if (!converted.empty()) notes.append(record_name + ": " + converted);
    py::object start = record.start_us ? py::object(py::int_(*record.start_us)) : py::none();
    return py::make_tuple(names, record.dt, stacked<double>(samples, n), format_read, notes, start);
}

}  // namespace

PYBIND11_MODULE(_wavespec, m) {
    m.doc() = "The wavespec library's steps on numpy arrays (use the wavespec package).";
    py::register_local_exception<python::Refused>(m, "Refused", PyExc_ValueError);
    py::register_local_exception<FileRefused>(m, "FileRefused", PyExc_OSError);
    python::bind_job(m);
    m.def("fourier", &fourier);
    m.def("process", &process);
    m.def("response_spectra", &response_spectra);
    m.def("measures", &measures);
    m.def("smooth", &smooth);
    m.def("hv", &hv);
    m.def("read", &read_record);
    m.def("default_periods", [] {
        return owned(response::log_spaced(cli::kDefaultFirstPeriod, cli::kDefaultLastPeriod,
                                          cli::kDefaultPeriodCount));
    });
    m.def("log_spaced_centres", [](double lowest, double highest, int per_decade) {
        return owned(smoothing::log_spaced_centres(lowest, highest, per_decade));
    });
    // One record as "wavespec process" runs it into OUT_DIR/STEM/: (stem, ok, line, directory).
    m.def("process_record", [](const std::vector<std::string>& paths,
                               const cli::ProcessOptions& options, const std::string& out_dir) {
        cli::OneRecordOutcome outcome;
        {
            py::gil_scoped_release release;
            outcome = cli::process_one_record(paths, options, out_dir);
        }
        return py::make_tuple(outcome.stem, outcome.ok, outcome.line, outcome.directory);
    });
    m.def("thread_count", &python::thread_count);
    m.def("mseed_supported", &formats::mseed_supported);
    m.def("stationxml_supported", &formats::stationxml_supported);
}
