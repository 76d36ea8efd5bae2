#include "cli/plot_command.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "cli/command_line.hpp"
#include "cli/option_parser.hpp"
#include "cli/record_read_failure.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/record_steps.hpp"
#include "dialogue/run_state.hpp"
#include "plot/hv_picture.hpp"
#include "plot/pictures.hpp"
#include "plot/processed_picture.hpp"
#include "plot/processing_tables.hpp"
#include "plot/response_picture.hpp"
#include "plot/run_files.hpp"
#include "plot/smoothing_tables.hpp"
#include "plot/snr_picture.hpp"
#include "records/csv_fields.hpp"
#include "records/printable_text.hpp"
#include "records/text_lines.hpp"
#include "records/whole_file.hpp"
#include "smoothing/hv_statistics.hpp"

namespace wavespec::cli {
namespace {

namespace fs = std::filesystem;

// A fault with one input file; the message is the whole line for standard error.
struct FileFault {
    std::string line;
};

std::string shown(const fs::path& path) {
    return printable_name(path.generic_string());
}

std::string read_whole(const fs::path& path) {
    std::string text;
    if (auto why = read_whole_file(path.string(), text)) throw FileFault{shown(path) + ": " + *why};
    return text;
}

// The record as the dialogue and "process" read it, through the record layer, so that every
// record they take can be drawn.
plot::Table read_record(const fs::path& path) {
    auto state = std::make_unique<RunState>();
    const std::string name = path.string();
    try {
        RecordLayer layer({.set_binary_mode = false}, RecordLayer::FailureMode::throw_failure);
        read_waveform_file(layer, name, *state, RecordLayer::NameForm::exact);
    } catch (const RecordFailure& failure) {
        auto read = describe_read_failure(failure, name);
        if (!read) throw;
        throw FileFault{shown(path) + read->place + ": " + read->why};
    }
    if (state->nt < 1) throw FileFault{shown(path) + ": no samples after the header"};
    if (static_cast<std::size_t>(state->nt) > kCapacity) {
        throw FileFault{shown(path) + ": " + std::to_string(state->nt) +
                        " sample sets, more than the " + std::to_string(kCapacity) +
                        " the reader keeps"};
    }
    const auto n = static_cast<std::ptrdiff_t>(state->nt);
    plot::Table table;
    for (std::size_t c = 0; c < 3; ++c) {
        table.names[c] = std::string(trimmed_name(name_text(state->head[c + 1])));
    }
    table.abscissa.assign(state->time.begin(), state->time.begin() + n);
    table.values[0].assign(state->xr1.begin(), state->xr1.begin() + n);
    table.values[1].assign(state->xr2.begin(), state->xr2.begin() + n);
    table.values[2].assign(state->xr3.begin(), state->xr3.begin() + n);
    return table;
}

template <typename Reader>
auto read_table(const fs::path& path, Reader reader) {
    std::string text = read_whole(path);
    try {
        return reader(text);
    } catch (const plot::ReadError& e) {
        std::string where = shown(path);
        if (e.line() > 0) where += ":" + std::to_string(e.line());
        throw FileFault{where + ": " + e.what()};
    }
}

plot::ResponsePicture read_response_table(const fs::path& path) {
    std::string text = read_whole(path);
    try {
        return plot::read_response_spectra(text);
    } catch (const plot::ReadError& e) {
        std::string where = shown(path);
        if (e.line() > 0) where += ":" + std::to_string(e.line());
        throw FileFault{where + ": " + e.what()};
    }
}

// The output waveform of DIR: the named file, or the one CSV file whose header is an output
// waveform's.
fs::path find_output_waveform(const fs::path& dir, const std::optional<std::string>& name) {
    if (name) return dir / *name;
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        // processed.csv is headed time(s), too, but holds the processed record, not the output.
        if (p.extension() != ".csv" || p.filename() == "processed.csv" ||
            !it->is_regular_file(ec)) {
            continue;
        }
        std::ifstream in(p, std::ios::binary);
        std::string first;
        std::getline(in, first);
        if (plot::is_output_waveform_header(first)) found.push_back(p);
    }
    if (ec) throw FileFault{shown(dir) + ": cannot list the directory: " + ec.message()};
    if (found.size() == 1) return found.front();
    throw FileFault{shown(dir) + (found.empty()
                                      ? ": no output waveform (a CSV file headed time(s),)"
                                      : ": several output waveforms; choose one with --output")};
}

// The component's name of a processed.csv or snr.csv column: the column less its quantity.
std::string component_of(const std::string& column, std::string_view quantity) {
    return column.ends_with(quantity) ? column.substr(0, column.size() - quantity.size()) : column;
}

// processed.svg from processed.csv, the pads and the record's length from processing.txt.
std::string processed_picture(const fs::path& dir, const std::string& name,
                              const plot::ProcessingSummary& summary) {
    auto read = [](std::string_view text) { return plot::read_number_table(text, "time(s)", 9); };
    const plot::NumberTable table = read_table(dir / "processed.csv", read);
    const auto rows = static_cast<std::int64_t>(table.abscissa.size());
    if (summary.record_samples < 1 || summary.pad_before + summary.record_samples > rows) {
        throw FileFault{shown(dir / "processed.csv") + ": " + std::to_string(rows) +
                        " rows, fewer than processing.txt's record and pads"};
    }
    // The time of the record's second sample is dt itself, exactly as the run wrote it.
    const auto second = static_cast<std::size_t>(summary.pad_before + 1);
    double dt = 0.0;
    if (second < table.abscissa.size()) {
        dt = table.abscissa[second];
    } else if (summary.pad_before > 0) {
        dt = -table.abscissa.front() / static_cast<double>(summary.pad_before);
    }
    plot::ProcessedPicture picture{.record = name,
                                   .names = {},
                                   .dt = dt,
                                   .pad_before = summary.pad_before,
                                   .record_samples = summary.record_samples,
                                   .series = {}};
    for (std::size_t c = 0; c < 3; ++c) {
        picture.names[c] = component_of(table.columns[3 * c], " acceleration");
        for (std::size_t q = 0; q < 3; ++q) picture.series[c][q] = table.values[3 * c + q];
    }
    return plot::processed_svg(picture);
}

// snr.svg from snr.csv, the threshold and the corners from processing.txt.
std::string snr_picture(const fs::path& dir, const std::string& name,
                        const plot::ProcessingSummary& summary) {
    auto read = [](std::string_view text) {
        return plot::read_number_table(text, "frequency(Hz)", 9);
    };
    const plot::NumberTable table = read_table(dir / "snr.csv", read);
    if (!summary.snr_threshold) {
        throw FileFault{shown(dir / "processing.txt") + ": no --snr-threshold in its steps"};
    }
    plot::SnrPicture picture{.record = name,
                             .names = {},
                             .frequency = table.abscissa,
                             .signal = {},
                             .noise = {},
                             .snr = {},
                             .threshold = *summary.snr_threshold,
                             .corners = summary.corners};
    for (std::size_t c = 0; c < 3; ++c) {
        picture.names[c] = component_of(table.columns[3 * c], " signal");
        picture.signal[c] = table.values[3 * c];
        picture.noise[c] = table.values[3 * c + 1];
        picture.snr[c] = table.values[3 * c + 2];
    }
    return plot::snr_svg(picture);
}

// processed.svg and snr.svg, where the run left their tables.
void stage_processing_pictures(const fs::path& dir, const std::string& name, StagedFiles& staged) {
    std::error_code ec;
    const bool processed = fs::exists(dir / "processed.csv", ec);
    const bool snr = fs::exists(dir / "snr.csv", ec);
    // Without processing.txt the pads and the corners are unknown: nothing to redraw.
    if ((!processed && !snr) || !fs::exists(dir / "processing.txt", ec)) return;
    const plot::ProcessingSummary summary =
        read_table(dir / "processing.txt", plot::read_processing_summary);
    if (processed) {
        if (auto why = staged.write("processed.svg", processed_picture(dir, name, summary))) {
            throw FileFault{*why};
        }
    }
    if (snr) {
        if (auto why = staged.write("snr.svg", snr_picture(dir, name, summary))) {
            throw FileFault{*why};
        }
    }
}

struct PlotOptions {
    std::optional<std::string> output;
    std::optional<fs::path> record;
};

void plot_directory(const fs::path& dir, const PlotOptions& options) {
    plot::Table spectra = read_table(dir / "amp3.csv", plot::read_amplitude_spectra);
    fs::path wave_path = find_output_waveform(dir, options.output);
    plot::Table wave = read_table(wave_path, plot::read_output_waveform);
    std::optional<plot::Table> record;
    if (options.record) record = read_record(*options.record);

    std::string name = options.record ? options.record->filename().string()
                                      : fs::absolute(dir).lexically_normal().filename().string();
    if (name.empty()) name = fs::absolute(dir).lexically_normal().parent_path().filename().string();

    // The last bin is the Nyquist frequency, 1 / (2 dt).
    double nyquist = spectra.abscissa.back();
    double dt = nyquist > 0.0 ? 1.0 / (2.0 * nyquist) : 0.0;
    std::int32_t nt = 0;
    if (record && record->abscissa.size() > 1) {
        const auto& t = record->abscissa;
        dt = (t.back() - t.front()) / static_cast<double>(t.size() - 1);
        nt = static_cast<std::int32_t>(t.size());
    }

    plot::SpectraPicture spectra_picture{
        .record = name,
        .nt = nt,
        .dt = dt,
        .processing = {},
        .bandpass = std::nullopt,
        .names = spectra.names,
        .frequency = spectra.abscissa,
        .amplitude = {spectra.values[0], spectra.values[1], spectra.values[2]}};

    double start = wave.abscissa.front();
    double step = wave.abscissa.size() > 1 ? wave.abscissa[1] - wave.abscissa[0] : dt;
    if (std::isnan(start) || std::isnan(step)) {
        std::fputs(("wavespec plot: " + shown(wave_path) +
                    ": no readable time; drawn from 0 s at the record's interval\n")
                       .c_str(),
                   stderr);
        start = 0.0;
        step = dt;
    }
    plot::WaveformPicture wave_picture{.record = name,
                                       .names = wave.names,
                                       .dt = dt,
                                       .original = {},
                                       .output_start = start,
                                       .output_step = step,
                                       .output = {wave.values[0], wave.values[1], wave.values[2]}};
    if (record) {
        wave_picture.original = {record->values[0], record->values[1], record->values[2]};
    }

    // A smoothing run's files add the smoothed spectra and hv.svg.
    std::optional<plot::SmoothedTable> smoothed;
    if (fs::exists(dir / "smoothed.csv")) {
        smoothed = read_table(dir / "smoothed.csv", plot::read_smoothed_spectra);
    }
    plot::SmoothedSpectra overlay;
    if (smoothed) {
        overlay = {smoothed->frequency,
                   {smoothed->smoothed[0], smoothed->smoothed[1], smoothed->smoothed[2]}};
    }
    std::optional<plot::HvTable> hv;
    if (fs::exists(dir / "hv.csv")) hv = read_table(dir / "hv.csv", plot::read_hv_curves);

    // The pictures take their names together, so that none is ever seen half-written.
    StagedFiles staged(dir, unique_staging_token());
    for (auto [file, svg] : {std::pair{"spectra.svg", plot::spectra_svg(spectra_picture, overlay)},
                             std::pair{"waveform.svg", plot::waveform_svg(wave_picture)}}) {
        if (auto why = staged.write(file, svg)) throw FileFault{*why};
    }
    if (hv) {
        plot::HvPicture hv_picture{.record = name,
                                   .smoothing = {},
                                   .frequency = hv->frequency,
                                   .mean = hv->mean,
                                   .lower = hv->lower,
                                   .upper = hv->upper,
                                   .windows = {},
                                   .rejected = {},
                                   .f0 = std::nullopt,
                                   .f0_spread = 0.0};
        for (std::size_t w = 0; w < hv->windows.size(); ++w) {
            (hv->rejected[w] ? hv_picture.rejected : hv_picture.windows).push_back(hv->windows[w]);
        }
        // f0 and its spread as the run's summary gives them (searched where the run searched
        // them), or the mean curve's peak over the whole grid without a summary.
        std::optional<plot::HvSummary> summary;
        if (fs::exists(dir / "hv-summary.txt")) {
            summary = plot::read_hv_summary(read_whole(dir / "hv-summary.txt"));
        }
        if (summary) {
            hv_picture.smoothing = summary->settings;
            hv_picture.f0 = plot::HvPeak{summary->f0, summary->a0};
            hv_picture.f0_spread = summary->f0_spread;
        } else if (auto peak = smoothing::peak_in_range(hv->frequency, hv->mean, 0.0, INFINITY)) {
            hv_picture.f0 = plot::HvPeak{hv->frequency[*peak], hv->mean[*peak]};
        }
        if (auto why = staged.write("hv.svg", plot::hv_svg(hv_picture))) throw FileFault{*why};
    }
    // The response spectra, when the run computed them.
    if (std::error_code ec; fs::exists(dir / "response.csv", ec)) {
        plot::ResponsePicture response = read_response_table(dir / "response.csv");
        response.record = name;
        if (auto why = staged.write("response.svg", plot::response_svg(response))) {
            throw FileFault{*why};
        }
    }
    stage_processing_pictures(dir, name, staged);
    if (auto why = staged.commit()) throw FileFault{*why};
}

}  // namespace

