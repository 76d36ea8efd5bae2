// A channel's instrument response as station metadata describes it: the epoch it holds for,
// its overall sensitivity, and the stages that turn ground motion into counts. Plain data,
// filled by a reader of station metadata and evaluated by response_evaluation.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "spectral/complex_value.hpp"

namespace wavespec::instrument {

enum class StageKind {
    gain_only,      // a StageGain and nothing else
    poles_zeros,    // analog (Laplace) or digital (z-transform) poles and zeros
    coefficients,   // numerator and denominator coefficients
    fir,            // FIR numerator coefficients, possibly given as one half
    response_list,  // amplitude and phase at listed frequencies
    polynomial,     // refused when evaluated
};

enum class Transfer {
    laplace_radians,  // s = 2 pi i f
    laplace_hertz,    // s = i f
    digital,          // z = exp(2 pi i f / fs)
};

struct ListPoint {
    double frequency = 0.0;  // Hz
    double amplitude = 0.0;
    double phase = 0.0;  // degrees
    friend bool operator==(const ListPoint&, const ListPoint&) = default;
};

struct Stage {
    int number = 0;
    StageKind kind = StageKind::gain_only;
    std::string input_units, output_units;
    Transfer transfer = Transfer::digital;
    double normalization = 1.0;            // A0 of poles and zeros
    double normalization_frequency = 0.0;  // Hz
    std::vector<Complex> zeros, poles;
    // Coefficients and FIR (the FIR's symmetry already unfolded into all its coefficients).
    std::vector<double> numerator, denominator;
    std::vector<ListPoint> list;
    double input_rate = 0.0;  // samples per second at the stage's input (Decimation); 0 if unknown
    int decimation_factor = 1;
    bool has_gain = false;
    double gain = 1.0;
    double gain_frequency = 0.0;
    friend bool operator==(const Stage&, const Stage&) = default;
};

struct Sensitivity {
    double value = 0.0;
    double frequency = 0.0;
    std::string input_units, output_units;
    friend bool operator==(const Sensitivity&, const Sensitivity&) = default;
};

inline constexpr std::int64_t kOpenEnd = std::numeric_limits<std::int64_t>::max();

struct ChannelEpoch {
    std::string network, station, location, channel;
    std::int64_t start_us = std::numeric_limits<std::int64_t>::min();  // since 1970, inclusive
    std::int64_t end_us = kOpenEnd;                                    // exclusive
    double sample_rate = 0.0;
    std::optional<double> azimuth, dip;  // degrees
    std::optional<Sensitivity> sensitivity;
    std::vector<Stage> stages;

    std::string code() const { return network + "." + station + "." + location + "." + channel; }

    // The same response: stages, sensitivity and rate, whatever the channel and epoch.
    bool same_response(const ChannelEpoch& other) const {
        return stages == other.stages && sensitivity == other.sensitivity &&
               sample_rate == other.sample_rate;
    }
};

}  // namespace wavespec::instrument
