// response.csv read back for its picture.
#include <map>

#include "plot/csv_table.hpp"
#include "plot/response_picture.hpp"
#include "plot/run_files.hpp"

namespace wavespec::plot {
namespace {

constexpr std::string_view kHeader = "damping,period(s),component,Sd,Sv,Sa,PSV,PSA";
constexpr std::string_view kRotd[3] = {"RotD00", "RotD50", "RotD100"};
// Rows that newer files add after RotD100, not drawn.
constexpr std::string_view kGmRot[2] = {"GMRotD50", "GMRotI50"};

}  // namespace

ResponsePicture read_response_spectra(std::string_view text) {
    constexpr std::size_t kComponent = 2;
    const CsvTable csv =
        read_csv_table(text, {.first_column = "damping", .columns = 8, .text_column = kComponent});
    if (csv.header_line != kHeader) throw ReadError(1, "not a response spectra file (header)");
    ResponsePicture picture;
    std::map<double, std::size_t> damping_index, period_index;
    std::size_t rows = 0;
    std::size_t slot = 0, group = 0;  // group: rows per damping and period, 0 not yet known
    for (std::size_t r = 0; r < csv.rows(); ++r) {
        const std::size_t line_number = csv.lines[r];
        const std::string& component = csv.words[r];
        const double damping = csv.numbers[0][r], period = csv.numbers[1][r];
        const double psa = csv.numbers[7][r];
        // Rows come in groups of six per damping and period, followed in newer files by the two
        // GMRot rows (not drawn); the first group tells which.
        if (slot == 6 && group == 0) group = component == kGmRot[0] ? 8 : 6;
        if (slot == 6 && group == 6) slot = 0;
        if (slot >= 6) {
            if (component != kGmRot[slot - 6]) {
                throw ReadError(line_number, "expected " + std::string(kGmRot[slot - 6]));
            }
            slot = (slot + 1) % 8;
            continue;
        }
        const std::size_t at = slot++;
        ++rows;
        auto [d, new_damping] = damping_index.try_emplace(damping, picture.dampings.size());
        if (new_damping) {
            picture.dampings.push_back(damping);
            picture.psa.emplace_back();
        }
        auto [p, new_period] = period_index.try_emplace(period, picture.periods.size());
        if (new_period) {
            if (d->second != 0) throw ReadError(line_number, "a period not in the first damping's");
            picture.periods.push_back(period);
        }
        if (at < 3) {
            if (d->second == 0 && p->second == 0) picture.names[at] = component;
        } else if (component != kRotd[at - 3]) {
            throw ReadError(line_number, "expected " + std::string(kRotd[at - 3]));
        }
        if (at == 3 || at == 5) continue;  // RotD00 and RotD100 are not drawn
        std::size_t curve = at < 3 ? at : 3;
        auto& values = picture.psa[d->second][curve];
        if (values.size() != p->second) throw ReadError(line_number, "rows out of order");
        values.push_back(psa);
    }
    if (rows == 0 || rows % 6 != 0 || (group == 8 && slot != 0))
        throw ReadError(0, "incomplete response spectra");
    picture.names[3] = "RotD50";
    return picture;
}

}  // namespace wavespec::plot
