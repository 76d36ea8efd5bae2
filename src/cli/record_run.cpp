#include "cli/record_run.hpp"

#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "cli/files_in_flight.hpp"
#include "cli/finite_values.hpp"
#include "cli/full_layout_files.hpp"
#include "cli/record_bounds.hpp"
#include "cli/record_loading.hpp"
#include "cli/record_read_failure.hpp"
#include "cli/response_files.hpp"
#include "cli/run_pictures.hpp"
#include "cli/smoothing_files.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/record_steps.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/waveform_reader.hpp"
#include "formats/file_trace.hpp"
#include "records/record_layer.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec::cli {
namespace {

void give_back_freed_memory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// A record that cannot be processed; the message says why in a user's words.
struct RecordRefused {
    std::string why;
};

// The user's words for a failure of the record layer while this record was processed.
ReadFailureText describe(const RecordFailure& failure, const RecordJob& job,
                         const StagedFiles& staged) {
    if (auto read = describe_read_failure(failure, job.input.paths.front())) return *read;
    std::string file = failure.unit_name.empty() ? "unit " + std::to_string(failure.unit)
                                                 : staged.final_path_of(failure.unit_name);
    return {"", "cannot write " + file + ": " + failure.what()};
}

// A file of the run that is one of the record's own files would destroy it (for instance
// "process wave.csv" with the default output name).
void refuse_overwriting_the_record(const RecordJob& job, const ProcessOptions& options) {
    std::vector<std::string> finals = {"amp3.csv", "amp-c.csv", options.output};
    if (options.dumps)
        finals.insert(finals.end(), {"fort.67", "fort.68", "fort.69", "fort.88", "fort.89"});
    if (options.plot) finals.insert(finals.end(), {"spectra.svg", "waveform.svg"});
    for (std::string& name : smoothing_file_names(options.smoothing, options.plot)) {
        finals.push_back(std::move(name));
    }
    for (std::string& name : response_file_names(options)) finals.push_back(std::move(name));
    for (const std::string& name : finals) {
        std::filesystem::path file = job.target / name;
        for (const std::string& path : job.input.paths) {
            std::error_code error;
            if (std::filesystem::equivalent(file, path, error)) {
                throw RecordRefused{"the run would write " + file.string() +
                                    " over the record itself; choose another --output or -C"};
            }
        }
    }
}

// The files beside the dialogue's: computed from the series, never holding nan or inf.
bool asks_for_new_files(const ProcessOptions& options) {
    return options.layout == FileLayout::full || options.response_spectra ||
           options.smoothing.window || options.smoothing.hv_window_seconds;
}

void process(const RecordJob& job, const ProcessOptions& options, StagedFiles& staged,
             std::unique_ptr<RunState>& state_holder, std::vector<std::string>& notes) {
    RecordLayer layer({.set_binary_mode = false}, RecordLayer::FailureMode::throw_failure);
    const bool full = options.layout == FileLayout::full;
    if (job.input.format == formats::InputFormat::csv) {
        const std::string& path = job.input.paths.front();
        state_holder = full ? full_layout_state(count_lines(path)) : std::make_unique<RunState>();
        read_waveform_file(layer, path, *state_holder, RecordLayer::NameForm::exact);
    } else {
        formats::WaveformRecord record = formats::read_record(job.input, options.read);
        notes = std::move(record.notes);
        state_holder = full ? full_layout_state(record.components[0].samples.size())
                            : std::make_unique<RunState>();
        load_record(record, *state_holder);
    }
    RunState& state = *state_holder;
    if (asks_for_new_files(options)) {
        if (auto why = non_finite_sample(state)) throw RecordRefused{*why};
    }
    // The times have given dt and are not read again: a long record's memory goes back now.
    // So does what reading freed among blocks still in use (the file's bytes, the decoder's
    // lists), which the allocator would otherwise keep resident through the transforms.
    if (full) {
        state.time = ZeroedArray<double>(kCapacity);
        give_back_freed_memory();
    }
    if (auto why = sampling_interval_problem(state)) {
        throw RecordRefused{"no usable sampling interval: " + *why};
    }
    std::int32_t record_length = state.nt;
    RunPictures pictures;
    if (options.plot) pictures.keep_record(state);
    state.myes = options.invert[0] || options.invert[1] || options.invert[2] ? 1 : 0;
    state.my1 = options.invert[0] ? 1 : 0;
    state.my2 = options.invert[1] ? 1 : 0;
    state.my3 = options.invert[2] ? 1 : 0;
    apply_polarity(state);
    // The noise windows of --hv-windows are cut from the series as read, after the transform.
    const SpentArrays series_after_transform =
        options.smoothing.hv_window_seconds ? SpentArrays::keep : SpentArrays::release;
    if (full && !compute_spectra(state, kLongestFullRecord, series_after_transform)) {
        throw RecordRefused{"more than 16777216 sample sets (" + std::to_string(record_length) +
                            "); --layout=full takes at most 16777216"};
    }
    if (!full && !compute_spectra(state)) {
        throw RecordRefused{"more than 32768 sample sets (" + std::to_string(record_length) +
                            "); the transform takes at most 32768 (--layout=full takes more)"};
    }
    // A long record's forward transform tables are not used again: the inverse ones take
    // their place. (Its samples went as they were transformed.)
    if (state.nf > kMaxTransformLength) release_transform_tables();
    if (auto why = record_bounds_problem(options, state.nt, state.dt, state.nf)) {
        throw RecordRefused{*why};
    }
    if (options.bandpass) {
        state.nbd = 1;
        state.fl1 = (*options.bandpass)[0];
        state.fl2 = (*options.bandpass)[1];
        state.fh1 = (*options.bandpass)[2];
        state.fh2 = (*options.bandpass)[3];
        apply_bandpass(state);
    }
    if (options.response_spectra) {
        if (auto why = write_response_files(staged, state, options, job.record)) {
            throw RecordRefused{*why};
        }
    }
    state.nit = options.operation;
    apply_operation(state);

    RunFileNames names;
    names.amplitude = staged.stage("amp3.csv");
    names.complex = staged.stage("amp-c.csv");
    if (options.dumps) {
        for (std::size_t i = 0; i < kDumpUnits.size(); ++i) {
            names.dumps[i] = staged.stage("fort." + std::to_string(kDumpUnits[i]));
        }
    }
    if (full) {
        write_full_spectra(names.amplitude, names.complex, state,
                           staged.final_path_of(names.amplitude),
                           staged.final_path_of(names.complex));
    } else {
        write_spectra(layer, state, names);
    }
    if (options.plot) pictures.keep_spectra(state);
    RecordSmoothing smoothing;
    if (auto why = smoothing.compute(state, options.smoothing, smoothing_threads(options))) {
        throw RecordRefused{*why};
    }
    if (auto why = smoothing.write(staged, state, options.smoothing)) throw RecordRefused{*why};
    if (options.plot) pictures.keep_smoothing(smoothing);
    // The full layout writes an unwindowed output straight from the reconstructed series.
    const bool from_reconstructed = full && !options.window && !options.plot;
    reconstruct_series(layer, state, names, options.dumps, !from_reconstructed,
                       full ? SpentArrays::release : SpentArrays::keep);
    if (state.nf > kMaxTransformLength) release_transform_tables();
    // The dialogue's dumps are closed at its stop; here each is closed now, so that a write
    // that fails at the close fails the record instead of going unnoticed.
    if (options.dumps) {
        for (int unit : kDumpUnits) layer.close(unit);
    }
    if (options.window) {
        state.icut = 1;
        state.stime = (*options.window)[0];
        if (auto why = window_start_problem(state)) throw RecordRefused{"window refused: " + *why};
        state.dur = (*options.window)[1];
        if (auto why = window_length_problem(state)) throw RecordRefused{"window refused: " + *why};
        apply_window(state);
    }
    // A skip that passes the last sample can only be a mistake: the output would keep only its
    // first sample.
    if (options.skip > 0 && options.skip >= state.nt) {
        throw RecordRefused{"--skip=" + std::to_string(options.skip) + " passes the end of the " +
                            std::to_string(state.nt) + " output samples"};
    }
    state.iskip = options.skip;
    std::string output = staged.stage(options.output);
    if (full) {
        write_full_output(output, state, from_reconstructed, staged.final_path_of(output));
    } else {
        write_output_file(layer, output, state);
    }
    if (options.plot) {
        if (auto why = pictures.write(staged, state, options, job.record, record_length)) {
            throw RecordRefused{*why};
        }
    }
    state.nt = record_length;
}

}  // namespace

