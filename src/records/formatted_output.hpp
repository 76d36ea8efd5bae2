// Formatted records: a format's descriptors worked through left to right over the items.
#pragma once

#include <span>

#include "records/format_program.hpp"
#include "records/record_layer.hpp"

namespace wavespec {

// Writes one formatted statement. Output stops at the first data descriptor that has no item
// left (after the literals, X and / before it), or at the end of the format.
void write_formatted(RecordLayer& layer, int unit, const FormatProgram& format,
                     std::span<const double> items);

}  // namespace wavespec
