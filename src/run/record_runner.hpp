// One record's computation in the dialogue's order, shared by the command line and Python:
// processing of the record as read, the components' signs, the forward transforms, the
// band-pass, integration, the inverse transforms and the output's window. Each step's result
// is handed to a sink the moment it stands, typed as the run state and the processing's own
// result: a long record's arrays are given back between the steps, so a sink writes or copies
// what it needs before it returns. The sinks are the command line's files and Python's arrays.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "dialogue/record_steps.hpp"
#include "dialogue/run_state.hpp"
#include "job/record_job.hpp"
#include "records/record_layer.hpp"
#include "run/processing_step.hpp"

namespace wavespec::run {

// A record the steps cannot take; what() says why in a user's words.
class StepRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where the results go, in this order; each may throw to fail the record.
class RecordSink {
  public:
    virtual ~RecordSink() = default;
    // The record processed by --detrend .. --baseline, before it replaces the one read.
    virtual void processed(const ProcessedAsRead& /*result*/, const RunState& /*read*/) {}
    // The record the transform takes (processed, signs not yet changed).
    virtual void record_ready(const RunState& /*state*/) {}
    // The same with the components' signs changed, and the transform's length for it.
    virtual void transform_ready(const RunState& /*state*/, std::int32_t /*length*/) {}
    // The spectra band-passed, not yet integrated: the record's acceleration.
    virtual void band_passed(const RunState& /*state*/) {}
    // The spectra as amp3.csv shows them.
    virtual void spectra_ready(const RunState& /*state*/) {}
    // The series transformed back, before the output's window.
    virtual void series_ready(const RunState& /*state*/) {}
    // The output: the series windowed, its thinning set.
    virtual void output_ready(const RunState& /*state*/) {}
};

// How the run holds its arrays and what it writes on the way.
struct RunShape {
    std::int32_t longest = kMaxTransformLength;  // the longest transform (a power of two)
    // Said after "more than N sample sets (nt)" when the record needs a longer transform.
    std::string too_long;
    // Each series and spectrum given back once its step is done (a long record's run).
    SpentArrays spent = SpentArrays::keep;
    // Whether the output series x1..x3 are filled (otherwise the reconstructed xr1..xr3 are
    // the output, sparing a long record's copy).
    bool fill_output = true;
    // The diagnostic dumps, written while the series are transformed back; none without.
    RecordLayer* dump_layer = nullptr;
    const RunFileNames* dump_names = nullptr;
};

// Runs the steps on the loaded record; `state` may be replaced by a longer one (the pads).
// record_name finds the record's row of a table of corners. Throws StepRefused.
void run_record_steps(std::unique_ptr<RunState>& state, const job::RecordJob& job,
                      const std::string& record_name, const RunShape& shape, RecordSink& sink);

}  // namespace wavespec::run