RecordResult run_record(const RecordJob& job, const ProcessOptions& options) {
    std::unique_ptr<RunState> state;
    std::error_code error;
    bool created = false;
    {
        // Made and tracked at once, so that an interruption finds it.
        auto lock = files_in_flight::hold();
        created = std::filesystem::create_directories(job.target, error);
        if (created) files_in_flight::track_directory(job.target.string());
    }
    if (error) {
        return {false,
                job.record + ": cannot create the directory " + job.target.string() + ": " +
                    error.message(),
                {}};
    }
    std::optional<std::string> why;
    std::string place;
    std::vector<std::string> notes;
    {
        StagedFiles staged(job.target, job.token);
        try {
            refuse_overwriting_the_record(job, options);
            process(job, options, staged, state, notes);
            if (auto failure = staged.commit()) why = *failure;
        } catch (const RecordRefused& refused) {
            why = refused.why;
        } catch (const RecordFailure& failure) {
            ReadFailureText text = describe(failure, job, staged);
            place = std::move(text.place);
            why = std::move(text.why);
        } catch (const formats::FormatError& format_error) {
            why = format_error.what();
        } catch (const FileWriteError& write_error) {
            why = write_error.what();
        } catch (const std::exception& other) {
            // Anything else (memory, the file system) fails this record alone.
            why = std::string("cannot be processed: ") + other.what();
        }
    }
    if (created) {
        auto lock = files_in_flight::hold();
        files_in_flight::forget_directory(job.target.string());
        // A directory made for this record alone goes again with its temporary files.
        if (why) std::filesystem::remove(job.target, error);
    }
    if (why) {
        return {false, job.record + place + ": " + *why, std::move(notes)};
    }
    return {true,
            job.record + ": nt " + std::to_string(state->nt) + ", dt " +
                formats::shortest_text(state->dt) + ", nf " + std::to_string(state->nf) +
                ", files in " + job.target.string(),
            std::move(notes)};
}

}  // namespace wavespec::cli
