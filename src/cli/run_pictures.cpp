#include "cli/run_pictures.hpp"

#include <algorithm>
#include <filesystem>

#include "cli/smoothing_files.hpp"
#include "dialogue/output_waveform.hpp"
#include "dialogue/spectrum_files.hpp"
#include "plot/noise_hv_pictures.hpp"
#include "plot/pictures.hpp"
#include "smoothing/hv_report.hpp"
#include "spectral/spectrum_prep.hpp"

namespace wavespec::cli {
void RunPictures::keep_record(const RunState& state) {
    auto n = static_cast<std::ptrdiff_t>(std::min<std::size_t>(state.nt, state.xr1.size()));
    record_[0].assign(state.xr1.begin(), state.xr1.begin() + n);
    record_[1].assign(state.xr2.begin(), state.xr2.begin() + n);
    record_[2].assign(state.xr3.begin(), state.xr3.begin() + n);
}

void RunPictures::keep_spectra(const RunState& state) {
    // The bins of amp3.csv: from the first above zero frequency to the Nyquist bin.
    AmplitudeSpectra spectra = amplitude_spectra(state);
    frequency_ = std::move(spectra.frequency);
    amplitude_ = std::move(spectra.amplitude);
}

std::optional<std::string> RunPictures::write(StagedFiles& staged, const RunState& state,
                                              const ProcessOptions& options,
                                              const std::string& record,
                                              std::int32_t record_length) const {
    std::string name = std::filesystem::path(record).filename().string();
    std::array<std::string, 3> names = component_names(state);
    plot::SpectraPicture spectra{.record = name,
                                 .nt = record_length,
                                 .dt = state.dt,
                                 .processing = plot::describe_processing(
                                     options.bandpass, options.operation, options.window),
                                 .bandpass = options.bandpass,
                                 .names = names,
                                 .frequency = frequency_,
                                 .amplitude = {amplitude_[0], amplitude_[1], amplitude_[2]}};

    // The output as its file holds it: every step-th sample from the window's start. Without
    // thinning that is the output series itself; only thinned samples are gathered.
    Thinning thinning = thinning_for(state.iskip, state.nt);
    const ZeroedArray<double>* series[] = {&state.x1, &state.x2, &state.x3};
    std::array<std::vector<double>, 3> thinned;
    std::array<std::span<const double>, 3> output;
    for (std::size_t c = 0; c < 3; ++c) {
        auto records = static_cast<std::size_t>(thinning.records);
        if (thinning.step == 1) {
            output[c] = std::span<const double>(*series[c]).first(records);
            continue;
        }
        thinned[c].reserve(records);
        for (std::size_t r = 0; r < records; ++r) {
            thinned[c].push_back((*series[c])[r * static_cast<std::size_t>(thinning.step)]);
        }
        output[c] = thinned[c];
    }
    double start = options.window ? static_cast<double>(state.nstime) * state.dt : 0.0;
    plot::WaveformPicture waveform{.record = name,
                                   .names = names,
                                   .dt = state.dt,
                                   .original = {record_[0], record_[1], record_[2]},
                                   .output_start = start,
                                   .output_step = state.dt * static_cast<double>(thinning.step),
                                   .output = output};

    plot::SmoothedSpectra smoothed;
    if (smoothing_ && smoothing_->record()) {
        const SmoothedRecord& r = *smoothing_->record();
        smoothed = {r.frequency, {r.smoothed[0], r.smoothed[1], r.smoothed[2]}};
    }
    if (auto why = staged.write("spectra.svg", plot::spectra_svg(spectra, smoothed))) return why;
    if (smoothing_ && smoothing_->noise()) {
        const smoothing::NoiseHv& noise = *smoothing_->noise();
        const std::string settings =
            smoothing::hv_settings_text(noise, smoothing_->noise_settings());
        if (auto why = staged.write("hv.svg", plot::noise_hv_svg(noise, name, settings))) {
            return why;
        }
        if (!noise.azimuths.empty()) {
            if (auto why =
                    staged.write("hv-azimuth.svg", plot::noise_hv_azimuth_svg(noise, name))) {
                return why;
            }
        }
    }
    return staged.write("waveform.svg", plot::waveform_svg(waveform));
}

}  // namespace wavespec::cli
