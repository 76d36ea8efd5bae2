#include "cli/run_description.hpp"

#include <cctype>

#include "instrument/response_evaluation.hpp"
#include "job/instrument_correction.hpp"
#include "records/csv_fields.hpp"

namespace wavespec::cli {
namespace {

std::optional<std::string> given(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

std::string upper_extension(const std::string& path) {
    std::size_t dot = path.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

// The units the readers give each format in, where they are known without metadata.
void describe_units(RecordDescription& description, const formats::RecordInput& input,
                    const InventoryOptions& inventory) {
    using instrument::Quantity;
    std::optional<Quantity> quantity;
    if (inventory.epochs) {
        quantity = inventory.deconvolution.wanted;
    } else if (input.format == formats::InputFormat::knet) {
        quantity = Quantity::acceleration;
    } else if (input.format == formats::InputFormat::at2) {
        std::string extension = upper_extension(input.paths.front());
        quantity = extension == "VT2"   ? Quantity::velocity
                   : extension == "DT2" ? Quantity::displacement
                                        : Quantity::acceleration;
    } else {
        description.units = "counts";
        return;
    }
    description.units = std::string(job::unit_text(*quantity));
    description.quantity = std::string(instrument::quantity_name(*quantity));
}

}  // namespace

RecordDescription describe_read_record(const formats::WaveformRecord& record,
                                       const formats::RecordInput& input,
                                       const InventoryOptions& inventory) {
    RecordDescription description;
    if (const auto& identity = record.components[0].identity) {
        description.network = given(identity->network);
        description.station = given(identity->station);
        description.location = identity->location;
    }
    description.start_us = record.start_us;
    description.notes = record.notes;
    describe_units(description, input, inventory);
    return description;
}

void describe_series(RecordDescription& description, const RunState& state) {
    for (std::size_t i = 0; i < description.components.size(); ++i) {
        description.components[i] = std::string(trimmed_name(name_text(state.head[i + 1])));
    }
    description.dt = state.dt;
    description.nt = state.nt;
}

}  // namespace wavespec::cli
