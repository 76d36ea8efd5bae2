#include "cli/full_layout_files.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/block_writer.hpp"
#include "cli/finite_values.hpp"
#include "dialogue/output_waveform.hpp"
#include "records/csv_fields.hpp"
#include "records/number_chars.hpp"
#include "spectral/spectrum_prep.hpp"

namespace wavespec::cli {
namespace {

// The three names after the first column's, which is named `first`.
void write_names(BlockWriter& out, const RunState& state, std::string first) {
    std::vector<std::string> columns = {first};
    out.text(first);
    for (std::size_t c = 1; c <= 3; ++c) {
        columns.emplace_back(trimmed_name(name_text(state.head[c])));
        out.text(",");
        out.text(csv_field(columns.back()));
    }
    out.end_line();
    out.name_columns(std::move(columns));
}

}  // namespace

std::unique_ptr<RunState> full_layout_state(std::uint64_t samples) {
    auto longest = static_cast<std::uint64_t>(kLongestFullRecord);
    return std::make_unique<RunState>(static_cast<std::size_t>(std::min(samples, longest)));
}

std::uint64_t count_lines(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    std::uint64_t lines = 0;
    char last = '\n';
    static constexpr std::size_t kBlock = 1 << 20;
    auto buffer = std::make_unique<char[]>(kBlock);
    for (std::size_t got; (got = std::fread(buffer.get(), 1, kBlock, file)) > 0;) {
        lines += static_cast<std::uint64_t>(std::count(buffer.get(), buffer.get() + got, '\n'));
        last = buffer[got - 1];
    }
    std::fclose(file);
    return lines + (last != '\n' ? 1 : 0);
}

void write_full_spectra(const std::string& amplitude_path, const std::string& complex_path,
                        const RunState& state, std::string_view amplitude_name,
                        std::string_view complex_name) {
    BlockWriter amplitude(amplitude_path, amplitude_name);
    BlockWriter complex(complex_path, complex_name);
    write_names(amplitude, state, "frequency(Hz)");
    complex.text("frequency(Hz),re,im\n");
    complex.name_columns({"frequency(Hz)", "re", "im"});
    complex.number(0.0);
    complex.field(state.fx1[0].re);
    complex.field(state.fx1[0].im);
    complex.end_line();
    for (std::int32_t i = 2; i <= state.nom; ++i) {
        auto k = static_cast<std::size_t>(i - 1);
        double f = bin_frequency(i, state.dom);
        amplitude.number(f);
        amplitude.field(modulus(state.fx1[k]));
        amplitude.field(modulus(state.fx2[k]));
        amplitude.field(modulus(state.fx3[k]));
        amplitude.end_line();
        complex.number(f);
        complex.field(state.fx1[k].re);
        complex.field(state.fx1[k].im);
        complex.end_line();
    }
    amplitude.close();
    complex.close();
}

void write_full_output(const std::string& path, const RunState& state, bool from_reconstructed,
                       std::string_view name) {
    const ZeroedArray<double>& x1 = from_reconstructed ? state.xr1 : state.x1;
    const ZeroedArray<double>& x2 = from_reconstructed ? state.xr2 : state.x2;
    const ZeroedArray<double>& x3 = from_reconstructed ? state.xr3 : state.x3;
    BlockWriter out(path, name);
    write_names(out, state, "time(s)");
    Thinning thinning = thinning_for(state.iskip, state.nt);
    for (std::int64_t r = 0; r < thinning.records; ++r) {
        auto k = static_cast<std::size_t>(r * thinning.step);
        out.number(static_cast<double>(k) * state.dt);
        out.field(x1[k]);
        out.field(x2[k]);
        out.field(x3[k]);
        out.end_line();
    }
    out.close();
}

}  // namespace wavespec::cli
