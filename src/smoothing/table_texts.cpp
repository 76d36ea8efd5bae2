#include "smoothing/table_texts.hpp"

#include <initializer_list>

#include "records/csv_fields.hpp"
#include "records/shortest_text.hpp"

namespace wavespec::smoothing {
namespace {

void append_row(std::string& text, std::initializer_list<double> values) {
    bool first = true;
    for (double v : values) {
        if (!first) text += ',';
        text += shortest_text(v);
        first = false;
    }
}

}  // namespace

std::string smoothed_table_text(std::span<const double> frequency,
                                const std::array<std::vector<double>, 3>& smoothed,
                                std::span<const double> hv,
                                const std::array<std::string, 3>& names) {
    std::string text = "frequency(Hz)," + csv_field(names[0]) + "," + csv_field(names[1]) + "," +
                       csv_field(names[2]) + ",H/V\n";
    for (std::size_t k = 0; k < frequency.size(); ++k) {
        append_row(text, {frequency[k], smoothed[0][k], smoothed[1][k], smoothed[2][k], hv[k]});
        text += '\n';
    }
    return text;
}

std::string hv_table_text(const NoiseHv& n) {
    std::string text = "frequency(Hz),mean,sigma_ln,mean*sigma_A,mean/sigma_A";
    for (std::size_t w = 0; w < n.windows.size(); ++w) {
        text += ",window" + std::to_string(w + 1) + (n.kept[w] ? "" : "(rejected)");
    }
    text += '\n';
    for (std::size_t k = 0; k < n.frequency.size(); ++k) {
        double mean = n.statistics.mean[k];
        double sigma = sigma_a(n.statistics.sigma_ln[k]);
        append_row(text,
                   {n.frequency[k], mean, n.statistics.sigma_ln[k], mean * sigma, mean / sigma});
        for (const auto& window : n.windows) text += "," + shortest_text(window[k]);
        text += '\n';
    }
    return text;
}

std::string hv_azimuth_table_text(const NoiseHv& n) {
    std::string text = "azimuth(deg),frequency(Hz),mean,sigma_ln\n";
    for (const AzimuthHv& a : n.azimuths) {
        for (std::size_t k = 0; k < n.frequency.size(); ++k) {
            append_row(text,
                       {a.azimuth, n.frequency[k], a.statistics.mean[k], a.statistics.sigma_ln[k]});
            text += '\n';
        }
    }
    return text;
}

}  // namespace wavespec::smoothing
