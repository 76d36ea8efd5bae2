#include "cli/record_run.hpp"

#include <algorithm>
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
#include "cli/processing_files.hpp"
#include "cli/record_bounds.hpp"
#include "cli/record_files.hpp"
#include "cli/record_loading.hpp"
#include "cli/record_read_failure.hpp"
#include "cli/response_files.hpp"
#include "cli/run_json.hpp"
#include "cli/run_pictures.hpp"
#include "cli/smoothing_files.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/record_steps.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/waveform_reader.hpp"
#include "formats/file_trace.hpp"
#include "job/instrument_correction.hpp"
#include "records/printable_text.hpp"
#include "records/record_layer.hpp"
#include "run/record_runner.hpp"
#include "spectral/spectrum_prep.hpp"

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
    std::vector<std::string> finals = record_file_names(options);
    finals.push_back(options.output);
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

// Whether the file is one the run reads: a record's file, or the inventory.
bool is_an_input(const std::filesystem::path& file, const RecordJob& job,
                 const ProcessOptions& options) {
    std::vector<std::string> inputs = options.records;
    inputs.insert(inputs.end(), job.input.paths.begin(), job.input.paths.end());
    if (options.inventory.inventory) inputs.push_back(*options.inventory.inventory);
    return std::any_of(inputs.begin(), inputs.end(), [&](const std::string& input) {
        std::error_code error;
        return std::filesystem::equivalent(file, input, error);
    });
}

// The files of the tool's own names that an earlier run left in the record's directory and
// this run does not write go in the record's commit: the directory then holds one run's
// files, never a mixture that plot would draw. Files of other names, and the run's inputs,
// are never touched.
void remove_earlier_files(const RecordJob& job, const ProcessOptions& options,
                          StagedFiles& staged) {
    const std::vector<std::string> written = record_file_names(options);
    for (const RecordFile& file : record_files()) {
        if (std::find(written.begin(), written.end(), file.name) != written.end()) continue;
        if (is_an_input(job.target / file.name, job, options)) continue;
        staged.remove_at_commit(file.name);
    }
}

// The files beside the dialogue's: computed from the series, never holding nan or inf.
bool asks_for_new_files(const ProcessOptions& options) {
    return options.layout == FileLayout::full || options.response_spectra ||
           options.smoothing.window || options.smoothing.hv_window_seconds ||
           options.processing.asked;
}

// One record's run: read, checked, then the steps in the dialogue's order, each result
// written or kept for the pictures as it stands; each throws to fail the record.
class RecordProcess : public run::RecordSink {
  public:
    RecordProcess(const RecordJob& job, const ProcessOptions& options, StagedFiles& staged)
        : job_(job), options_(options), staged_(staged) {}

    void run(std::unique_ptr<RunState>& state_holder, std::vector<std::string>& notes) {
        read(state_holder, notes);
        check_series(*state_holder);
        run::RunShape shape;
        shape.longest = full_ ? kLongestFullRecord : kMaxTransformLength;
        shape.too_long = full_ ? "; --layout=full takes at most 16777216"
                               : "; the transform takes at most 32768 (--layout=full takes more)";
        shape.spent = full_ ? SpentArrays::release : SpentArrays::keep;
        // The full layout writes an unwindowed output straight from the reconstructed series.
        from_reconstructed_ = full_ && !options_.window && !options_.plot;
        shape.fill_output = !from_reconstructed_;
        if (options_.dumps) {
            shape.dump_layer = &layer_;
            shape.dump_names = &names_;
        }
        try {
            run::run_record_steps(state_holder, options_, job_.record, shape, *this);
        } catch (const run::StepRefused& refused) {
            throw RecordRefused{refused.what()};
        }
        state_holder->nt = record_length_;
    }

    // The units the record was taken to by --inventory, for the run's line; empty without.
    const std::string& units() const { return units_; }
    const RecordDescription& description() const { return description_; }

