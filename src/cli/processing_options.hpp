// The options of "wavespec process" that process the record as read before anything else:
// --detrend, --taper, --pad, --highpass, --lowpass, --filter and --baseline.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/option_parser.hpp"
#include "processing/processing_chain.hpp"

namespace wavespec::cli {

inline constexpr KnownOption kProcessingOptions[] = {
    {"detrend", 0, true}, {"taper", 0, true},  {"pad", 0, true},      {"highpass", 0, true},
    {"lowpass", 0, true}, {"filter", 0, true}, {"baseline", 0, true},
};

// Every file these options may add to a record's run.
inline constexpr std::string_view kProcessingFileNames[] = {"processed.csv", "processing.txt"};

struct ProcessingOptions {
    processing::ProcessingSteps steps;  // the same corners for the three components
    bool asked = false;  // one of these options was given: processed.csv and processing.txt
    bool filter_given = false;

    // The steps as the options would give them, for processing.txt.
    std::string steps_text() const;
};

// Takes one of these options into options; false for any other name. Throws UsageError
// for a value it refuses.
bool take_processing_option(std::string_view name, const std::string& value,
                            ProcessingOptions& options);

// Refuses (UsageError) the combinations that can only be mistakes: --pad=auto or --filter
// without a filter to go with, a low-pass corner below the high-pass one.
void check_processing_options(const ProcessingOptions& options);

// The files these options add to a record's run.
std::vector<std::string> processing_file_names(const ProcessingOptions& options);

}  // namespace wavespec::cli
