// The complex response H(f) of a channel, in counts per unit of its input, from its stages:
// analog poles and zeros A0 prod(s - z) / prod(s - p) with s = 2 pi i f (rad/s) or s = i f
// (Hz); digital poles and zeros at z = exp(2 pi i f / fs); coefficients and FIR filters as
// sum b_k exp(-2 pi i f k / fs) / sum a_k exp(-2 pi i f k / fs), evaluated causally (a
// stage's delay and its correction do not enter); response lists interpolated linearly in
// frequency, amplitude and unwrapped phase; each stage's gain multiplied in. A channel
// without stages responds with its sensitivity at every frequency.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/response_model.hpp"
#include "spectral/complex_value.hpp"

namespace wavespec::instrument {

// A response that cannot be evaluated; what() says why in one line.
class ResponseError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Ground motion as displacement (m), velocity (m/s) or acceleration (m/s^2).
enum class Quantity { displacement = 0, velocity = 1, acceleration = 2 };

// M, M/S, M/S**2 (also M/S^2, M/S2, M/S/S, M/SEC, M/SEC**2), any case; nothing otherwise.
std::optional<Quantity> quantity_of_units(std::string_view units);
std::string_view quantity_name(Quantity quantity);

// The quantity the channel's first stage (or, without stages, its sensitivity) takes in.
Quantity input_quantity(const ChannelEpoch& channel);

// One stage at one frequency (Hz). fallback_rate stands for a digital stage's input rate
// where the metadata gives none.
Complex stage_response(const Stage& stage, double frequency, double fallback_rate);

// A response list's stage with its phase unwrapped along the list once, so that each
// frequency costs a binary search: a list of n points at m bins costs m log n, not m n.
class ListedResponse {
  public:
    explicit ListedResponse(const Stage& stage);  // the stage outlives this
    // The stage's response with its gain, as stage_response gives it; a ResponseError
    // outside the list.
    Complex at(double frequency) const;

  private:
    const Stage& stage_;
    std::vector<double> phase_;  // degrees, unwrapped
};

// The product of all stages (the sensitivity alone without stages), counts per input unit.
Complex channel_response(const ChannelEpoch& channel, double frequency);

// The response to the wanted quantity: H(f) (2 pi i f)^-n, n = wanted - input (0 at f = 0
// where n differs from 0).
Complex response_to(const ChannelEpoch& channel, double frequency, Quantity wanted);

// Degrees by portable_atan2 (the same last bits on every platform), in (-180, 180].
double phase_degrees(Complex value);

// Warnings on the metadata, one line each: units that do not chain from stage to stage, the
// stage gains' product or |H| at the sensitivity's frequency off the sensitivity by more
// than 2 %. Empty when all agree.
std::vector<std::string> response_warnings(const ChannelEpoch& channel);

// One line describing a stage, for listings.
std::string describe_stage(const Stage& stage);

}  // namespace wavespec::instrument