  private:
    void read(std::unique_ptr<RunState>& state_holder, std::vector<std::string>& notes) {
        if (job_.input.format == formats::InputFormat::csv) {
            const std::string& path = job_.input.paths.front();
            state_holder =
                full_ ? full_layout_state(count_lines(path)) : std::make_unique<RunState>();
            if (options_.inventory.rotate) {
                throw RecordRefused{path + ": --rotate: a CSV record gives no azimuths to turn"};
            }
            read_waveform_file(layer_, path, *state_holder, RecordLayer::NameForm::exact);
        } else {
            formats::WaveformRecord record = formats::read_record(
                job_.input, job::reading_for(options_.read, options_.inventory));
            // Response spectra are of ground acceleration: a record the file says is velocity
            // or displacement has none.
            if (options_.response_spectra && !options_.inventory.epochs && record.quantity &&
                *record.quantity != formats::Quantity::acceleration) {
                throw RecordRefused{"--response-spectra takes acceleration, and the record is " +
                                    std::string(formats::quantity_name(*record.quantity)) + " (" +
                                    record.format + ")"};
            }
            units_ = job::correct_record(record, options_.inventory);
            description_ = describe_read_record(record, job_.input, options_.inventory);
            notes = std::move(record.notes);
            state_holder = full_ ? full_layout_state(record.components[0].samples.size())
                                 : std::make_unique<RunState>();
            load_record(record, *state_holder);
        }
    }

    void check_series(RunState& state) {
        describe_series(description_, state);
        if (asks_for_new_files(options_)) {
            if (auto why = non_finite_sample(state)) throw RecordRefused{*why};
        }
        // The times have given dt and are not read again: a long record's memory goes back
        // now. So does what reading freed among blocks still in use (the file's bytes, the
        // decoder's lists), which the allocator would otherwise keep resident through the
        // transforms.
        if (full_) {
            state.time = ZeroedArray<double>(kCapacity);
            give_back_freed_memory();
        }
        if (auto why = forward_interval_problem(state)) {
            throw RecordRefused{"no usable sampling interval: " + *why};
        }
        record_length_ = state.nt;
    }

    // processed.csv and processing.txt; the pads make the record longer, and the transform,
    // the files and the pictures see the processed record.
    void processed(const run::ProcessedAsRead& result, const RunState& read) override {
        if (auto why = stage_processing_files(staged_, result, read, options_.processing,
                                              job_.record, options_.plot)) {
            throw RecordRefused{*why};
        }
    }

    void record_ready(const RunState& state) override {
        record_length_ = state.nt;
        if (options_.plot) pictures_.keep_record(state);
    }

    // The bounds of the work first, at the transform length the record will take; then the
    // noise windows, cut from the series as read before the full layout's transform gives
    // their memory back.
    void transform_ready(const RunState& state, std::int32_t length) override {
        if (auto why = record_bounds_problem(options_, state.nt, state.dt, length)) {
            throw RecordRefused{*why};
        }
        if (auto why =
                smoothing_.compute_noise(state, options_.smoothing, smoothing_threads(options_))) {
            throw RecordRefused{*why};
        }
    }

    void band_passed(const RunState& state) override {
        if (!options_.response_spectra) return;
        if (auto why = write_response_files(staged_, state, options_, job_.record)) {
            throw RecordRefused{*why};
        }
    }

    void spectra_ready(const RunState& state) override {
        write_spectra_files(state);
        if (auto why = smoothing_.compute_smoothed(state, options_.smoothing,
                                                   smoothing_threads(options_))) {
            throw RecordRefused{*why};
        }
        if (auto why = smoothing_.write(staged_, state)) throw RecordRefused{*why};
        if (options_.plot) pictures_.keep_smoothing(smoothing_);
    }

    void write_spectra_files(const RunState& state) {
        names_.amplitude = staged_.stage("amp3.csv");
        names_.complex = staged_.stage("amp-c.csv");
        if (options_.dumps) {
            for (std::size_t i = 0; i < kDumpUnits.size(); ++i) {
                names_.dumps[i] = staged_.stage("fort." + std::to_string(kDumpUnits[i]));
            }
        }
        if (full_) {
            write_full_spectra(names_.amplitude, names_.complex, state,
                               staged_.final_path_of(names_.amplitude),
                               staged_.final_path_of(names_.complex), options_.threads_per_record);
        } else {
            write_spectra(layer_, state, names_);
        }
        if (options_.plot) pictures_.keep_spectra(state);
    }

