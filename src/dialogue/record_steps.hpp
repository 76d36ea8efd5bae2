// The steps of processing one record, on the run state, shared by the dialogue (which asks
// for the answers and reports on the console) and the command line (which takes them from
// options). Each writes the tool's own files through the record layer and nothing else.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue/run_state.hpp"
#include "records/record_layer.hpp"
#include "spectral/spectrum_prep.hpp"

namespace wavespec {

// Names of the files a run writes. The dialogue writes into the current directory under the
// fixed names; the command line may name them otherwise (for instance temporary names).
struct RunFileNames {
    std::string amplitude = "amp3.csv";
    std::string complex = "amp-c.csv";
    // Units 67, 68, 69, 88 and 89 in that order; empty: "fort.N" in the current directory.
    std::array<std::string, 5> dumps{};
};
inline constexpr std::array<int, 5> kDumpUnits = {67, 68, 69, 88, 89};

// Reads the waveform file (header and sample sets) into the state.
void read_waveform_file(RecordLayer& layer, std::string_view name, RunState& state,
                        RecordLayer::NameForm form = RecordLayer::NameForm::padded);
// Why the record has no usable sampling interval (fewer than two sample sets, equal first
// times, a non-finite difference), or nothing when it has one.
std::optional<std::string> sampling_interval_problem(const RunState& state);
// The same, and a negative interval (times that count down) as well: the command line's and
// Python's steps take dt as the length of a step forward in time (frequencies, oscillators,
// measures). The dialogue goes on with a negative interval, as it always has.
std::optional<std::string> forward_interval_problem(const RunState& state);
// Changes the sign of the components the polarity answers chose.
void apply_polarity(RunState& state);
// Whether a step gives back the memory of the arrays it reads for the last time, each as soon
// as it is done with it: a long record's run then holds only what later steps still read.
enum class SpentArrays { keep, release };

// The transform length, the scaled forward spectra and the frequency grid; false (nothing
// done) when the record has more sample sets than the longest transform allowed (the
// dialogue's 32768 unless the caller allows more) or than the state's arrays hold. With
// SpentArrays::release the series xr1..xr3 are emptied once transformed.
bool compute_spectra(RunState& state, std::int32_t longest = kMaxTransformLength,
                     SpentArrays series = SpentArrays::keep);
// The band-pass filter of the answers, if one was asked for.
void apply_bandpass(RunState& state);
// Integration, double integration or differentiation of the answer, if any.
void apply_operation(RunState& state);
// amp3.csv and amp-c.csv.
void write_spectra(RecordLayer& layer, const RunState& state, const RunFileNames& names);
// The inverse transforms back to the output series, with the diagnostic dumps if asked for.
// Without fill_output the output series x1..x3 are left as they are, for a caller that reads
// the reconstructed series xr1..xr3 themselves (and spares a long record's copy of them).
// With SpentArrays::release (and no dumps, which read all three) the spectra fx1..fx3 are
// emptied once transformed back.
void reconstruct_series(RecordLayer& layer, RunState& state, const RunFileNames& names,
                        bool write_dumps, bool fill_output = true,
                        SpentArrays spectra = SpentArrays::keep);
// The three components over the record's length as reconstruct_series would leave them in
// x1..x3 without dumps, computed on copies: the state's spectra stay as they are, for the
// steps that follow (integration, the run's own reconstruction).
std::array<std::vector<double>, 3> reconstructed_series(const RunState& state);
// The window's start and length as sample counts (nstime, ndur), or why they are refused.
std::optional<std::string> window_start_problem(RunState& state);
std::optional<std::string> window_length_problem(RunState& state);
// Refills the output series from the window and makes it the record's length.
void apply_window(RunState& state);
// The output waveform file with the skip answer's thinning.
void write_output_file(RecordLayer& layer, std::string_view name, const RunState& state);

}  // namespace wavespec
