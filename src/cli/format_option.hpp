// The --format option of the commands that read records: a format's name, or a usage error.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "formats/formats.hpp"

namespace wavespec::cli {

formats::InputFormat parse_format_option(std::string_view value);

// --quantity: acceleration, velocity or displacement (files of several quantities).
formats::Quantity parse_quantity_option(std::string_view value);

// --channels=I,J,K: three different channels counted from 1 in file order, returned counted
// from 0.
std::vector<std::size_t> parse_channels_option(std::string_view value);

// The same three channels given as numbers counted from 1 (Python's channels=); refused with
// the option's line when they are not three different channels from 1 to 100000.
std::vector<std::size_t> chosen_channels(std::span<const long long> counted_from_one);

}  // namespace wavespec::cli