    // The dialogue's dumps are closed at its stop; here each is closed now, so that a write
    // that fails at the close fails the record instead of going unnoticed.
    void series_ready(const RunState&) override {
        if (options_.dumps) {
            for (int unit : kDumpUnits) layer_.close(unit);
        }
    }

    void output_ready(const RunState& state) override {
        std::string output = staged_.stage(options_.output);
        if (full_) {
            write_full_output(output, state, from_reconstructed_, staged_.final_path_of(output),
                              options_.threads_per_record);
        } else {
            write_output_file(layer_, output, state);
        }
        if (options_.plot) {
            if (auto why = pictures_.write(staged_, state, options_, job_.record, record_length_)) {
                throw RecordRefused{*why};
            }
        }
    }

    std::string units_;
    RecordDescription description_;
    const RecordJob& job_;
    const ProcessOptions& options_;
    StagedFiles& staged_;
    RecordLayer layer_{{.set_binary_mode = false}, RecordLayer::FailureMode::throw_failure};
    const bool full_ = options_.layout == FileLayout::full;
    std::int32_t record_length_ = 0;
    RecordSmoothing smoothing_;  // the pictures draw from it at the end
    RunPictures pictures_;
    RunFileNames names_;
    bool from_reconstructed_ = false;
};

// The directories that making `target` would create, deepest first.
std::vector<std::filesystem::path> missing_directories(std::filesystem::path target) {
    target = target.lexically_normal();
    if (!target.has_filename()) target = target.parent_path();  // "a/b/"
    std::vector<std::filesystem::path> missing;
    std::error_code error;
    for (; !target.empty() && !std::filesystem::exists(target, error) && !error;
         target = target.parent_path()) {
        missing.push_back(target);
        if (target == target.root_path()) break;
    }
    return missing;
}

// run.json, staged last: it lists every file staged before it with its size.
std::optional<std::string> seal_with_run_file(StagedFiles& staged, const RecordJob& job,
                                              const ProcessOptions& options,
                                              const RecordDescription& description) {
    std::vector<SizedFile> outputs;
    for (auto& [name, size] : staged.staged_sizes()) outputs.push_back({name, size});
    return staged.write_seal(kRunFileName, run_json_text(job, options, description, outputs));
}

}  // namespace

RecordResult run_record(const RecordJob& job, const ProcessOptions& options) {
    std::unique_ptr<RunState> state;
    std::error_code error;
    std::vector<std::filesystem::path> created;
    {
        // Made and tracked at once, so that an interruption finds them; deepest first, so
        // that each is empty when its turn to go comes.
        auto lock = files_in_flight::hold();
        std::vector<std::filesystem::path> missing = missing_directories(job.target);
        std::filesystem::create_directories(job.target, error);
        if (!error) created = std::move(missing);
        for (const auto& directory : created) files_in_flight::track_directory(directory.string());
    }
    // The name as printed: a line break in it must not make a line like another record's.
    const std::string shown = printable_name(job.record);
    if (error) {
        return {false,
                shown + ": cannot create the directory " + printable_name(job.target.string()) +
                    ": " + error.message(),
                {}};
    }
    std::optional<std::string> why;
    std::string place;
    std::vector<std::string> notes;
    std::string units;
    {
        StagedFiles staged(job.target, job.token);
        try {
            refuse_overwriting_the_record(job, options);
            RecordProcess process(job, options, staged);
            process.run(state, notes);
            units = process.units();
            remove_earlier_files(job, options, staged);
            why = seal_with_run_file(staged, job, options, process.description());
            if (!why) why = staged.commit();
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
    if (!created.empty()) {
        auto lock = files_in_flight::hold();
        // The directories made for this record go again with its temporary files, each
        // only while empty: another record may have put its own files there meanwhile.
        for (const auto& directory : created) {
            files_in_flight::forget_directory(directory.string());
            if (why) std::filesystem::remove(directory, error);
        }
    }
    if (why) {
        return {false, shown + place + ": " + *why, std::move(notes)};
    }
    return {true,
            shown + ": nt " + std::to_string(state->nt) + ", dt " +
                formats::shortest_text(state->dt) + ", nf " + std::to_string(state->nf) +
                (units.empty() ? "" : ", " + units) + ", files in " +
                printable_name(job.target.string()),
            std::move(notes)};
}

}  // namespace wavespec::cli
