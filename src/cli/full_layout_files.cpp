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
#include "cli/row_blocks.hpp"
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
                        std::string_view complex_name, unsigned threads) {
    BlockWriter amplitude(amplitude_path, amplitude_name);
    BlockWriter complex(complex_path, complex_name);
    write_names(amplitude, state, "frequency(Hz)");
    // The header as a line of its own, so that a value's line is counted from it.
    complex.text("frequency(Hz),re,im");
    complex.end_line();
    complex.name_columns({"frequency(Hz)", "re", "im"});
    complex.number(0.0);
    complex.field(state.fx1[0].re);
    complex.field(state.fx1[0].im);
    complex.end_line();
    // Row r is bin r + 2 (k = r + 1 in the arrays).
    const auto bins = static_cast<std::size_t>(std::max(state.nom - 1, 0));
    write_rows<2>({&amplitude, &complex}, bins, threads,
                  [&](std::array<RowText, 2>& texts, std::size_t row) {
                      const std::size_t k = row + 1;
                      double f = bin_frequency(static_cast<std::int32_t>(k + 1), state.dom);
                      RowText& a = texts[0];
                      a.number(f);
                      a.field(modulus(state.fx1[k]));
                      a.field(modulus(state.fx2[k]));
                      a.field(modulus(state.fx3[k]));
                      a.end_line();
                      RowText& c = texts[1];
                      c.number(f);
                      c.field(state.fx1[k].re);
                      c.field(state.fx1[k].im);
                      c.end_line();
                  });
    amplitude.close();
    complex.close();
}

void write_full_output(const std::string& path, const RunState& state, bool from_reconstructed,
                       std::string_view name, unsigned threads) {
    const ZeroedArray<double>& x1 = from_reconstructed ? state.xr1 : state.x1;
    const ZeroedArray<double>& x2 = from_reconstructed ? state.xr2 : state.x2;
    const ZeroedArray<double>& x3 = from_reconstructed ? state.xr3 : state.x3;
    BlockWriter out(path, name);
    write_names(out, state, "time(s)");
    Thinning thinning = thinning_for(state.iskip, state.nt);
    const auto records = static_cast<std::size_t>(std::max<std::int64_t>(thinning.records, 0));
    write_rows<1>({&out}, records, threads, [&](std::array<RowText, 1>& texts, std::size_t r) {
        auto k = static_cast<std::size_t>(static_cast<std::int64_t>(r) * thinning.step);
        RowText& line = texts[0];
        line.number(static_cast<double>(k) * state.dt);
        line.field(x1[k]);
        line.field(x2[k]);
        line.field(x3[k]);
        line.end_line();
    });
    out.close();
}

}  // namespace wavespec::cli
