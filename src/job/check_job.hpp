// The one check of a record's job against the bounds of its values (the table in
// cli/option_bounds) and the combinations that can only be mistakes.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "job/record_job.hpp"

namespace wavespec::job {

// Throws cli::UsageError, one line naming the option: "invalid value 'TEXT' for --OPTION:
// WHY", TEXT the values as the command line writes them. A job the command line parsed has
// had its values checked as they were read; what it meets here are the combinations.
void check_job(const RecordJob& job);

// The components (1, 2, 3) whose sign changes, as --invert gives them.
std::array<bool, 3> inverted_components(std::span<const double> components);

// COUNT frequencies from FROM to TO, spaced evenly in their logarithm (--frequencies), each
// value checked against its row.
std::vector<double> frequency_grid(double from, double to, double count);

}  // namespace wavespec::job
