#include "cli/record_files.hpp"

#include <algorithm>
#include <cctype>

namespace wavespec::cli {
namespace {

bool always(const ProcessOptions&) {
    return true;
}
bool dumps(const ProcessOptions& o) {
    return o.dumps;
}
bool pictures(const ProcessOptions& o) {
    return o.plot;
}
bool response(const ProcessOptions& o) {
    return o.response_spectra;
}
bool response_picture(const ProcessOptions& o) {
    return o.response_spectra && o.plot;
}
bool smoothed(const ProcessOptions& o) {
    return o.smoothing.window.has_value();
}
bool hv(const ProcessOptions& o) {
    return o.smoothing.hv_window_seconds.has_value();
}
bool hv_picture(const ProcessOptions& o) {
    return hv(o) && o.plot;
}
bool azimuths(const ProcessOptions& o) {
    return hv(o) && o.smoothing.hv_azimuth_step.has_value();
}
bool azimuth_picture(const ProcessOptions& o) {
    return azimuths(o) && o.plot;
}
bool processed(const ProcessOptions& o) {
    return o.processing.asked;
}
bool snr_corners(const ProcessOptions& o) {
    return processed(o) && o.processing.corner_source == CornerSource::snr;
}
bool snr_picture(const ProcessOptions& o) {
    return snr_corners(o) && o.plot;
}
bool processed_picture(const ProcessOptions& o) {
    return processed(o) && o.plot;
}

constexpr RecordFile kRecordFiles[] = {
    {"amp3.csv", always},
    {"amp-c.csv", always},
    {"fort.67", dumps},
    {"fort.68", dumps},
    {"fort.69", dumps},
    {"fort.88", dumps},
    {"fort.89", dumps},
    {"response.csv", response},
    {"measures.csv", response},
    {"response-summary.txt", response},
    {"response.svg", response_picture},
    {"smoothed.csv", smoothed},
    {"hv.csv", hv},
    {"hv-summary.txt", hv},
    {"hv-azimuth.csv", azimuths},
    {"spectra.svg", pictures},
    {"hv.svg", hv_picture},
    {"hv-azimuth.svg", azimuth_picture},
    {"waveform.svg", pictures},
    {"processed.csv", processed},
    {"processing.txt", processed},
    {"snr.csv", snr_corners},
    {"processed.svg", processed_picture},
    {"snr.svg", snr_picture},
    {"run.json", always},  // written last, as the seal of the set
};

bool same_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::span<const RecordFile> record_files() {
    return kRecordFiles;
}

std::vector<std::string> record_file_names(const ProcessOptions& options) {
    std::vector<std::string> names;
    for (const RecordFile& file : kRecordFiles) {
        if (file.made(options)) names.emplace_back(file.name);
    }
    return names;
}

bool is_record_file_name(std::string_view name) {
    return std::any_of(std::begin(kRecordFiles), std::end(kRecordFiles),
                       [&](const RecordFile& file) { return same_ignoring_case(name, file.name); });
}

}  // namespace wavespec::cli
