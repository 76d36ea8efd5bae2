// Non-finite values never reach the tool's newer files. The series as read is checked once,
// before anything new is computed from it; every number is checked again as its file is
// written, since finite samples can still overflow on the way (an integration at a huge dt).
// Either fails the record alone, with one line saying where.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dialogue/run_state.hpp"

namespace wavespec::cli {

// The first sample of the three components that is not finite: its component and time.
std::optional<std::string> non_finite_sample(const RunState& state);

// The first field of a CSV or text file that reads as nan or inf (as std::to_chars writes
// them): the file, the quantity (the CSV column's name) and the line. The header line and a
// column of component names hold names, not numbers, and are not looked at.
std::optional<std::string> non_finite_field(std::string_view file, std::string_view text);

// The message for a value of this quantity that is not finite, written to this file.
std::string non_finite_message(std::string_view file, std::string_view quantity, std::size_t line,
                               double value);

}  // namespace wavespec::cli
