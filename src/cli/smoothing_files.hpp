// The smoothed spectra and H/V ratio of one record processed by "wavespec process":
// smoothed.csv from the spectra that amp3.csv holds, and hv.csv with hv-summary.txt from
// ambient-noise windows of the record as read. Computed while the run state holds what they
// need, staged with the record's other files.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/smoothing_options.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/run_state.hpp"
#include "smoothing/hv_statistics.hpp"

namespace wavespec::cli {

struct ProcessOptions;

struct SmoothedRecord {
    std::vector<double> frequency;  // the grid's centres, Hz
    std::array<std::vector<double>, 3> smoothed;
    std::vector<double> hv;
};

struct NoiseHv {
    double window_seconds = 0.0;
    std::size_t window_samples = 0;
    std::vector<double> frequency;
    std::vector<std::vector<double>> windows;  // each window's H/V on the grid
    smoothing::HvStatistics statistics;
    smoothing::SesameReport report;
    double peak_mean = 0.0;  // mean of the windows' peak frequencies, Hz
    double peak_sd = 0.0;    // their standard deviation (N - 1), Hz
};

class RecordSmoothing {
  public:
    // While the state holds the spectra of amp3.csv and the series as read (after polarity).
    // Why not, when the record cannot give what the options ask for.
    std::optional<std::string> compute(const RunState& state, const SmoothingOptions& options,
                                       unsigned threads);
    // Stages smoothed.csv, hv.csv and hv-summary.txt as computed; why not, on failure.
    std::optional<std::string> write(StagedFiles& staged, const RunState& state,
                                     const SmoothingOptions& options) const;

    const std::optional<SmoothedRecord>& record() const { return record_; }
    const std::optional<NoiseHv>& noise() const { return noise_; }

  private:
    std::optional<SmoothedRecord> record_;
    std::optional<NoiseHv> noise_;
};

// hv.svg of the noise windows of the record of this name.
std::string hv_picture_svg(const NoiseHv& noise, const std::string& record,
                           const SmoothingOptions& options);

// Threads for one record's smoothing: the jobs the batch leaves idle (-j over the records).
unsigned smoothing_threads(const ProcessOptions& options);

}  // namespace wavespec::cli
