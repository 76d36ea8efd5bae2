#include "cli/record_run.hpp"

#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/full_layout_files.hpp"
#include "cli/record_loading.hpp"
#include "cli/run_pictures.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/record_steps.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/waveform_reader.hpp"
#include "formats/file_trace.hpp"
#include "records/record_layer.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec::cli {
namespace {

// A record that cannot be processed; the message says why in a user's words.
struct RecordRefused {
    std::string why;
};

// Line and column (from 1) of the value that a read stopped in, from the byte offset where it
// stopped: the column is where that value began, after the last separator.
std::string place_in_file(const std::string& path, std::uint64_t offset) {
    std::ifstream in(path, std::ios::binary);
    std::uint64_t line = 1, column = 1, value_start = 1;
    char buffer[1 << 16];
    std::uint64_t left = offset;
    while (left > 0 && in) {
        in.read(buffer, static_cast<std::streamsize>(std::min<std::uint64_t>(left, sizeof buffer)));
        auto got = static_cast<std::uint64_t>(in.gcount());
        if (got == 0) break;
        for (std::uint64_t i = 0; i < got; ++i) {
            char c = buffer[i];
            if (c == '\n') {
                ++line;
                column = value_start = 1;
                continue;
            }
            ++column;
            if (c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '/') value_start = column;
        }
        left -= got;
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(value_start);
}

// The user's words for a failure of the record layer while this record was processed.
std::string describe(const RecordFailure& failure, const RecordJob& job,
                     const StagedFiles& staged) {
    std::string first_line = failure.what();
    const std::string& path = job.input.paths.front();
    if (failure.unit == kWaveformUnit && failure.unit_name == path) {
        if (first_line.starts_with("open: ")) {
            return "cannot open the record: " + first_line.substr(6);
        }
        if (first_line.ends_with("end of file")) {
            return "the record ends before its header of four names is complete";
        }
        if (first_line.starts_with("read: "))
            return "cannot read the record: " + first_line.substr(6);
        std::string place = failure.input_offset ? place_in_file(path, *failure.input_offset) : "";
        return place + ": unreadable value (" + first_line + ")";
    }
    std::string file = failure.unit_name.empty() ? "unit " + std::to_string(failure.unit)
                                                 : staged.final_path_of(failure.unit_name);
    return "cannot write " + file + ": " + first_line;
}

// A file of the run that is one of the record's own files would destroy it (for instance
// "process wave.csv" with the default output name).
void refuse_overwriting_the_record(const RecordJob& job, const ProcessOptions& options) {
    std::vector<std::string> finals = {"amp3.csv", "amp-c.csv", options.output};
    if (options.dumps)
        finals.insert(finals.end(), {"fort.67", "fort.68", "fort.69", "fort.88", "fort.89"});
    if (options.plot) finals.insert(finals.end(), {"spectra.svg", "waveform.svg"});
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
    // The times have given dt and are not read again: a long record's memory goes back now.
    if (full) state.time = ZeroedArray<double>(kCapacity);
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
    if (full && !compute_spectra(state, kLongestFullRecord)) {
        throw RecordRefused{"more than 16777216 sample sets (" + std::to_string(record_length) +
                            "); --layout=full takes at most 16777216"};
    }
    if (!full && !compute_spectra(state)) {
        throw RecordRefused{"more than 32768 sample sets (" + std::to_string(record_length) +
                            "); the transform takes at most 32768 (--layout=full takes more)"};
    }
    // A long record's samples are not read again: the inverse transforms refill these arrays;
    // nor are the forward transform's tables, whose place the inverse ones take.
    if (full) release_series(state);
    if (state.nf > kMaxTransformLength) release_transform_tables();
    if (options.bandpass) {
        state.nbd = 1;
        state.fl1 = (*options.bandpass)[0];
        state.fl2 = (*options.bandpass)[1];
        state.fh1 = (*options.bandpass)[2];
        state.fh2 = (*options.bandpass)[3];
        apply_bandpass(state);
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
    // The full layout writes an unwindowed output straight from the reconstructed series.
    const bool from_reconstructed = full && !options.window && !options.plot;
    reconstruct_series(layer, state, names, options.dumps, !from_reconstructed);
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
    bool created = std::filesystem::create_directories(job.target, error);
    if (error) {
        return {false,
                job.record + ": cannot create the directory " + job.target.string() + ": " +
                    error.message(),
                {}};
    }
    std::optional<std::string> why;
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
            why = describe(failure, job, staged);
        } catch (const formats::FormatError& format_error) {
            why = format_error.what();
        } catch (const FileWriteError& write_error) {
            why = write_error.what();
        } catch (const std::exception& other) {
            // Anything else (memory, the file system) fails this record alone.
            why = std::string("cannot be processed: ") + other.what();
        }
    }
    if (why) {
        // A directory made for this record alone goes again with its temporary files.
        if (created) std::filesystem::remove(job.target, error);
        return {false, job.record + ": " + *why, std::move(notes)};
    }
    return {true,
            job.record + ": nt " + std::to_string(state->nt) + ", dt " +
                formats::shortest_text(state->dt) + ", nf " + std::to_string(state->nf) +
                ", files in " + job.target.string(),
            std::move(notes)};
}

}  // namespace wavespec::cli
