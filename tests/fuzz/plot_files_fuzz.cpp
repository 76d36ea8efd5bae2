// Fuzz target: arbitrary bytes as amp3.csv, as an output waveform, as
// smoothed.csv, as hv.csv and as processing.txt. Each read ends with a table or a ReadError; every
// table read is drawn, and each path of the picture must hold nothing but path commands and finite
// numbers.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plot/hv_picture.hpp"
#include "plot/pictures.hpp"
#include "plot/processing_tables.hpp"
#include "plot/run_files.hpp"
#include "plot/smoothing_tables.hpp"

namespace wavespec::plot {
namespace {

void check_paths(const std::string& svg) {
    if (!svg.ends_with("</svg>\n")) std::abort();
    for (std::size_t at = svg.find(" d=\""); at != std::string::npos;
         at = svg.find(" d=\"", at + 1)) {
        std::size_t end = svg.find('"', at + 4);
        std::string_view d(svg.data() + at + 4, end - at - 4);
        if (d.find_first_not_of("MLhZ0123456789.,- ") != std::string_view::npos) std::abort();
    }
}

template <typename Reader>
void draw(std::string_view text, Reader reader, bool spectrum) {
    Table t;
    try {
        t = reader(text);
    } catch (const ReadError&) {
        return;
    }
    std::array<std::span<const double>, 3> values = {t.values[0], t.values[1], t.values[2]};
    if (spectrum) {
        check_paths(spectra_svg({.record = "r",
                                 .nt = 1,
                                 .dt = 0.01,
                                 .processing = {},
                                 .bandpass = std::array{t.abscissa[0], 1.0, 2.0, -1.0},
                                 .names = t.names,
                                 .frequency = t.abscissa,
                                 .amplitude = values}));
    } else {
        double step = t.abscissa.size() > 1 ? t.abscissa[1] - t.abscissa[0] : 0.01;
        check_paths(waveform_svg({.record = "r",
                                  .names = t.names,
                                  .dt = step,
                                  .original = values,
                                  .output_start = t.abscissa[0],
                                  .output_step = step,
                                  .output = values}));
    }
}

// smoothed.csv drawn over itself as the raw spectra, and hv.csv as the H/V picture.
void draw_smoothing(std::string_view text) {
    try {
        SmoothedTable t = read_smoothed_spectra(text);
        std::array<std::span<const double>, 3> values = {t.smoothed[0], t.smoothed[1],
                                                         t.smoothed[2]};
        check_paths(spectra_svg({.record = "r",
                                 .nt = 1,
                                 .dt = 0.01,
                                 .processing = {},
                                 .bandpass = std::nullopt,
                                 .names = t.names,
                                 .frequency = t.frequency,
                                 .amplitude = values},
                                {t.frequency, values}));
    } catch (const ReadError&) {
    }
    try {
        HvTable t = read_hv_curves(text);
        check_paths(hv_svg({.record = "r",
                            .smoothing = {},
                            .frequency = t.frequency,
                            .mean = t.mean,
                            .lower = t.lower,
                            .upper = t.upper,
                            .windows = {t.windows.begin(), t.windows.end()}}));
    } catch (const ReadError&) {
    }
}

}  // namespace
}  // namespace wavespec::plot

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec::plot;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    draw(text, read_amplitude_spectra, true);
    draw(text, read_output_waveform, false);
    draw_smoothing(text);
    try {
        read_processing_summary(text);  // processing.txt, as plot and flatfile read it
    } catch (const ReadError&) {
    }
    return 0;
}
