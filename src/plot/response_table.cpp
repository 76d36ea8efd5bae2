// response.csv read back for its picture.
#include <charconv>
#include <map>
#include <system_error>

#include "plot/response_picture.hpp"
#include "plot/run_files.hpp"
#include "records/csv_fields.hpp"
#include "records/number_chars.hpp"

namespace wavespec::plot {
namespace {

constexpr std::string_view kHeader = "damping,period(s),component,Sd,Sv,Sa,PSV,PSA";
constexpr std::string_view kRotd[3] = {"RotD00", "RotD50", "RotD100"};
// Rows that newer files add after RotD100, not drawn.
constexpr std::string_view kGmRot[2] = {"GMRotD50", "GMRotI50"};

bool number(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = read_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

}  // namespace

ResponsePicture read_response_spectra(std::string_view text) {
    ResponsePicture picture;
    std::size_t line_number = 0;
    std::vector<std::string> fields;
    std::map<double, std::size_t> damping_index, period_index;
    std::size_t rows = 0;
    std::size_t slot = 0, group = 0;  // group: rows per damping and period, 0 not yet known
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        ++line_number;
        if (line_number == 1) {
            if (line != kHeader) throw ReadError(1, "not a response spectra file (header)");
            continue;
        }
        if (line.empty() && text.empty()) break;
        std::optional<std::vector<std::string>> read = csv_fields(line);
        if (!read || read->size() != 8) throw ReadError(line_number, "expected 8 fields");
        fields = std::move(*read);
        double damping = 0.0, period = 0.0, psa = 0.0;
        if (!number(fields[0], damping) || !number(fields[1], period) || !number(fields[7], psa)) {
            throw ReadError(line_number, "unreadable damping, period or PSA");
        }
        // Rows come in groups of six per damping and period, followed in newer files by the two
        // GMRot rows (not drawn); the first group tells which.
        if (slot == 6 && group == 0) group = fields[2] == kGmRot[0] ? 8 : 6;
        if (slot == 6 && group == 6) slot = 0;
        if (slot >= 6) {
            if (fields[2] != kGmRot[slot - 6]) {
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
            if (d->second == 0 && p->second == 0) picture.names[at] = fields[2];
        } else if (fields[2] != kRotd[at - 3]) {
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
