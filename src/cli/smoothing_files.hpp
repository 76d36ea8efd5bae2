// The smoothed spectra and H/V ratio of one record processed by "wavespec process":
// smoothed.csv from the spectra that amp3.csv holds, and hv.csv with hv-summary.txt (and
// hv-azimuth.csv) from ambient-noise windows of the record as read. Computed while the run
// state holds what they need, staged with the record's other files; a value that is not
// finite fails the record instead of reaching a file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/smoothing_options.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/run_state.hpp"
#include "smoothing/noise_hv.hpp"

namespace wavespec::cli {

struct ProcessOptions;

struct SmoothedRecord {
    std::vector<double> frequency;  // the grid's centres, Hz
    std::array<std::vector<double>, 3> smoothed;
    std::vector<double> hv;  // S[H] / S[|V|], H combined from the raw horizontals
};

class RecordSmoothing {
  public:
    // While the state holds the series as read (after polarity), before the transform gives
    // their memory back. Why not, when the record cannot give what the options ask for.
    std::optional<std::string> compute_noise(const RunState& state, const SmoothingOptions& options,
                                             unsigned threads);
    // While the state holds the spectra of amp3.csv.
    std::optional<std::string> compute_smoothed(const RunState& state,
                                                const SmoothingOptions& options, unsigned threads);
    // Stages smoothed.csv, hv.csv, hv-summary.txt and hv-azimuth.csv as computed; why not,
    // on failure.
    std::optional<std::string> write(StagedFiles& staged, const RunState& state) const;

    const std::optional<SmoothedRecord>& record() const { return record_; }
    const std::optional<smoothing::NoiseHv>& noise() const { return noise_; }
    // How the noise windows were computed; meaningful while noise() holds them.
    const smoothing::NoiseHvSettings& noise_settings() const { return noise_settings_; }

  private:
    std::optional<SmoothedRecord> record_;
    std::optional<smoothing::NoiseHv> noise_;
    smoothing::NoiseHvSettings noise_settings_;
};

// Threads for one record's smoothing: the jobs the batch leaves idle (-j over the records).
unsigned smoothing_threads(const ProcessOptions& options);

}  // namespace wavespec::cli
