#include "records/formatted_output.hpp"

#include <stdexcept>

#include "records/number_text.hpp"

namespace wavespec {

void write_formatted(RecordLayer& layer, int unit, const FormatProgram& format,
                     std::span<const double> items) {
    if (items.size() > format.data_descriptors()) {
        throw std::logic_error("more items than the format " + format.text() + " can take");
    }
    layer.begin_formatted_statement(unit, Direction::writing, format);
    RecordSink& out = layer.sink(unit);
    std::size_t pending_blanks = 0;  // X moves right; blanks appear only if text follows
    auto place_blanks = [&] {
        for (; pending_blanks > 0; --pending_blanks) out.put(' ');
    };
    for (const FormatStep& step : format.steps()) {
        // The record ends at the first data descriptor without an item.
        if (step.items_needed > items.size()) break;
        switch (step.kind) {
            case FormatStep::Kind::fixed:
                if (pending_blanks > 0) place_blanks();
                out.commit(fixed_field(items[step.items_needed - 1], step.width, step.decimals,
                                       out.reserve(kNumberTextCapacity)));
                break;
            case FormatStep::Kind::exponent:
                if (pending_blanks > 0) place_blanks();
                out.commit(exponent_field(items[step.items_needed - 1], step.width, step.decimals,
                                          out.reserve(kNumberTextCapacity)));
                break;
            case FormatStep::Kind::text:
                throw std::logic_error("A descriptor in an output format");
            case FormatStep::Kind::literal:
                if (pending_blanks > 0) place_blanks();
                out.put(step.literal);
                break;
            case FormatStep::Kind::skip:
                pending_blanks += static_cast<std::size_t>(step.width);
                break;
            case FormatStep::Kind::new_record:
                pending_blanks = 0;
                out.end_record();
                break;
        }
    }
    out.end_record();
}

}  // namespace wavespec
