#include "run/record_runner.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "cli/full_layout_files.hpp"
#include "cli/record_loading.hpp"

namespace wavespec::run {
namespace {

// What a sink saw, in order: each step's name with the record's length at that moment.
struct StepLog : RecordSink {
    std::vector<std::string> steps;
    std::int64_t processed_length = -1;
    std::int32_t transform_length = -1;
    void note(const char* step, const RunState& state) {
        steps.push_back(std::string(step) + " " + std::to_string(state.nt));
    }
    void processed(const run::ProcessedAsRead& result, const RunState& read) override {
        processed_length = static_cast<std::int64_t>(result.record.acceleration[0].size());
        note("processed", read);
    }
    void record_ready(const RunState& s) override { note("record", s); }
    void transform_ready(const RunState& s, std::int32_t length) override {
        transform_length = length;
        note("transform", s);
    }
    void band_passed(const RunState& s) override { note("band", s); }
    void spectra_ready(const RunState& s) override { note("spectra", s); }
    void series_ready(const RunState& s) override { note("series", s); }
    void output_ready(const RunState& s) override { note("output", s); }
};

std::unique_ptr<RunState> sines(std::size_t n) {
    formats::WaveformRecord record;
    record.dt = 0.01;
    for (std::size_t c = 0; c < 3; ++c) {
        record.components[c].name = std::string(1, static_cast<char>('1' + c));
        for (std::size_t i = 0; i < n; ++i) {
            record.components[c].samples.push_back(
                std::sin(0.05 * static_cast<double>((c + 1) * i)));
        }
    }
    auto state = cli::full_layout_state(n);
    cli::load_record(record, *state);
    return state;
}

struct RunCase {
    const char* what;
    std::size_t samples;
    std::int32_t longest;
    bool pad;  // one second of zeros from --pad
    std::optional<std::array<double, 2>> window;
    std::vector<std::string> steps;  // with each step's record length
    std::string refusal;             // empty: none
};

// The sinks see each step once, in the dialogue's order, with the record the step took: the
// padded one once processing has replaced the record as read, and nothing past a refusal.
TEST(RecordRunner, StepsReachTheSinkInOrder) {
    const std::vector<RunCase> cases = {
        {"the longest legacy record",
         32768,
         32768,
         false,
         std::nullopt,
         {"record 32768", "transform 32768", "band 32768", "spectra 32768", "series 32768",
          "output 32768"},
         ""},
        {"one sample too long",
         32769,
         32768,
         false,
         std::nullopt,
         {"record 32769"},
         "more than 32768 sample sets (32769); too long"},
        {"padded by a second",
         1000,
         1 << 24,
         true,
         std::nullopt,
         {"processed 1000", "record 1100", "transform 1100", "band 1100", "spectra 1100",
          "series 1100", "output 1100"},
         ""},
        {"a window longer than the arrays",
         1000,
         1 << 24,
         false,
         std::array{0.0, 1e6},
         {"record 1000", "transform 1000", "band 1000", "spectra 1000", "series 1000"},
         "window refused: a window of 1e+06 s is too long"},
    };
    for (const RunCase& c : cases) {
        auto state = sines(c.samples);
        job::RecordJob job;
        if (c.pad) {
            job.processing.asked = true;
            job.processing.steps.pad = processing::PadRequest{false, 1.0};
        }
        job.window = c.window;
        RunShape shape;
        shape.longest = c.longest;
        shape.too_long = "; too long";
        StepLog log;
        std::string refusal;
        try {
            run_record_steps(state, job, "record", shape, log);
        } catch (const StepRefused& refused) {
            refusal = refused.what();
        }
        EXPECT_EQ(log.steps, c.steps) << c.what;
        EXPECT_EQ(refusal.substr(0, c.refusal.size()), c.refusal) << c.what << ": " << refusal;
        EXPECT_EQ(refusal.empty(), c.refusal.empty()) << c.what;
        if (c.pad) {
            EXPECT_EQ(log.processed_length, 1100) << c.what;
            EXPECT_EQ(log.transform_length, 2048) << c.what;
        }
    }
}

}  // namespace
}  // namespace wavespec::run
