#include "dialogue/output_waveform.hpp"

#include "records/format_program.hpp"
#include "records/formatted_output.hpp"
#include "records/list_output.hpp"

namespace wavespec {

Thinning thinning_for(std::int32_t iskip, std::int32_t nt) {
    std::int64_t step = static_cast<std::int64_t>(iskip < 0 ? 0 : iskip) + 1;
    std::int64_t records = (static_cast<std::int64_t>(nt) + step - 1) / step;
    return {step, records < 0 ? 0 : records};
}

void write_output_waveform(RecordLayer& layer, std::string_view name, const RunState& state,
                           Thinning thinning) {
    static const FormatProgram record_format("(F6.3,4(',',F12.4))");
    layer.open(kOutputUnit, name, RecordLayer::OpenMode::unknown_status);
    ListWriter(layer, kOutputUnit)
        .text("time(s),")
        .text(name_text(state.head[1]))
        .text(",")
        .text(name_text(state.head[2]))
        .text(",")
        .text(name_text(state.head[3]));
    for (std::int64_t r = 0; r < thinning.records; ++r) {
        std::int64_t i = 1 + r * thinning.step;
        auto k = static_cast<std::size_t>(i - 1);
        const double values[] = {static_cast<double>(i - 1) * state.dt, state.x1[k], state.x2[k],
                                 state.x3[k]};
        write_formatted(layer, kOutputUnit, record_format, values);
    }
    layer.close(kOutputUnit);
}

}  // namespace wavespec
