#include "dialogue/run_sequence.hpp"

#include <cmath>
#include <span>
#include <string>

#include "dialogue/dump_files.hpp"
#include "dialogue/output_waveform.hpp"
#include "dialogue/spectrum_files.hpp"
#include "dialogue/waveform_reader.hpp"
#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_input.hpp"
#include "records/list_output.hpp"
#include "spectral/bandpass.hpp"
#include "spectral/integration.hpp"
#include "spectral/reconstruction.hpp"
#include "spectral/spectrum_prep.hpp"
#include "spectral/time_window.hpp"

namespace wavespec {
namespace {

constexpr int kMom = static_cast<int>(kCapacity);

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

template <typename T>
std::span<T> first(ZeroedArray<T>& v, std::int64_t n) {
    return std::span<T>(v).first(static_cast<std::size_t>(n));
}

}  // namespace

void ask_waveform_file(RecordLayer& layer, RunState& state) {
    static const FormatProgram prompt("(/'Enter input file of waveform data')");
    state.infile = ask_file_name(layer, prompt);
    // Reading only: a name that names no file is an open error and creates nothing.
    layer.open(kWaveformUnit, state.infile, RecordLayer::OpenMode::read_only);
    read_waveform_records(layer, kWaveformUnit, state);
    layer.close(kWaveformUnit);
}

void report_record(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    ListWriter(layer, kConsole).text("NT and DT=").integer(state.nt).real(state.dt);
    if (state.nt < 2 || state.dt == 0.0 || !std::isfinite(state.dt)) {
        layer.flush(kConsole);
        std::string why =
            state.nt < 2 ? "the record holds " + std::to_string(state.nt) + " complete sample set" +
                               (state.nt == 1 ? "" : "s") + "; at least two are needed"
                         : std::string(state.dt == 0.0 ? "its first two times are equal"
                                                       : "its first two times do not give a finite "
                                                         "difference");
        layer.refuse("wavespec: no usable sampling interval: " + why +
                         ". The record needs at least two sample sets whose first two times "
                         "differ; nothing was written.",
                     kRefusalExitStatus);
    }
}

void ask_polarity(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, " Change +/-? (YES=1)?? :");
    ask(layer, state.myes);
    if (state.myes != 1) return;
    auto nt = static_cast<std::size_t>(state.nt);
    say_empty(layer);
    say(layer, " Change from + to - of FILE 1 ? (YES=1)?? :");
    ask(layer, state.my1);
    if (state.my1 == 1) invert_polarity(std::span(state.xr1).first(std::min(nt, kCapacity)));
    say(layer, " Change from + to - of FILE 2 ? (YES=1)?? :");
    ask(layer, state.my2);
    if (state.my2 == 1) invert_polarity(std::span(state.xr2).first(std::min(nt, kCapacity)));
    say(layer, " Change from + to - of FILE 3 ? (YES=1)?? :");
    ask(layer, state.my3);
    if (state.my3 == 1) invert_polarity(std::span(state.xr3).first(std::min(nt, kCapacity)));
}

void prepare_spectra(RecordLayer& layer, RunState& state) {
    auto length = choose_transform_length(state.nt);
    if (!length) {
        say(layer, " NT>2**15 !!!!!");
        layer.stop();
    }
    state.if1 = length->exponent;
    state.nf = length->length;
    say_empty(layer);
    ListWriter(layer, kConsole).text(" IF1,NF=").integer(state.if1).integer(state.nf);

    std::int64_t nf = state.nf;
    std::int64_t nt = state.nt;
    forward_spectrum(first(state.xr1, nt), first(state.fx1, nf), kMom, state.dt);
    forward_spectrum(first(state.xr2, nt), first(state.fx2, nf), kMom, state.dt);
    forward_spectrum(first(state.xr3, nt), first(state.fx3, nf), kMom, state.dt);
    FrequencyGrid grid = frequency_grid(state.nf, state.dt);
    state.dur = grid.dur;
    state.dom = grid.dom;
    state.nom = grid.nom;
    state.eom = grid.eom;
    say_empty(layer);
    ListWriter(layer, kConsole)
        .text(" DUR,DOM,NOM,EOM=")
        .real(state.dur)
        .real(state.dom)
        .integer(state.nom)
        .real(state.eom);
    ListWriter(layer, kConsole).text(" Highest Frequency (hz)=").real(state.eom / kTwoPi);
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
    std::int64_t nom = state.nom;
    apply_bandpass({state.fl1, state.fl2, state.fh1, state.fh2}, state.dom, first(state.fx1, nom),
                   first(state.fx2, nom), first(state.fx3, nom));
}

