// A record in counts taken to physical units with its channels' station metadata: each
// component's epoch found by its channel code and first sample's time, its response removed,
// and, on request, the horizontals rotated to north and east.
#pragma once

#include <string>
#include <string_view>

#include "cli/inventory_options.hpp"
#include "formats/formats.hpp"

namespace wavespec::cli {

// The units a quantity is given in: cm, cm/s or cm/s^2.
std::string_view unit_text(instrument::Quantity quantity);

// Replaces the record's samples by cm, cm/s or cm/s^2 and returns the words for the run's
// line ("in cm/s^2 (acceleration); azimuths 0, 90"). Throws FormatError naming the channel and
// the time when a component cannot be converted.
std::string convert_to_physical_units(formats::WaveformRecord& record,
                                      const InventoryOptions& options);

}  // namespace wavespec::cli
