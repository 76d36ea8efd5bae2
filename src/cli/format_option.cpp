#include "cli/format_option.hpp"

#include <string>

#include "cli/option_parser.hpp"

namespace wavespec::cli {

formats::InputFormat parse_format_option(std::string_view value) {
    auto format = formats::input_format_named(value);
    if (!format) {
        throw UsageError("unknown format '" + std::string(value) +
                         "' (auto, csv, knet, at2, sac, mseed or esm)");
    }
    return *format;
}

}  // namespace wavespec::cli
