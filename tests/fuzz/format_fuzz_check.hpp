// What every reader's fuzz target checks of a trace it accepted: a positive finite interval
// and finite samples, never more than the input could hold.
#pragma once

#include <cmath>
#include <string>

#include "formats/file_trace.hpp"
#include "fuzz/fuzz_support.hpp"

namespace wavespec::fuzz {

inline void check_trace(const formats::FileTrace& trace, std::size_t input_size,
                        std::size_t bytes_per_sample) {
    if (!(trace.dt > 0.0) || !std::isfinite(trace.dt))
        finding("interval not positive", std::to_string(trace.dt));
    if (trace.samples.empty()) finding("a trace without samples", "");
    if (trace.samples.size() * bytes_per_sample > input_size) {
        finding("more samples than the input can hold", std::to_string(trace.samples.size()));
    }
    for (double v : trace.samples) {
        if (!std::isfinite(v)) finding("non-finite sample accepted", std::to_string(v));
    }
    for (char c : trace.component) {
        bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ||
                     c == '.' || c == '+';
        if (!plain) finding("component name not a plain word", trace.component);
    }
}

}  // namespace wavespec::fuzz
