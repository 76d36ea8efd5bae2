// The options of "wavespec process": the record's job (the dialogue's answers and the steps
// beside them), where the files go, and how the batch runs.
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
#include "job/record_job.hpp"

namespace wavespec::cli {

// The files' layout: the fixed one of the dialogue (records of at most 32768 sample sets), or
// plain CSV at full precision for records of any length up to 2^24 sample sets.
enum class FileLayout { legacy, full };

// The record's job, and how the batch runs and where its files go.
struct ProcessOptions : job::RecordJob {
    std::string output = "wave.csv";
    std::optional<std::string> out_dir;
    FileLayout layout = FileLayout::legacy;
    bool dumps = true;  // the full layout writes none unless --dumps is given
    bool plot = false;  // spectra.svg and waveform.svg beside the files
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
};

// Reads the arguments after "process"; throws UsageError for a mistake in them.
ProcessOptions parse_process_options(std::span<const std::string> args);

// The one check of process's options, however they were made: the record's job against its
// bounds, the output's name, the thread count, and options that mean nothing without
// --response-spectra. Throws UsageError naming the option.
void check_process_options(const ProcessOptions& options);

}  // namespace wavespec::cli
