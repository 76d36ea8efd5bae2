// Command-line options in the GNU manner: long options with their value after '=' or as the
// next argument, short options with the value attached or next, short flags bundled (-qj2),
// options and operands in any order, and "--" ending the options.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace wavespec::cli {

// A mistake in the command line: the message names the offending argument.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct KnownOption {
    std::string_view long_name;  // without the leading "--"
    char short_name = 0;         // 0: no short form
    bool takes_value = false;
};

struct ParsedOption {
    std::string_view long_name;  // the option's long name, whichever form was typed
    std::string value;           // empty for flags
};

struct ParsedArguments {
    std::vector<ParsedOption> options;  // in the order given
    std::vector<std::string> operands;
};

ParsedArguments parse_options(std::span<const std::string> args,
                              std::span<const KnownOption> known);

}  // namespace wavespec::cli
