#include "cli/processing_files.hpp"

#include <array>
#include <filesystem>
#include <vector>

#include "cli/block_writer.hpp"
#include "plot/processed_picture.hpp"
#include "plot/snr_picture.hpp"
#include "processing/snr_corners.hpp"
#include "processing/trapezoid.hpp"
#include "records/csv_fields.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::cli {
namespace {

using processing::ProcessedRecord;

// Time, then acceleration, velocity and displacement of each component; the integrals by the
// trapezoid rule from rest, computed row by row.
void write_processed_csv(StagedFiles& staged, const ProcessedRecord& record,
                         const std::array<std::string, 3>& names, double dt) {
    const std::string path = staged.stage("processed.csv");
    BlockWriter out(path, "processed.csv");
    std::vector<std::string> columns = {"time(s)"};
    for (const std::string& name : names) {
        for (const char* quantity : {" acceleration", " velocity", " displacement"}) {
            columns.push_back(name + quantity);
        }
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out.text(i == 0 ? columns[i] : "," + csv_field(columns[i]));
    }
    out.end_line();
    out.name_columns(columns);
    std::array<processing::TrapezoidIntegrals, 3> integrals;
    const std::size_t n = record.acceleration[0].size();
    for (std::size_t i = 0; i < n; ++i) {
        out.number(static_cast<double>(static_cast<std::int64_t>(i) - record.pads.before) * dt);
        for (std::size_t c = 0; c < 3; ++c) {
            const std::vector<double>& a = record.acceleration[c];
            if (i > 0) integrals[c].step(a[i - 1], a[i], dt);
            out.field(a[i]);
            out.field(integrals[c].velocity);
            out.field(integrals[c].displacement);
        }
        out.end_line();
    }
    out.close();
}

using SnrSet = std::array<processing::SnrCurves, 3>;

// frequency(Hz), then each component's smoothed signal and noise and their ratio.
std::string snr_table(const SnrSet& curves, const std::array<std::string, 3>& names) {
    std::string text = "frequency(Hz)";
    for (const std::string& name : names) {
        for (const char* column : {" signal", " noise", " SNR"})
            text += "," + csv_field(name + column);
    }
    text += "\n";
    for (std::size_t j = 0; j < curves[0].frequency.size(); ++j) {
        text += shortest_text(curves[0].frequency[j]);
        for (const processing::SnrCurves& c : curves) {
            for (double v : {c.signal[j], c.noise[j], c.snr[j]}) text += "," + shortest_text(v);
        }
        text += "\n";
    }
    return text;
}

}  // namespace

// processed.svg: the three quantities of each component, integrated as processed.csv has them.
std::optional<std::string> write_processed_picture(StagedFiles& staged,
                                                   const run::ProcessedAsRead& out,
                                                   const std::string& record_name,
                                                   std::int64_t record_samples, double dt) {
    std::array<std::vector<double>, 3> velocity, displacement;
    plot::ProcessedPicture picture{.record = std::filesystem::path(record_name).filename().string(),
                                   .names = out.names,
                                   .dt = dt,
                                   .pad_before = out.record.pads.before,
                                   .record_samples = record_samples,
                                   .series = {}};
    for (std::size_t c = 0; c < 3; ++c) {
        const std::vector<double>& a = out.record.acceleration[c];
        processing::TrapezoidIntegrals integrals;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (i > 0) integrals.step(a[i - 1], a[i], dt);
            velocity[c].push_back(integrals.velocity);
            displacement[c].push_back(integrals.displacement);
        }
        picture.series[c] = {a, velocity[c], displacement[c]};
    }
    return staged.write("processed.svg", plot::processed_svg(picture));
}

// snr.svg: the curves of snr.csv, the threshold and each component's corners.
std::optional<std::string> write_snr_picture(StagedFiles& staged, const run::ProcessedAsRead& out,
                                             const std::string& record_name, double threshold) {
    const SnrSet& curves = *out.snr;
    plot::SnrPicture picture{.record = std::filesystem::path(record_name).filename().string(),
                             .names = out.names,
                             .frequency = curves[0].frequency,
                             .signal = {curves[0].signal, curves[1].signal, curves[2].signal},
                             .noise = {curves[0].noise, curves[1].noise, curves[2].noise},
                             .snr = {curves[0].snr, curves[1].snr, curves[2].snr},
                             .threshold = threshold,
                             .corners = {}};
    for (std::size_t c = 0; c < 3; ++c) {
        picture.corners[c] = {out.steps.filters[c].highpass->hz, out.steps.filters[c].lowpass->hz};
    }
    return staged.write("snr.svg", plot::snr_svg(picture));
}

std::optional<std::string> stage_processing_files(StagedFiles& staged,
                                                  const run::ProcessedAsRead& out,
                                                  const RunState& read,
                                                  const ProcessingOptions& options,
                                                  const std::string& record_name, bool plot) {
    if (out.snr) {
        if (auto why = staged.write("snr.csv", snr_table(*out.snr, out.names))) return why;
    }
    write_processed_csv(staged, out.record, out.names, read.dt);
    if (auto why = staged.write("processing.txt", out.report)) return why;
    if (plot) {
        if (auto why = write_processed_picture(staged, out, record_name, read.nt, read.dt)) {
            return why;
        }
        if (out.snr) {
            if (auto why = write_snr_picture(staged, out, record_name, options.snr.threshold)) {
                return why;
            }
        }
    }
    return std::nullopt;
}

}  // namespace wavespec::cli
