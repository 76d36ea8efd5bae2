// The pictures of one record processed by "wavespec process --plot": what they need is kept
// from the run state at the steps where it is there (the record as read, the amplitude
// spectra), since later steps overwrite it, and both SVGs are staged beside the run's files.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/process_options.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/run_state.hpp"

namespace wavespec::cli {

class RecordSmoothing;

class RunPictures {
  public:
    // Right after the record is read, before any step changes it.
    void keep_record(const RunState& state);
    // While the state holds the spectra that amp3.csv shows.
    void keep_spectra(const RunState& state);
    // The smoothed spectra and H/V curves to draw, if any; kept by reference.
    void keep_smoothing(const RecordSmoothing& smoothing) { smoothing_ = &smoothing; }
    // After the output waveform is written: stages spectra.svg and waveform.svg; why not, if
    // they could not be written.
    std::optional<std::string> write(StagedFiles& staged, const RunState& state,
                                     const ProcessOptions& options, const std::string& record,
                                     std::int32_t record_length) const;

  private:
    std::array<std::vector<double>, 3> record_;
    std::vector<double> frequency_;
    std::array<std::vector<double>, 3> amplitude_;
    const RecordSmoothing* smoothing_ = nullptr;
};

}  // namespace wavespec::cli
