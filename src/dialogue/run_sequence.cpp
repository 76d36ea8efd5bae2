#include "dialogue/run_sequence.hpp"

#include <string>

#include "dialogue/record_steps.hpp"
#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_input.hpp"
#include "records/list_output.hpp"
#include "spectral/spectrum_prep.hpp"

namespace wavespec {
namespace {

void say(RecordLayer& layer, std::string_view text) {
    ListWriter(layer, kConsole).text(text);
}
void say_empty(RecordLayer& layer) {
    ListWriter(layer, kConsole).end();
}

// Every answer is one list-directed read; the prompt is on the screen before it.
void ask(RecordLayer& layer, std::int32_t& answer) {
    layer.flush(kConsole);
    ListReader read(layer, kKeyboard, false);
    read.integer(answer);
    read.finish();
}

void ask(RecordLayer& layer, double& answer) {
    layer.flush(kConsole);
    ListReader read(layer, kKeyboard, false);
    read.real(answer);
    read.finish();
}

void pause(RecordLayer& layer) {
    layer.flush(kConsole);
    read_pause(layer, kKeyboard);
}

std::string ask_file_name(RecordLayer& layer, const FormatProgram& prompt) {
    static const FormatProgram name_field("(A30)");
    write_formatted(layer, kConsole, prompt, {});
    layer.flush(kConsole);
    return read_text_field(layer, kKeyboard, name_field);
}

}  // namespace

void ask_waveform_file(RecordLayer& layer, RunState& state) {
    static const FormatProgram prompt("(/'Enter input file of waveform data')");
    state.infile = ask_file_name(layer, prompt);
    read_waveform_file(layer, state.infile, state);
}

void report_record(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    ListWriter(layer, kConsole).text("NT and DT=").integer(state.nt).real(state.dt);
    if (auto why = sampling_interval_problem(state)) {
        layer.flush(kConsole);
        layer.refuse("wavespec: no usable sampling interval: " + *why +
                         ". The record needs at least two sample sets whose first two times "
                         "differ; nothing was written.",
                     kRefusalExitStatus);
    }
}

void ask_polarity(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, " Change +/-? (YES=1)?? :");
    ask(layer, state.myes);
    if (state.myes == 1) {
        say_empty(layer);
        say(layer, " Change from + to - of FILE 1 ? (YES=1)?? :");
        ask(layer, state.my1);
        say(layer, " Change from + to - of FILE 2 ? (YES=1)?? :");
        ask(layer, state.my2);
        say(layer, " Change from + to - of FILE 3 ? (YES=1)?? :");
        ask(layer, state.my3);
    }
    apply_polarity(state);
}

void prepare_spectra(RecordLayer& layer, RunState& state) {
    if (!compute_spectra(state)) {
        say(layer, " NT>2**15 !!!!!");
        layer.stop();
    }
    say_empty(layer);
    ListWriter(layer, kConsole).text(" IF1,NF=").integer(state.if1).integer(state.nf);
    say_empty(layer);
    ListWriter(layer, kConsole)
        .text(" DUR,DOM,NOM,EOM=")
        .real(state.dur)
        .real(state.dom)
        .integer(state.nom)
        .real(state.eom);
    ListWriter(layer, kConsole).text(" Highest Frequency (hz)=").real(state.eom / kDialogueTwoPi);
}

void ask_bandpass(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, " Band Pass Filter? (YES=1)?? :");
    ask(layer, state.nbd);
    if (state.nbd != 1) return;
    say_empty(layer);
    say(layer, "  TRAPEZOIDAL BAND PATH FILTER");
    say(layer, "  ENTER fL1<fL2<fH1<fH2 (Hz)");
    layer.flush(kConsole);
    {
        ListReader read(layer, kKeyboard, false);
        read.real(state.fl1);
        read.real(state.fl2);
        read.real(state.fh1);
        read.real(state.fh2);
        read.finish();
    }
    apply_bandpass(state);
}

void ask_operation(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, " Integration/Differentiation:");
    say(layer, " NO Change         :                 (Enter=0)");
    say(layer, " Integration       : Ex.) acc -> vel (Enter=1)");
    say(layer, " Double Integration: Ex.) acc -> dis (Enter=2)");
    say(layer, " Differentiation:  : Ex.) Vel -> acc (Enter=3)");
    ask(layer, state.nit);
    apply_operation(state);
}

void store_spectra(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, "Fourier Spectrum data are stored in \"amp3.csv\"");
    say(layer, "Complex Fourier Spectrum are stored in \"amp-c.csv\"");
    write_spectra(layer, state, RunFileNames{});
}

void reconstruct(RecordLayer& layer, RunState& state) {
    reconstruct_series(layer, state, RunFileNames{}, true);
}

void ask_window(RecordLayer& layer, RunState& state) {
    static constexpr std::string_view kFilesKept =
        " The spectrum and dump files are complete; no output waveform was written.";
    say_empty(layer);
    say(layer, "Cutting data? (No=0,Yes=1)");
    ask(layer, state.icut);
    if (state.icut != 1) return;
    say(layer, "Enter Starting Time (sec)");
    ask(layer, state.stime);
    if (auto why = window_start_problem(state)) {
        layer.flush(kConsole);
        layer.refuse("wavespec: " + *why + std::string(kFilesKept), kRefusalExitStatus);
    }
    ListWriter(layer, kConsole).text("Number of Cutting Data =").integer(state.nstime);
    say(layer, "Enter Duration (sec)");
    ask(layer, state.dur);
    if (auto why = window_length_problem(state)) {
        layer.flush(kConsole);
        layer.refuse("wavespec: " + *why + std::string(kFilesKept), kRefusalExitStatus);
    }
    ListWriter(layer, kConsole).text("Number of data =").integer(state.ndur);
    apply_window(state);
    ListWriter(layer, kConsole).text("New nt =").integer(state.nt);
}

void write_output(RecordLayer& layer, RunState& state) {
    static const FormatProgram prompt("(/' Enter output file name of waveform (csv format file)')");
    say_empty(layer);
    say(layer, "Skip Data (no=0; yes=skip number)?");
    ask(layer, state.iskip);
    state.infile = ask_file_name(layer, prompt);
    write_output_file(layer, state.infile, state);
}

void run_dialogue(RecordLayer& layer, RunState& state) {
    ask_waveform_file(layer, state);
    report_record(layer, state);
    ask_polarity(layer, state);
    prepare_spectra(layer, state);
    ask_bandpass(layer, state);
    ask_operation(layer, state);
    store_spectra(layer, state);
    reconstruct(layer, state);
    pause(layer);
    ask_window(layer, state);
    write_output(layer, state);
    pause(layer);
    layer.stop();
}

}  // namespace wavespec
