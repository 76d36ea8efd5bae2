// The options of "wavespec process" that process the record as read before anything else:
// --detrend, --taper, --pad, --highpass, --lowpass, --filter and --baseline, and the corners
// chosen from the noise: --corners, --signal-start, --snr-threshold and --snr-band.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_parser.hpp"
#include "processing/processing_chain.hpp"
#include "processing/snr_corners.hpp"

namespace wavespec::cli {

inline constexpr KnownOption kProcessingOptions[] = {
    {"detrend", 0, true},       {"taper", 0, true},    {"pad", 0, true},
    {"highpass", 0, true},      {"lowpass", 0, true},  {"filter", 0, true},
    {"baseline", 0, true},      {"corners", 0, true},  {"signal-start", 0, true},
    {"snr-threshold", 0, true}, {"snr-band", 0, true},
};

// Where the filters' corners come from: --highpass and --lowpass, the signal-to-noise ratio
// (--corners=snr), or a table of corners by record (--corners=FILE.csv).
enum class CornerSource { options, snr, table };

// A row of --corners=FILE.csv: a record's stem or file name, its corners in Hz.
struct CornerRow {
    std::string record;
    double highpass = 0.0, lowpass = 0.0;
};

struct ProcessingOptions {
    processing::ProcessingSteps steps;  // the same corners for the three components
    bool asked = false;  // one of these options was given: processed.csv and processing.txt
    bool filter_given = false;
    CornerSource corner_source = CornerSource::options;
    int corner_order = 4;                // both filters' order with --corners
    std::optional<double> signal_start;  // --signal-start, s from the first sample
    processing::SnrBand snr;             // --snr-threshold, --snr-band
    bool snr_threshold_given = false, snr_band_given = false;
    std::string table_path;  // --corners=FILE.csv
    std::vector<CornerRow> table;

    // The row of this record (its name in messages: a path, or a set's stem), if any.
    const CornerRow* table_row(const std::string& record) const;

    // The steps as the options would give them, for processing.txt.
    std::string steps_text() const;
};

// Takes one of these options into options; false for any other name. Throws UsageError
// for a value it refuses.
bool take_processing_option(std::string_view name, const std::string& value,
                            ProcessingOptions& options);

// The table of --corners=FILE.csv: the header record,highpass,lowpass, then one row a record;
// a UsageError names the file and line of a mistake.
std::vector<CornerRow> read_corner_table(const std::string& path);

// Refuses (UsageError) the combinations that can only be mistakes: --pad=auto or --filter
// without a filter to go with, a low-pass corner below the high-pass one.
void check_processing_options(const ProcessingOptions& options);

}  // namespace wavespec::cli
