// Removing a channel's instrument response from a record in counts, as the field does it:
// the mean removed, a cosine taper over 5 % at each end, a transform at least twice the
// record's length, a division by the response in the wanted quantity held at a water level,
// an optional cosine pre-filter, and the transform back, in cm, cm/s or cm/s^2.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "instrument/response_evaluation.hpp"
#include "instrument/response_model.hpp"
#include "spectral/complex_value.hpp"
#include "spectral/real_transform.hpp"

namespace wavespec::instrument {

struct DeconvolutionSettings {
    Quantity wanted = Quantity::acceleration;
    std::optional<double> water_level_db = 60.0;  // nothing: no water level
    // F1 < F2 <= F3 < F4 in Hz: 1 from F2 to F3, a half cosine down to 0 at F1 and F4.
    std::optional<std::array<double, 4>> pre_filter;
};

// The transform length the deconvolution of n samples uses: the smallest 2^a 3^b 5^c >= 2n.
std::size_t deconvolution_length(std::size_t samples);

// The cosine pre-filter's weight at f.
double pre_filter_weight(const std::array<double, 4>& corners, double frequency);

// D(f_m) = H(f_m) (2 pi i f_m)^-n at f_m = m / (length dt), m = 0 .. length / 2. Digital
// stages whose input rate is a whole multiple of 1/dt come from zero-padded transforms of
// their coefficients; bins outside a response list are 0 where the pre-filter (or the zero
// frequency) makes them irrelevant, and fail otherwise.
std::vector<Complex> response_at_bins(const ChannelEpoch& channel, std::size_t length, double dt,
                                      const DeconvolutionSettings& settings);

// The response at the bins of a record of this many samples, evaluated once and shared by
// the channels of a record whose responses are the same, and the record's transforms, laid
// out once for its channels.
class BinResponses {
  public:
    struct Response {
        const ChannelEpoch* channel;
        std::vector<Complex> bins;
        double largest = 0.0;  // the largest finite |D| of the bins, above zero
    };
    BinResponses(std::size_t samples, double dt, const DeconvolutionSettings& settings)
        : samples_(samples), dt_(dt), settings_(settings) {}
    // A ResponseError where the response is not a number, or zero at every bin.
    const Response& of(const ChannelEpoch& channel);
    RealTransform& transform();

  private:
    std::size_t samples_;
    double dt_;
    DeconvolutionSettings settings_;
    std::optional<RealTransform> transform_;
    std::deque<Response> known_;  // references to them stay valid as more are added
};

// The record in the wanted quantity, in cm-based units (cm, cm/s, cm/s^2), same length. A
// channel with a sensitivity alone, in the wanted quantity and without a pre-filter, is
// divided by it sample by sample.
std::vector<double> remove_response(std::span<const double> counts, double dt,
                                    const ChannelEpoch& channel,
                                    const DeconvolutionSettings& settings);
// The same with the responses at the bins taken from (and kept in) `responses`.
std::vector<double> remove_response(std::span<const double> counts, double dt,
                                    const ChannelEpoch& channel,
                                    const DeconvolutionSettings& settings, BinResponses& responses);

}  // namespace wavespec::instrument