int run_plot(std::span<const std::string> args) {
    static constexpr KnownOption kKnownOptions[] = {
        {"output", 0, true}, {"record", 0, true}, {"help", 'h', false}};
    PlotOptions options;
    std::vector<std::string> dirs;
    try {
        ParsedArguments parsed = parse_options(args, kKnownOptions);
        for (const ParsedOption& o : parsed.options) {
            if (o.long_name == "help") return print_help("plot");
            if (o.value.empty())
                throw UsageError("option '--" + std::string(o.long_name) + "' needs a value");
            if (o.long_name == "output") options.output = o.value;
            if (o.long_name == "record") options.record = fs::path(o.value);
        }
        dirs = std::move(parsed.operands);
        if (dirs.empty()) throw UsageError("no directory given");
        if (options.record && dirs.size() > 1) {
            throw UsageError("--record goes with one directory only");
        }
    } catch (const UsageError& e) {
        report_usage_error("plot", e.what());
        return kUsageError;
    }

    int status = kSuccess;
    for (const std::string& dir : dirs) {
        try {
            plot_directory(fs::path(dir), options);
        } catch (const FileFault& fault) {
            std::fputs(("wavespec plot: " + printable_line(fault.line) + "\n").c_str(), stderr);
            status = kSomeRecordFailed;
        } catch (const std::exception& e) {
            std::fputs(
                ("wavespec plot: " + printable_name(dir) + ": " + printable_line(e.what()) + "\n")
                    .c_str(),
                stderr);
            status = kSomeRecordFailed;
        }
    }
    return status;
}

}  // namespace wavespec::cli
