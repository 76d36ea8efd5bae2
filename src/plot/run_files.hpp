// Readers of the files a run leaves behind, for drawing them afterwards: the amplitude
// spectra (amp3.csv) and the output waveform. They read text already in
// memory and throw ReadError naming the line of the first fault.
#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::plot {

class ReadError : public std::runtime_error {
  public:
    ReadError(std::size_t line, const std::string& message)
        : std::runtime_error(message), line_(line) {}
    std::size_t line() const { return line_; }  // from 1; 0 for the file as a whole

  private:
    std::size_t line_;
};

// Three columns of values; a field that cannot be read back (asterisks) is NaN.
struct Table {
    std::array<std::string, 3> names;  // trailing blanks trimmed
    std::vector<double> abscissa;      // frequency (Hz) or time (s) of each row
    std::array<std::vector<double>, 3> values;
};

// amp3.csv: " frequency(Hz),NAME,NAME,NAME" then rows "F8.4,E12.4,E12.4,E12.4,". A frequency
// written as asterisks (1000 Hz and up) is taken from the row number and the bin spacing.
Table read_amplitude_spectra(std::string_view text);

// The output waveform: " time(s),NAME,NAME,NAME" then rows "F6.3,F12.4,F12.4,F12.4,". Time
// comes from the row number and the interval between rows (the field turns to asterisks
// from 100 s); it is NaN throughout when fewer than two rows carry a readable time.
Table read_output_waveform(std::string_view text);

// True when the text's first line is an output waveform's header.
bool is_output_waveform_header(std::string_view text);

// A value field of these files: blanks around it, F or E notation, an E field's exponent
// written without its letter (0.1234+100); asterisks give NaN. False when it is none of these.
bool parse_field(std::string_view field, double& value);

}  // namespace wavespec::plot
