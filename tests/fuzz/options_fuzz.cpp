// Fuzz target: the arguments of "wavespec process", one a line. Parsing ends with options or
// a usage error, never anything else; every number it takes lies in its documented range; and
// the record-dependent bounds of a small fixed record are then decided without fault.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/option_bounds.hpp"
#include "cli/option_parser.hpp"
#include "cli/process_options.hpp"
#include "cli/record_bounds.hpp"

namespace wavespec::cli {
namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void require_in(std::string_view option, std::string_view value, double x) {
    require(in_range(value_range(option, value), x));
}

// Every number the options hold, against its row of the table.
void check_ranges(const ProcessOptions& o) {
    if (o.bandpass) {
        for (double corner : *o.bandpass) require_in("bandpass", "FL1,FL2,FH1,FH2", corner);
    }
    if (o.window) {
        require_in("window", "START", (*o.window)[0]);
        require_in("window", "DURATION", (*o.window)[1]);
    }
    require_in("skip", "N", o.skip);
    require_in("jobs", "N", o.jobs);
    require(o.periods.size() <= kMostPeriods && o.dampings.size() <= kMostDampings);
    for (double period : o.periods) require_in("periods", "period", period);
    for (double damping : o.dampings) require_in("damping", "damping", damping);
    if (o.smoothing.window) {
        bool parzen = o.smoothing.window->kind == smoothing::WindowKind::parzen;
        require_in("smooth", parzen ? "BW" : "B", o.smoothing.window->width);
    }
    require_in("smooth-points", "N", o.smoothing.points_per_decade);
    if (o.smoothing.hv_window_seconds) {
        require_in("hv-windows", "SECONDS", *o.smoothing.hv_window_seconds);
    }
}

}  // namespace
}  // namespace wavespec::cli

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec::cli;
    std::vector<std::string> args;
    std::string text(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        args.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    ProcessOptions options;
    try {
        options = parse_process_options(args);
    } catch (const UsageError&) {
        return 0;
    }
    check_ranges(options);
    (void)record_bounds_problem(options, 64, 0.01, 64);
    (void)record_bounds_problem(options, 1 << 24, 1e-300, 1 << 24);
    return 0;
}
