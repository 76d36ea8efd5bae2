// The command line: "wavespec" followed by a command or -h/-V. Without arguments the tool is
// the dialogue, which main runs itself.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace wavespec::cli {

// Exit statuses of the commands.
inline constexpr int kSuccess = 0;
inline constexpr int kSomeRecordFailed = 1;
inline constexpr int kUsageError = 2;

// Runs the command named by args (the arguments after the program name, at least one) and
// returns the exit status.
int run_command_line(std::span<const std::string> args);

// Prints the help of a command (the tool's own for an empty one) on standard output and
// returns the exit status: 0, or 1 when standard output cannot take it.
int print_help(std::string_view command);

// Prints "wavespec[ COMMAND]: MESSAGE; try 'wavespec[ COMMAND] --help'" on standard error.
void report_usage_error(std::string_view command, std::string_view message);

}  // namespace wavespec::cli
