// The quick reading of a plain real value of a list-directed record: the form nearly every
// value of a waveform file has ("0.01", "-120.5", "1.5E-03"), read straight from the text.
#pragma once

#include <cstddef>
#include <string_view>

namespace wavespec {

// Reads a real at the start of text: an optional sign, digits with an optional point, and an
// optional exponent (E, D or a sign, then digits). Returns the number of characters it takes,
// or 0 when the text needs the full reader: digits whose integer passes 2^53, a power of ten
// beyond 10^22 either way, a repeat count, a malformed number, or a number that reaches the
// end of the text (it may go on in the next buffer). The value is the one the full reader
// gives: an integer below 2^53 and an exact power of ten round once, correctly.
std::size_t scan_plain_real(std::string_view text, double& value);

}  // namespace wavespec
