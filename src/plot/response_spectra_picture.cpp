#include "plot/response_spectra_picture.hpp"

#include <filesystem>
#include <numbers>

#include "plot/response_picture.hpp"

namespace wavespec::plot {

std::string response_spectra_svg(const response::ResponseSpectra& spectra,
                                 const std::vector<double>& periods,
                                 const std::vector<double>& dampings,
                                 const std::array<std::string, 3>& names,
                                 const std::string& record) {
    ResponsePicture picture;
    picture.record = std::filesystem::path(record).filename().string();
    picture.names = {names[0], names[1], names[2], "RotD50"};
    picture.dampings = dampings;
    picture.periods = periods;
    for (std::size_t d = 0; d < dampings.size(); ++d) {
        auto& curves = picture.psa.emplace_back();
        for (std::size_t p = 0; p < periods.size(); ++p) {
            const double omega = 2.0 * std::numbers::pi / periods[p];
            const response::OscillatorPeaks& peaks = spectra.values[d][p];
            for (std::size_t c = 0; c < 3; ++c) {
                curves[c].push_back(omega * omega * peaks.component[c].displacement);
            }
            curves[3].push_back(omega * omega * peaks.rotd[1].displacement);
        }
    }
    return response_svg(picture);
}

}  // namespace wavespec::plot
