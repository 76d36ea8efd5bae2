#include "cli/csv_record.hpp"

#include "cli/full_layout_files.hpp"
#include "cli/record_read_failure.hpp"
#include "dialogue/record_steps.hpp"

namespace wavespec::cli {

formats::WaveformRecord read_csv_record(const std::string& path) {
    auto state = full_layout_state(count_lines(path));
    RecordLayer layer({.set_binary_mode = false}, RecordLayer::FailureMode::throw_failure);
    try {
        read_waveform_file(layer, path, *state, RecordLayer::NameForm::exact);
    } catch (const RecordFailure& failure) {
        auto text = describe_read_failure(failure, path);
        throw formats::FormatError(
            path + (text ? text->place + ": " + text->why : std::string(": ") + failure.what()));
    }
    if (auto why = forward_interval_problem(*state)) {
        throw formats::FormatError(path + ": no usable sampling interval: " + *why);
    }
    formats::WaveformRecord record;
    record.format = "csv";
    record.dt = state->dt;
    const ZeroedArray<double>* series[] = {&state->xr1, &state->xr2, &state->xr3};
    const auto n = static_cast<std::ptrdiff_t>(state->nt);
    for (std::size_t c = 0; c < 3; ++c) {
        record.components[c].name = component_name(state->head[c + 1]);
        record.components[c].samples.assign(series[c]->begin(), series[c]->begin() + n);
    }
    return record;
}

}  // namespace wavespec::cli
