#include "cli/record_run.hpp"

#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/record_loading.hpp"
#include "cli/response_files.hpp"
#include "cli/run_pictures.hpp"
#include "cli/staged_files.hpp"
#include "dialogue/record_steps.hpp"
#include "dialogue/run_state.hpp"
#include "dialogue/waveform_reader.hpp"
#include "formats/file_trace.hpp"
#include "records/record_layer.hpp"

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

void process(const RecordJob& job, const ProcessOptions& options, StagedFiles& staged,
             RunState& state, std::vector<std::string>& notes) {
    RecordLayer layer({.set_binary_mode = false}, RecordLayer::FailureMode::throw_failure);
    if (job.input.format == formats::InputFormat::csv) {
        read_waveform_file(layer, job.input.paths.front(), state, RecordLayer::NameForm::exact);
    } else {
        formats::WaveformRecord record = formats::read_record(job.input, options.read);
        notes = std::move(record.notes);
        load_record(record, state);
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
    if (!compute_spectra(state)) {
        throw RecordRefused{"more than 32768 sample sets (" + std::to_string(record_length) +
                            "); the transform takes at most 32768"};
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
    write_spectra(layer, state, names);
    if (options.plot) pictures.keep_spectra(state);
    reconstruct_series(layer, state, names, options.dumps);
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
    write_output_file(layer, staged.stage(options.output), state);
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
            state = std::make_unique<RunState>();
            refuse_overwriting_the_record(job, options);
            process(job, options, staged, *state, notes);
            if (auto failure = staged.commit()) why = *failure;
        } catch (const RecordRefused& refused) {
            why = refused.why;
        } catch (const RecordFailure& failure) {
            why = describe(failure, job, staged);
        } catch (const formats::FormatError& format_error) {
            why = format_error.what();
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
