// A record as read taken to the ground motion the job asks for: with station metadata, each
// component's epoch found by its channel code and first sample's time and its response
// removed; on request (--rotate), the horizontals turned to north and east by the
// metadata's azimuths, or without metadata by the file's own.
#pragma once

#include <string>
#include <string_view>

#include "cli/inventory_options.hpp"
#include "formats/formats.hpp"

namespace wavespec::job {

// The units a quantity is given in: cm, cm/s or cm/s^2.
std::string_view unit_text(instrument::Quantity quantity);

// How the record's files are read for these options: with an inventory, formats that
// convert counts by their own header (COSMOS V0) keep the counts for the metadata.
formats::ReadOptions reading_for(formats::ReadOptions read, const cli::InventoryOptions& options);

// Takes the record to physical units by the inventory and turns its horizontals as asked,
// and returns the words for the run's line ("in cm/s^2; azimuths 0, 90", "rotated from
// azimuths 30, 120 to north, east"); empty when the options ask for neither. Throws
// FormatError naming the channel (and the time) when a component cannot be converted or
// turned.
std::string correct_record(formats::WaveformRecord& record, const cli::InventoryOptions& options);

}  // namespace wavespec::job
