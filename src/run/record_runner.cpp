#include "run/record_runner.hpp"

#include "job/design_steps.hpp"
#include "spectral/spectrum_prep.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec::run {
namespace {

void process_record_as_read(std::unique_ptr<RunState>& state, const job::RecordJob& job,
                            const std::string& record_name, const RunShape& shape,
                            RecordSink& sink) {
    if (!job.processing.asked) return;
    ProcessedAsRead result;
    if (auto why = process_as_read(*state, job.processing, shape.longest, record_name, result)) {
        throw StepRefused(*why);
    }
    sink.processed(result, *state);
    put_processed(state, result.record);
}

void transform_forward(RunState& state, const RunShape& shape) {
    if (!compute_spectra(state, shape.longest, shape.spent)) {
        throw StepRefused("more than " + std::to_string(shape.longest) + " sample sets (" +
                          std::to_string(state.nt) + ")" + shape.too_long);
    }
    // A long record's forward transform tables are not used again: they become the inverse
    // ones in the same memory. (Its samples went as they were transformed.)
    if (state.nf > kMaxTransformLength) turn_transform_tables_around();
}

void transform_backward(RunState& state, const RunShape& shape) {
    if (shape.dump_layer != nullptr && shape.dump_names != nullptr) {
        reconstruct_series(*shape.dump_layer, state, *shape.dump_names, true, shape.fill_output,
                           shape.spent);
    } else {
        // No dumps: the layer is never written to.
        RecordLayer unused({.set_binary_mode = false}, RecordLayer::FailureMode::throw_failure);
        reconstruct_series(unused, state, RunFileNames{}, false, shape.fill_output, shape.spent);
    }
    if (state.nf > kMaxTransformLength) release_transform_tables();
}

}  // namespace

void run_record_steps(std::unique_ptr<RunState>& state, const job::RecordJob& job,
                      const std::string& record_name, const RunShape& shape, RecordSink& sink) {
    process_record_as_read(state, job, record_name, shape, sink);
    sink.record_ready(*state);
    job::apply_inversion(*state, job);
    if (auto length = choose_transform_length(state->nt, shape.longest)) {
        sink.transform_ready(*state, length->length);
    }
    transform_forward(*state, shape);
    job::apply_band_pass(*state, job);
    sink.band_passed(*state);
    job::apply_integration(*state, job);
    sink.spectra_ready(*state);
    transform_backward(*state, shape);
    sink.series_ready(*state);
    if (auto why = job::cut_output(*state, job)) throw StepRefused(*why);
    sink.output_ready(*state);
}

}  // namespace wavespec::run
