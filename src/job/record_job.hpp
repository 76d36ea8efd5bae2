// What one record's run computes, as typed values: the dialogue's steps, the response
// spectra, the smoothing and H/V, the processing of the record as read and its instrument
// correction. The command line parses its arguments into it and Python builds it from
// keywords; check_job holds either to the same bounds, so that neither goes through the
// other's text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "cli/inventory_options.hpp"
#include "cli/processing_options.hpp"
#include "cli/smoothing_options.hpp"
#include "response/response_spectra.hpp"

namespace wavespec::job {

// The dialogue's own steps, in its order: polarity, band-pass, integration or
// differentiation, the output's time window and its thinning.
struct DesignSteps {
    std::array<bool, 3> invert{};                   // components whose sign changes
    std::optional<std::array<double, 4>> bandpass;  // fL1, fL2, fH1, fH2 in Hz
    std::int32_t operation = 0;  // 0 none, 1 integrate, 2 double integrate, 3 differentiate
    std::optional<std::array<double, 2>> window;  // start and duration in seconds
    std::int32_t skip = 0;                        // output samples left out after each kept one
};

// response.csv and measures.csv (response.svg too with --plot).
struct ResponseJob {
    bool response_spectra = false;
    std::vector<double> periods;   // seconds; empty: the default grid
    std::vector<double> dampings;  // fractions of critical; empty: 0.05
    response::Convention oscillator = response::Convention::band_limited;
};

struct RecordJob : DesignSteps, ResponseJob {
    cli::SmoothingOptions smoothing;  // smoothed.csv, hv.csv, hv-summary.txt
    cli::InventoryOptions inventory;  // records in counts taken to physical units
    // The record processed before everything else: processed.csv, processing.txt.
    cli::ProcessingOptions processing;
};

}  // namespace wavespec::job
