// The options of "wavespec process": the dialogue's answers, where the files go, and how the
// batch runs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/inventory_options.hpp"
#include "cli/processing_options.hpp"
#include "cli/record_list.hpp"
#include "cli/smoothing_options.hpp"
#include "formats/formats.hpp"
#include "response/response_spectra.hpp"

namespace wavespec::cli {

// The files' layout: the fixed one of the dialogue (records of at most 32768 sample sets), or
// plain CSV at full precision for records of any length up to 2^24 sample sets.
enum class FileLayout { legacy, full };

struct ProcessOptions {
    std::array<bool, 3> invert{};                   // components whose sign changes
    std::optional<std::array<double, 4>> bandpass;  // fL1, fL2, fH1, fH2 in Hz
    std::int32_t operation = 0;  // 0 none, 1 integrate, 2 double integrate, 3 differentiate
    std::optional<std::array<double, 2>> window;  // start and duration in seconds
    std::int32_t skip = 0;
    std::string output = "wave.csv";
    std::optional<std::string> out_dir;
    FileLayout layout = FileLayout::legacy;
    bool dumps = true;  // the full layout writes none unless --dumps is given
    bool plot = false;  // spectra.svg and waveform.svg beside the files
    // response.csv and measures.csv beside the files (response.svg too with plot).
    bool response_spectra = false;
    std::vector<double> periods;   // seconds; empty: the default grid
    std::vector<double> dampings;  // fractions of critical; empty: 0.05
    response::Convention oscillator = response::Convention::band_limited;
    unsigned jobs = 1;
    // Threads one record's smoothing and response spectra may use: the jobs the batch leaves
    // idle, jobs / records (at least 1). Set once the records are counted, a set of files of
    // the networks' formats counting once.
    unsigned threads_per_record = 1;
    bool quiet = false;
    bool help = false;
    formats::InputFormat format = formats::InputFormat::automatic;
    formats::ReadOptions read;
    std::vector<std::string> records;
    std::optional<std::string> records_from;  // --records-from: a list of records, "-" stdin
    std::optional<Shard> shard;               // --shard: only this shard's records
    bool resume = false;  // --resume: records with a complete earlier run are skipped
    // Every record into DIR/STEM/, even one alone: with a list, a shard or --resume, whose
    // directories must not depend on what else the batch holds.
    bool own_directories = false;
    SmoothingOptions smoothing;  // smoothed.csv, hv.csv, hv-summary.txt
    InventoryOptions inventory;  // records in counts taken to physical units
    // The record processed before everything else: processed.csv, processing.txt.
    ProcessingOptions processing;
};

// Reads the arguments after "process"; throws UsageError for a mistake in them.
ProcessOptions parse_process_options(std::span<const std::string> args);

}  // namespace wavespec::cli
