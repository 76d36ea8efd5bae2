#include "cli/response_files.hpp"

#include <algorithm>
#include <array>
#include <numbers>

#include "cli/finite_values.hpp"
#include "cli/response_options.hpp"
#include "dialogue/record_steps.hpp"
#include "formats/file_trace.hpp"
#include "plot/response_spectra_picture.hpp"
#include "records/csv_fields.hpp"
#include "response/ground_motion.hpp"
#include "response/response_spectra.hpp"
#include "spectral/spectrum_prep.hpp"
#include "spectral/wvfast.hpp"

namespace wavespec::cli {

namespace {

using Series = std::array<std::vector<double>, 3>;

void add_number(std::string& out, double value) {
    out += ',';
    out += formats::shortest_text(value);
}

// Like the other CSV files added beside the legacy ones, LF ends every line on every platform,
// so that the Linux and Windows builds write the same bytes.
constexpr const char* kEndOfLine = "\n";

std::string measures_table(const Series& acceleration, double dt,
                           const std::array<std::string, 3>& names) {
    std::string measures =
        std::string("component,PGA,PGV,PGD,Arias(m/s),D5-75(s),D5-95(s),CAV") + kEndOfLine;
    for (std::size_t c = 0; c < 3; ++c) {
        response::GroundMotion g = response::ground_motion(acceleration[c], dt);
        measures += csv_field(names[c]);
        for (double v : {g.pga, g.pgv, g.pgd, g.arias, g.d5_75, g.d5_95, g.cav}) {
            add_number(measures, v);
        }
        measures += kEndOfLine;
    }
    return measures;
}

// Rows per damping and period: the three components, then the measures of the horizontals.
constexpr std::size_t kRows = 8;
constexpr const char* kRotated[kRows - 3] = {"RotD00", "RotD50", "RotD100", "GMRotD50", "GMRotI50"};

std::string spectra_table(const response::ResponseSpectra& spectra,
                          const std::vector<double>& periods, const std::vector<double>& dampings,
                          const std::array<std::string, 3>& names) {
    std::string table = std::string("damping,period(s),component,Sd,Sv,Sa,PSV,PSA") + kEndOfLine;
    table.reserve(dampings.size() * periods.size() * kRows * 120);
    for (std::size_t d = 0; d < dampings.size(); ++d) {
        for (std::size_t p = 0; p < periods.size(); ++p) {
            const double omega = 2.0 * std::numbers::pi / periods[p];
            const response::OscillatorPeaks& peaks = spectra.values[d][p];
            for (std::size_t row = 0; row < kRows; ++row) {
                const response::Peaks& v = row < 3   ? peaks.component[row]
                                           : row < 6 ? peaks.rotd[row - 3]
                                                     : peaks.gmrot[row - 6];
                table += formats::shortest_text(dampings[d]);
                add_number(table, periods[p]);
                table += ',';
                table += row < 3 ? csv_field(names[row]) : kRotated[row - 3];
                for (double x : {v.displacement, v.velocity, v.acceleration, omega * v.displacement,
                                 omega * omega * v.displacement}) {
                    add_number(table, x);
                }
                table += kEndOfLine;
            }
        }
    }
    return table;
}

// What response.csv does not say: the convention, the dampings, the number of periods and the
// angle GMRotI50 takes for each damping.
std::string spectra_summary(const response::ResponseSpectra& spectra,
                            response::Convention convention, const std::vector<double>& periods,
                            const std::vector<double>& dampings) {
    std::string text = "oscillator: ";
    text +=
        convention == response::Convention::piecewise_linear ? "piecewise-linear" : "band-limited";
    text += kEndOfLine;
    text += "dampings:";
    for (double d : dampings) text += " " + formats::shortest_text(d);
    text += kEndOfLine;
    text += "periods: " + std::to_string(periods.size()) + kEndOfLine;
    for (std::size_t d = 0; d < dampings.size(); ++d) {
        text += "damping " + formats::shortest_text(dampings[d]) +
                ": GMRotI50 angle: " + std::to_string(spectra.gmroti_angles[d]) + " deg" +
                kEndOfLine;
    }
    return text;
}

}  // namespace

std::vector<double> response_periods(const ProcessOptions& options) {
    return options.periods.empty()
               ? response::log_spaced(kDefaultFirstPeriod, kDefaultLastPeriod, kDefaultPeriodCount)
               : options.periods;
}

std::vector<double> response_dampings(const ProcessOptions& options) {
    return options.dampings.empty() ? std::vector<double>{kDefaultDamping} : options.dampings;
}

std::optional<std::string> write_response_files(StagedFiles& staged, const RunState& state,
                                                const ProcessOptions& options,
                                                const std::string& record) {
    Series acceleration = reconstructed_series(state);
    // A long record's transform tables are made again when its series is reconstructed; until
    // then their memory is the oscillators'.
    if (state.nf > kMaxTransformLength) release_transform_tables();
    const std::array<std::string, 3> names = component_names(state);
    // A series that is not finite (overflow on the way) shows in its peaks: the record fails
    // here, before the oscillators are run on it.
    const std::string measures = measures_table(acceleration, state.dt, names);
    if (auto why = non_finite_field("measures.csv", measures)) return why;
    const std::vector<double> periods = response_periods(options);
    const std::vector<double> dampings = response_dampings(options);
    // The processors the batch leaves idle (records fewer than jobs) share the oscillators.
    const unsigned threads = options.threads_per_record;
    const response::ResponseSpectra spectra = response::response_spectra_consuming(
        std::move(acceleration), state.dt, periods, dampings, threads, options.oscillator);

    if (auto why = staged.write("response.csv", spectra_table(spectra, periods, dampings, names))) {
        return why;
    }
    if (auto why = staged.write("measures.csv", measures)) {
        return why;
    }
    if (auto why = staged.write("response-summary.txt",
                                spectra_summary(spectra, options.oscillator, periods, dampings))) {
        return why;
    }
    if (options.plot) {
        return staged.write("response.svg",
                            plot::response_spectra_svg(spectra, periods, dampings, names, record));
    }
    return std::nullopt;
}

}  // namespace wavespec::cli
