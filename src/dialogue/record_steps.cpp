#include "dialogue/record_steps.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "dialogue/dump_files.hpp"
#include "dialogue/output_waveform.hpp"
#include "dialogue/spectrum_files.hpp"
#include "dialogue/waveform_reader.hpp"
#include "records/shortest_text.hpp"
#include "spectral/bandpass.hpp"
#include "spectral/integration.hpp"
#include "spectral/reconstruction.hpp"
#include "spectral/spectrum_prep.hpp"
#include "spectral/time_window.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec {
namespace {

// The declared extent of the spectra: 33000 for the dialogue, the record's for longer ones.
int extent(const RunState& state) {
    return static_cast<int>(state.fx1.size());
}

template <typename T>
std::span<T> first(ZeroedArray<T>& v, std::int64_t n) {
    return std::span<T>(v).first(static_cast<std::size_t>(n));
}

// Empties an array without changing its size: the fresh one's untouched pages cost nothing.
template <typename T>
void release(ZeroedArray<T>& v) {
    v = ZeroedArray<T>(v.size());
}

// One component back to the time domain, as every inverse path of the tool does it: the
// conjugate-symmetric upper half, the inverse transform in place, the real parts rescaled.
void transform_back(std::span<Complex> spectrum, int extent, double dur, std::span<double> series) {
    conjugate_fill(spectrum);
    wvfast(static_cast<int>(spectrum.size()), spectrum, extent, 1);
    rescale(spectrum, dur, series);
}

}  // namespace

void read_waveform_file(RecordLayer& layer, std::string_view name, RunState& state,
                        RecordLayer::NameForm form) {
    // Reading only: a name that names no file is an open error and creates nothing.
    layer.open(kWaveformUnit, name, RecordLayer::OpenMode::read_only, form);
    read_waveform_records(layer, kWaveformUnit, state);
    layer.close(kWaveformUnit);
}

std::optional<std::string> sampling_interval_problem(const RunState& state) {
    if (state.nt < 2) {
        return "the record holds " + std::to_string(state.nt) + " complete sample set" +
               (state.nt == 1 ? "" : "s") + "; at least two are needed";
    }
    if (state.dt == 0.0) return "its first two times are equal";
    if (!std::isfinite(state.dt)) return "its first two times do not give a finite difference";
    return std::nullopt;
}

std::optional<std::string> forward_interval_problem(const RunState& state) {
    if (auto why = sampling_interval_problem(state)) return why;
    if (state.dt < 0.0) {
        return "its times count down (the first two are " + shortest_text(state.dt) + " s apart)";
    }
    return std::nullopt;
}

void apply_polarity(RunState& state) {
    if (state.myes != 1) return;
    std::size_t n = std::min(static_cast<std::size_t>(state.nt), state.xr1.size());
    if (state.my1 == 1) invert_polarity(std::span<double>(state.xr1.data(), n));
    if (state.my2 == 1) invert_polarity(std::span<double>(state.xr2.data(), n));
    if (state.my3 == 1) invert_polarity(std::span<double>(state.xr3.data(), n));
}

bool compute_spectra(RunState& state, std::int32_t longest, SpentArrays series) {
    auto length = choose_transform_length(state.nt, longest);
    if (!length || static_cast<std::size_t>(length->length) > state.fx1.size()) return false;
    state.if1 = length->exponent;
    state.nf = length->length;
    std::int64_t nf = state.nf;
    std::int64_t nt = state.nt;
    const std::array<std::pair<ZeroedArray<double>*, ZeroedArray<Complex>*>, 3> components = {
        {{&state.xr1, &state.fx1}, {&state.xr2, &state.fx2}, {&state.xr3, &state.fx3}}};
    for (auto [xr, fx] : components) {
        forward_spectrum(first(*xr, nt), first(*fx, nf), extent(state), state.dt);
        if (series == SpentArrays::release) release(*xr);
    }
    FrequencyGrid grid = frequency_grid(state.nf, state.dt);
    state.dur = grid.dur;
    state.dom = grid.dom;
    state.nom = grid.nom;
    state.eom = grid.eom;
    return true;
}

void apply_bandpass(RunState& state) {
    if (state.nbd != 1) return;
    std::int64_t nom = state.nom;
    apply_bandpass({state.fl1, state.fl2, state.fh1, state.fh2}, state.dom, first(state.fx1, nom),
                   first(state.fx2, nom), first(state.fx3, nom));
}

void apply_operation(RunState& state) {
    std::int64_t nom = state.nom;
    apply_operation(operation_for_answer(state.nit), state.dom, first(state.fx1, nom),
                    first(state.fx2, nom), first(state.fx3, nom));
}

