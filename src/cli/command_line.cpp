#include "cli/command_line.hpp"

#include <cstdio>
#include <string_view>

#include "cli/convert_command.hpp"
#include "cli/flatfile_command.hpp"
#include "cli/help_texts.hpp"
#include "cli/info_command.hpp"
#include "cli/inventory_command.hpp"
#include "cli/option_parser.hpp"
#include "cli/plot_command.hpp"
#include "cli/process_command.hpp"
#include "records/printable_text.hpp"

#ifndef WAVESPEC_VERSION
#define WAVESPEC_VERSION "unknown"
#endif

namespace wavespec::cli {

int print_help(std::string_view command) {
    const std::string_view text = help_text(command.empty() ? "wavespec" : command);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? kSuccess : kSomeRecordFailed;
}

void report_usage_error(std::string_view command, std::string_view message) {
    std::string line = "wavespec";
    if (!command.empty()) line.append(" ").append(command);
    line.append(": ").append(printable_line(message)).append("; try 'wavespec ");
    if (!command.empty()) line.append(command).append(" ");
    line.append("--help'\n");
    std::fputs(line.c_str(), stderr);
}

int run_command_line(std::span<const std::string> args) {
    const std::string& first = args.front();
    std::span<const std::string> rest = args.subspan(1);
    if (first == "-h" || first == "--help") return print_help({});
    if (first == "-V" || first == "--version") {
        std::fputs("wavespec " WAVESPEC_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? kSuccess : kSomeRecordFailed;
    }
    if (first == "process") return run_process(rest);
    if (first == "plot") return run_plot(rest);
    if (first == "convert") return run_convert(rest);
    if (first == "inventory") return run_inventory(rest);
    if (first == "flatfile") return run_flatfile(rest);
    if (first == "info") return run_info(rest);
    if (first.starts_with("-")) {
        report_usage_error({}, "unknown option '" + first + "'");
    } else {
        report_usage_error({}, "unknown command '" + first + "'");
    }
    return kUsageError;
}

}  // namespace wavespec::cli
