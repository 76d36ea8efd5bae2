#include "job_bindings.hpp"

#include <pybind11/stl.h>

#include <algorithm>
#include <string>

#include "cli/format_option.hpp"
#include "cli/option_bounds.hpp"
#include "cli/option_parser.hpp"
#include "cli/process_options.hpp"
#include "job/check_job.hpp"
#include "job/record_job.hpp"
#include "record_pipeline.hpp"

namespace py = pybind11;

namespace wavespec::python {
namespace {

// The option names the inventory's refusals give, recorded once each as they are set.
void given(cli::InventoryOptions& options, const char* name) {
    if (std::find(options.given.begin(), options.given.end(), name) == options.given.end()) {
        options.given.emplace_back(name);
    }
}

void bind_enums(py::module_& m) {
    py::enum_<smoothing::WindowKind>(m, "WindowKind")
        .value("konno_ohmachi", smoothing::WindowKind::konno_ohmachi)
        .value("parzen", smoothing::WindowKind::parzen);
    py::enum_<smoothing::HorizontalMean>(m, "HorizontalMean")
        .value("geometric", smoothing::HorizontalMean::geometric)
        .value("quadratic", smoothing::HorizontalMean::quadratic)
        .value("arithmetic", smoothing::HorizontalMean::arithmetic)
        .value("total", smoothing::HorizontalMean::total);
    py::enum_<processing::Detrend>(m, "Detrend")
        .value("none", processing::Detrend::none)
        .value("demean", processing::Detrend::demean)
        .value("linear", processing::Detrend::linear);
    py::enum_<cli::CornerSource>(m, "CornerSource")
        .value("options", cli::CornerSource::options)
        .value("snr", cli::CornerSource::snr)
        .value("table", cli::CornerSource::table);
    py::enum_<instrument::Quantity>(m, "Quantity")
        .value("acceleration", instrument::Quantity::acceleration)
        .value("velocity", instrument::Quantity::velocity)
        .value("displacement", instrument::Quantity::displacement);
    py::enum_<response::Convention>(m, "Convention")
        .value("band_limited", response::Convention::band_limited)
        .value("piecewise_linear", response::Convention::piecewise_linear);
}

void bind_smoothing(py::module_& m) {
    using Window = smoothing::SmoothingWindow;
    py::class_<Window>(m, "SmoothingWindow")
        .def(py::init([](smoothing::WindowKind kind, std::optional<double> width) {
                 const double standard = kind == smoothing::WindowKind::parzen
                                             ? smoothing::kDefaultParzenBandwidth
                                             : smoothing::kDefaultKonnoOhmachiB;
                 return Window{kind, width.value_or(standard)};
             }),
             py::arg("kind"), py::arg("width") = py::none())
        .def_readwrite("kind", &Window::kind)
        .def_readwrite("width", &Window::width);
    using S = cli::SmoothingOptions;
    py::class_<S>(m, "SmoothingJob")
        .def(py::init<>())
        .def_readwrite("window", &S::window)
        .def_readwrite("hv_window", &S::hv_window)
        .def_readwrite("points_per_decade", &S::points_per_decade)
        .def_readwrite("points_given", &S::points_given)
        .def_readwrite("at_bins", &S::at_bins)
        .def_readwrite("frequencies", &S::frequencies)
        .def_readwrite("mean", &S::mean)
        .def_readwrite("mean_given", &S::mean_given)
        .def_readwrite("hv_window_seconds", &S::hv_window_seconds)
        .def_readwrite("hv_taper", &S::hv_taper)
        .def_readwrite("hv_taper_given", &S::hv_taper_given)
        .def_readwrite("hv_range", &S::hv_range)
        .def_readwrite("hv_reject", &S::hv_reject)
        .def_readwrite("hv_azimuth_step", &S::hv_azimuth_step);
}

void bind_processing(py::module_& m) {
    py::class_<processing::Corner>(m, "Corner")
        .def(py::init([](double hz, int order) {
                 return processing::Corner{hz, order};
             }),
             py::arg("hz"), py::arg("order") = 4)
        .def_readwrite("hz", &processing::Corner::hz)
        .def_readwrite("order", &processing::Corner::order);
    py::class_<processing::PadRequest>(m, "PadRequest")
        .def(py::init([](bool transient, double seconds) {
                 return processing::PadRequest{transient, seconds};
             }),
             py::arg("transient"), py::arg("seconds") = 0.0)
        .def_readwrite("transient", &processing::PadRequest::transient)
        .def_readwrite("seconds", &processing::PadRequest::seconds);
    using P = cli::ProcessingOptions;
    // The filters' corners are the same for the three components.
    auto corner = [](std::optional<processing::Corner> processing::ComponentFilters::*which) {
        return [which](P& p, std::optional<processing::Corner> c) {
            for (processing::ComponentFilters& filters : p.steps.filters) filters.*which = c;
        };
    };
    py::class_<P>(m, "ProcessingJob")
        .def(py::init<>())
        .def_readwrite("asked", &P::asked)
        .def_property(
            "detrend", [](const P& p) { return p.steps.detrend; },
            [](P& p, processing::Detrend d) { p.steps.detrend = d; })
        .def_property(
            "taper", [](const P& p) { return p.steps.taper; },
            [](P& p, double t) { p.steps.taper = t; })
        .def_property(
            "pad", [](const P& p) { return p.steps.pad; },
            [](P& p, std::optional<processing::PadRequest> pad) { p.steps.pad = pad; })
        .def_property(
            "highpass", [](const P& p) { return p.steps.filters[0].highpass; },
            corner(&processing::ComponentFilters::highpass))
        .def_property(
            "lowpass", [](const P& p) { return p.steps.filters[0].lowpass; },
            corner(&processing::ComponentFilters::lowpass))
        .def_property(
            "causal", [](const P& p) { return p.steps.causal; },
            [](P& p, bool causal) { p.steps.causal = causal; })
        .def_readwrite("filter_given", &P::filter_given)
        .def_property(
            "baseline", [](const P& p) { return p.steps.baseline; },
            [](P& p, bool baseline) { p.steps.baseline = baseline; })
        .def_readwrite("corner_source", &P::corner_source)
        .def_readwrite("corner_order", &P::corner_order)
        .def_readwrite("signal_start", &P::signal_start)
        .def_property(
            "snr_threshold", [](const P& p) { return p.snr.threshold; },
            [](P& p, double r) {
                p.snr.threshold = r;
                p.snr_threshold_given = true;
            })
        .def_property(
            "snr_band",
            [](const P& p) {
                return std::array<double, 2>{p.snr.low, p.snr.high};
            },
            [](P& p, std::array<double, 2> band) {
                p.snr.low = band[0];
                p.snr.high = band[1];
                p.snr_band_given = true;
            })
        .def_property(
            "table_path", [](const P& p) { return p.table_path; },
            [](P& p, const std::string& path) {
                try {
                    p.table = cli::read_corner_table(path);
                } catch (const cli::UsageError& error) {
                    throw Refused(error.what());
                }
                p.table_path = path;
                p.corner_source = cli::CornerSource::table;
            });
}

void bind_inventory(py::module_& m) {
    using I = cli::InventoryOptions;
    py::class_<I>(m, "InventoryJob")
        .def(py::init<>())
        .def_property(
            "inventory", [](const I& i) { return i.inventory; },
            [](I& i, std::optional<std::string> path) {
                i.inventory = std::move(path);
                given(i, "inventory");
            })
        .def_property(
            "units", [](const I& i) { return i.deconvolution.wanted; },
            [](I& i, instrument::Quantity q) {
                i.deconvolution.wanted = q;
                i.units_given = true;
                given(i, "units");
            })
        .def_property(
            "water_level", [](const I& i) { return i.deconvolution.water_level_db; },
            [](I& i, std::optional<double> db) {
                i.deconvolution.water_level_db = db;
                given(i, "water-level");
            })
        .def_property(
            "pre_filter", [](const I& i) { return i.deconvolution.pre_filter; },
            [](I& i, std::optional<std::array<double, 4>> corners) {
                i.deconvolution.pre_filter = corners;
                given(i, "pre-filter");
            })
        .def_property(
            "rotate", [](const I& i) { return i.rotate; },
            [](I& i, bool rotate) {
                i.rotate = rotate;
                given(i, "rotate");
            });
}

// process's options beyond the record's job: the files' layout and what is written beside
// them, how the record is read, and its threads (process_files).
void bind_process_job(py::module_& m) {
    py::enum_<cli::FileLayout>(m, "FileLayout")
        .value("legacy", cli::FileLayout::legacy)
        .value("full", cli::FileLayout::full);
    using P = cli::ProcessOptions;
    py::class_<P>(m, "ProcessJob")
        .def(py::init([](const job::RecordJob& record_job) {
                 P options;
                 static_cast<job::RecordJob&>(options) = record_job;
                 return options;
             }),
             py::arg("job"))
        .def_readwrite("layout", &P::layout)
        .def_readwrite("dumps", &P::dumps)
        .def_readwrite("plot", &P::plot)
        .def_readwrite("output", &P::output)
        .def_property(
            "jobs", [](const P& p) { return p.jobs; },
            [](P& p, long long jobs) {
                // Held to --jobs's row here: a count below zero has no unsigned value to keep.
                const std::string text = std::to_string(jobs);
                checked(
                    [&] { return cli::read_in_range(cli::value_range("jobs", "N"), text, text); });
                p.jobs = static_cast<unsigned>(jobs);
            })
        .def_property(
            "format", [](const P& p) { return std::string(formats::input_format_name(p.format)); },
            [](P& p, const std::string& name) {
                p.format = checked([&] { return cli::parse_format_option(name); });
            })
        .def_property(
            "keep_offset", [](const P& p) { return p.read.keep_offset; },
            [](P& p, bool keep) { p.read.keep_offset = keep; })
        .def_property(
            "quantity",
            [](const P& p) { return std::string(formats::quantity_name(p.read.quantity)); },
            [](P& p, const std::string& name) {
                p.read.quantity = checked([&] { return cli::parse_quantity_option(name); });
            })
        .def_property(
            "channels",
            [](const P& p) {
                std::vector<long long> from_one;
                for (std::size_t c : p.read.channels)
                    from_one.push_back(static_cast<long long>(c) + 1);
                return from_one;
            },
            [](P& p, const std::vector<long long>& from_one) {
                p.read.channels = checked([&] { return cli::chosen_channels(from_one); });
            });
    m.def("check_process_job", [](const P& p) {
        checked([&] {
            cli::check_process_options(p);
            return 0;
        });
    });
}

}  // namespace

void bind_job(py::module_& m) {
    bind_enums(m);
    bind_smoothing(m);
    bind_processing(m);
    bind_inventory(m);
    using J = job::RecordJob;
    py::class_<J>(m, "Job")
        .def(py::init<>())
        .def_property(
            "invert", [](const J& j) { return j.invert; },
            [](J& j, const std::vector<double>& components) {
                j.invert = checked([&] { return job::inverted_components(components); });
            })
        .def_readwrite("bandpass", &J::bandpass)
        .def_readwrite("operation", &J::operation)
        .def_readwrite("window", &J::window)
        .def_readwrite("skip", &J::skip)
        .def_readwrite("response_spectra", &J::response_spectra)
        .def_readwrite("periods", &J::periods)
        .def_readwrite("dampings", &J::dampings)
        .def_readwrite("oscillator", &J::oscillator)
        .def_readwrite("smoothing", &J::smoothing)
        .def_readwrite("processing", &J::processing)
        .def_readwrite("inventory", &J::inventory);
    m.def("frequency_grid", [](double from, double to, double count) {
        return checked([&] { return job::frequency_grid(from, to, count); });
    });
    bind_process_job(m);
    m.def("check_job", [](const J& j) {
        checked([&] {
            job::check_job(j);
            return 0;
        });
    });
}

}  // namespace wavespec::python
