// The files of "process --layout=full": amp3.csv, amp-c.csv and the output waveform with the
// same rows and meaning as the fixed layout, as plain CSV in which every number is the
// shortest text that reads back to the same double, for records of up to 2^24 sample sets.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "dialogue/run_state.hpp"

namespace wavespec::cli {

// The longest record (and transform) the full layout takes.
inline constexpr std::int32_t kLongestFullRecord = 1 << 24;

// A file of the full layout that could not be written; what() names it and says why.
class FileWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Run state whose arrays hold a record of this many sample sets (capped at the longest the
// layout takes: a longer record is counted whole by the reader and refused by its count).
std::unique_ptr<RunState> full_layout_state(std::uint64_t samples);

// Lines of a text file, counted in large blocks (a last line without its end counts): the
// tool's CSV holds at most that many sample sets. 0 for a file that cannot be read (the
// reader then reports it).
std::uint64_t count_lines(const std::string& path);

// amp3.csv ("frequency(Hz),NAME1,NAME2,NAME3", bins 2 .. nom) and amp-c.csv
// ("frequency(Hz),re,im", bins 1 .. nom of the first component), written to these paths;
// final_names name the files in messages. Up to `threads` threads format the rows; the
// bytes are the same for any number.
void write_full_spectra(const std::string& amplitude_path, const std::string& complex_path,
                        const RunState& state, std::string_view amplitude_name,
                        std::string_view complex_name, unsigned threads);

// The output waveform "time(s),NAME1,NAME2,NAME3" with the skip answer's thinning; each time
// is (i - 1) * dt, computed for its own row. The values come from the output series x1..x3, or
// with from_reconstructed from xr1..xr3, which hold the same values when no window is cut.
// Up to `threads` threads format the rows, as for the spectra.
void write_full_output(const std::string& path, const RunState& state, bool from_reconstructed,
                       std::string_view name, unsigned threads);

}  // namespace wavespec::cli