void write_spectra(RecordLayer& layer, const RunState& state, const RunFileNames& names) {
    write_spectrum_files(layer, state, names.amplitude, names.complex);
}

void reconstruct_series(RecordLayer& layer, RunState& state, const RunFileNames& names,
                        bool write_dumps, bool fill_output, SpentArrays spectra) {
    std::int64_t nf = state.nf;
    if (write_dumps) {
        conjugate_fill(first(state.fx1, nf));
        conjugate_fill(first(state.fx2, nf));
        conjugate_fill(first(state.fx3, nf));
        for (std::size_t i = 0; i < kDumpUnits.size(); ++i) {
            if (!names.dumps[i].empty()) {
                layer.open(kDumpUnits[i], names.dumps[i], RecordLayer::OpenMode::unknown_status);
            }
        }
        inverse_transforms_with_dumps(layer, state.nf, state.fx1, state.fx2, state.fx3);
        rescale(first(state.fx1, nf), first(state.fx2, nf), first(state.fx3, nf), state.dur,
                first(state.xr1, nf), first(state.xr2, nf), first(state.xr3, nf));
        write_rescaled_dump(layer, first(state.xr1, nf), state.dur);
    } else {
        const std::array<std::pair<ZeroedArray<Complex>*, ZeroedArray<double>*>, 3> components = {
            {{&state.fx1, &state.xr1}, {&state.fx2, &state.xr2}, {&state.fx3, &state.xr3}}};
        for (auto [fx, xr] : components) {
            transform_back(first(*fx, nf), extent(state), state.dur, first(*xr, nf));
            if (spectra == SpentArrays::release) release(*fx);
        }
    }
    if (!fill_output) return;
    auto nt = static_cast<std::ptrdiff_t>(state.nt);
    std::copy(state.xr1.begin(), state.xr1.begin() + nt, state.x1.begin());
    std::copy(state.xr2.begin(), state.xr2.begin() + nt, state.x2.begin());
    std::copy(state.xr3.begin(), state.xr3.begin() + nt, state.x3.begin());
}

std::array<std::vector<double>, 3> reconstructed_series(const RunState& state) {
    const auto nf = static_cast<std::size_t>(state.nf);
    const auto nt = static_cast<std::size_t>(state.nt);
    const ZeroedArray<Complex>* spectra[] = {&state.fx1, &state.fx2, &state.fx3};
    std::array<std::vector<double>, 3> series;
    // One component's copy of its spectrum at a time: a long record holds no more than that
    // beside the state and the series it gets (each of the record's length).
    std::vector<Complex> spectrum(nf);
    std::vector<double> transformed(nf);
    for (std::size_t c = 0; c < 3; ++c) {
        std::copy_n(spectra[c]->begin(), nf, spectrum.begin());
        transform_back(spectrum, state.nf, state.dur, transformed);
        series[c].assign(transformed.begin(),
                         transformed.begin() + static_cast<std::ptrdiff_t>(nt));
    }
    return series;
}

std::optional<std::string> window_start_problem(RunState& state) {
    auto nstime = samples_in(state.stime, state.dt);
    if (!nstime) {
        return "the starting time of the window is " + shortest_text(state.stime) +
               " s, which is not a sample count the tool can hold; the window must start "
               "within about 2^31 samples of the record's start.";
    }
    state.nstime = *nstime;
    return std::nullopt;
}

std::optional<std::string> window_length_problem(RunState& state) {
    auto count = samples_in(state.dur, state.dt);
    auto capacity = static_cast<std::int64_t>(state.x1.size());
    if (!count || *count >= capacity) {
        return "a window of " + shortest_text(state.dur) + " s is too long: it may hold at most " +
               std::to_string(capacity) + " samples (a duration below " + std::to_string(capacity) +
               " sampling intervals).";
    }
    state.ndur = *count + 1;
    return std::nullopt;
}

void apply_window(RunState& state) {
    if (state.ndur > 0) {
        std::int64_t ndur = state.ndur;
        cut_window(state.xr1, state.nstime, first(state.x1, ndur));
        cut_window(state.xr2, state.nstime, first(state.x2, ndur));
        cut_window(state.xr3, state.nstime, first(state.x3, ndur));
    }
    state.nt = state.ndur;
}

void write_output_file(RecordLayer& layer, std::string_view name, const RunState& state) {
    write_output_waveform(layer, name, state, thinning_for(state.iskip, state.nt));
}

}  // namespace wavespec