void ask_operation(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, " Integration/Differentiation:");
    say(layer, " NO Change         :                 (Enter=0)");
    say(layer, " Integration       : Ex.) acc -> vel (Enter=1)");
    say(layer, " Double Integration: Ex.) acc -> dis (Enter=2)");
    say(layer, " Differentiation:  : Ex.) Vel -> acc (Enter=3)");
    ask(layer, state.nit);
    std::int64_t nom = state.nom;
    apply_operation(operation_for_answer(state.nit), state.dom, first(state.fx1, nom),
                    first(state.fx2, nom), first(state.fx3, nom));
}

void store_spectra(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, "Fourier Spectrum data are stored in \"amp3.csv\"");
    say(layer, "Complex Fourier Spectrum are stored in \"amp-c.csv\"");
    write_spectrum_files(layer, state);
}

void reconstruct(RecordLayer& layer, RunState& state) {
    std::int64_t nf = state.nf;
    conjugate_fill(first(state.fx1, nf));
    conjugate_fill(first(state.fx2, nf));
    conjugate_fill(first(state.fx3, nf));
    {
        // The dumps' text cache is released before the output series are first written.
        TransformDumps dumps(layer);
        dumps.dump_spectrum(first(state.fx1, nf));
        wvfast(state.nf, state.fx1, kMom, 1, &dumps);
        wvfast(state.nf, state.fx2, kMom, 1, &dumps);
        wvfast(state.nf, state.fx3, kMom, 1, &dumps);
    }
    RescaleDump rescale_dump(layer, state.dur);
    rescale(first(state.fx1, nf), first(state.fx2, nf), first(state.fx3, nf), state.dur,
            first(state.xr1, nf), first(state.xr2, nf), first(state.xr3, nf), &rescale_dump);
    auto nt = static_cast<std::ptrdiff_t>(state.nt);
    std::copy(state.xr1.begin(), state.xr1.begin() + nt, state.x1.begin());
    std::copy(state.xr2.begin(), state.xr2.begin() + nt, state.x2.begin());
    std::copy(state.xr3.begin(), state.xr3.begin() + nt, state.x3.begin());
}

void ask_window(RecordLayer& layer, RunState& state) {
    say_empty(layer);
    say(layer, "Cutting data? (No=0,Yes=1)");
    ask(layer, state.icut);
    if (state.icut != 1) return;
    say(layer, "Enter Starting Time (sec)");
    ask(layer, state.stime);
    auto nstime = samples_in(state.stime, state.dt);
    if (!nstime) {
        layer.flush(kConsole);
        layer.refuse("wavespec: the starting time of the window is " + std::to_string(state.stime) +
                         " s, which is not a sample count the tool "
                         "can hold; the window must start within about 2^31 samples of the "
                         "record's start. The spectrum and dump files are complete; no output "
                         "waveform was written.",
                     kRefusalExitStatus);
    }
    state.nstime = *nstime;
    ListWriter(layer, kConsole).text("Number of Cutting Data =").integer(state.nstime);
    say(layer, "Enter Duration (sec)");
    ask(layer, state.dur);
    auto count = samples_in(state.dur, state.dt);
    if (!count || *count >= kSeriesCapacity) {
        layer.flush(kConsole);
        layer.refuse("wavespec: a window of " + std::to_string(state.dur) +
                         " s is too long: it may hold at most " + std::to_string(kSeriesCapacity) +
                         " samples (a duration below " + std::to_string(kSeriesCapacity) +
                         " sampling intervals). The spectrum and dump files are complete; no "
                         "output waveform was written.",
                     kRefusalExitStatus);
    }
    state.ndur = *count + 1;
    ListWriter(layer, kConsole).text("Number of data =").integer(state.ndur);
    if (state.ndur > 0) {
        std::int64_t ndur = state.ndur;
        cut_window(state.xr1, state.nstime, first(state.x1, ndur));
        cut_window(state.xr2, state.nstime, first(state.x2, ndur));
        cut_window(state.xr3, state.nstime, first(state.x3, ndur));
    }
    state.nt = state.ndur;
    ListWriter(layer, kConsole).text("New nt =").integer(state.nt);
}

void write_output(RecordLayer& layer, RunState& state) {
    static const FormatProgram prompt("(/' Enter output file name of waveform (csv format file)')");
    say_empty(layer);
    say(layer, "Skip Data (no=0; yes=skip number)?");
    ask(layer, state.iskip);
    Thinning thinning = thinning_for(state.iskip, state.nt);
    state.infile = ask_file_name(layer, prompt);
    write_output_waveform(layer, state.infile, state, thinning);
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
