#include "instrument/deconvolution.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "records/shortest_text.hpp"
#include "spectral/complex_arithmetic.hpp"
#include "spectral/mixed_fft.hpp"
#include "spectral/portable_math.hpp"
#include "spectral/real_transform.hpp"
#include "spectral/tukey_taper.hpp"

namespace wavespec::instrument {
namespace {

constexpr double kTaperFraction = 0.1;  // 5 % at each end
constexpr double kCentimetres = 100.0;  // per metre

// The stage's input rate as a whole multiple of the record's rate, where it is one.
std::optional<std::uint64_t> whole_rate_ratio(const Stage& stage, double fallback_rate, double dt,
                                              std::size_t length) {
    double rate = stage.input_rate > 0.0 ? stage.input_rate : fallback_rate;
    double ratio = rate * dt;
    if (!(ratio >= 1.0) || ratio > 1e6) return std::nullopt;
    double whole = std::round(ratio);
    if (std::fabs(ratio - whole) > 1e-9 * whole) return std::nullopt;
    auto d = static_cast<std::uint64_t>(whole);
    if (d > UINT64_MAX / 4 / length) return std::nullopt;
    return d;
}

// A polyphase part of at most this many coefficients is evaluated by Horner's rule at each
// bin; a longer one through a zero-padded transform.
constexpr std::size_t kMostDirectTerms = 16;

// sum_k c_k exp(-2 pi i k m / (length d)) for m = 0 .. length / 2: split into the d
// polyphase parts P_r(m) = sum_q c_(dq+r) z^q with z = exp(-2 pi i m / length), each a
// zero-padded transform of the record's length (or, with few coefficients, Horner's rule in
// z), and joined by Horner's rule in w = exp(-2 pi i m / (length d)):
// sum_r P_r w^r = P_0 + w (P_1 + w (P_2 + ...)).
std::vector<Complex> digital_sum_at_bins(const std::vector<double>& c, std::uint64_t d,
                                         RealTransform& transform) {
    const std::size_t length = transform.length();
    const std::vector<Complex>& roots = transform.roots();
    const std::size_t bins = length / 2 + 1;
    const std::size_t phases = static_cast<std::size_t>(std::min<std::uint64_t>(d, c.size()));
    std::vector<Complex> sum(bins), part(bins), w;
    if (phases > 1) {
        // w = exp(-2 pi i (m div d) / length) exp(-2 pi i (m mod d) / (length d)).
        const double period = static_cast<double>(length) * static_cast<double>(d);
        std::vector<Complex> fine(static_cast<std::size_t>(d));
        for (std::size_t u = 0; u < fine.size(); ++u) {
            fine[u] = unit_root(static_cast<double>(u) / period);
        }
        w.resize(bins);
        for (std::size_t m = 0, coarse = 0, u = 0; m < bins; ++m) {
            w[m] = roots[coarse] * fine[u];
            if (++u == fine.size()) u = 0, ++coarse;
        }
    }
    std::vector<double> coefficients;
    for (std::size_t r = phases; r-- > 0;) {
        coefficients.clear();
        for (std::size_t k = r; k < c.size(); k += d) {
            // The transform is periodic in length: a coefficient beyond it wraps round.
            const std::size_t q = (k / d) % length;
            if (q >= coefficients.size()) coefficients.resize(q + 1, 0.0);
            coefficients[q] += c[k];
        }
        const std::size_t last = coefficients.size() - 1;
        if (coefficients.size() <= kMostDirectTerms) {
            // Horner's rule in z = roots[m]: c_0 + z (c_1 + z (c_2 + ...)).
            for (std::size_t m = 0; m < bins; ++m) {
                const Complex z = roots[m];
                Complex value{coefficients[last], 0.0};
                for (std::size_t q = last; q-- > 0;) {
                    value = value * z;
                    value.re += coefficients[q];
                }
                part[m] = value;
            }
        } else {
            transform.forward(coefficients, part);
        }
        if (r + 1 == phases) {
            sum.swap(part);
        } else {
            for (std::size_t m = 0; m < bins; ++m) sum[m] = sum[m] * w[m] + part[m];
        }
    }
    return sum;
}

// sum_k c_k w^(m k) for m = 0 .. bins - 1, w = exp(-2 pi i / period), by Bluestein's
// identity m k = (m^2 + k^2 - (m - k)^2) / 2: with the chirp q(n) = exp(-pi i n^2 / period),
// the sum is q(m) sum_k (c_k q(k)) conj(q(m - k)), one convolution done by three transforms
// of a length of at least K + bins - 1. The period need not be whole (a stage whose rate is no
// whole multiple of the record's); n^2 stays exact below 2^52, so it is reduced exactly.
std::vector<Complex> chirp_z_sum(const std::vector<double>& c, double period, std::size_t bins) {
    const std::size_t taps = c.size();
    const std::size_t size = smooth_length(taps + bins - 1);
    std::vector<Complex> chirp(std::max(taps, bins));
    for (std::size_t n = 0; n < chirp.size(); ++n) {
        const double square = static_cast<double>(n) * static_cast<double>(n);
        chirp[n] = unit_root(std::fmod(square, 2.0 * period) / (2.0 * period));
    }
    std::vector<Complex> weighted(size), kernel(size);
    for (std::size_t k = 0; k < taps; ++k) weighted[k] = c[k] * chirp[k];
    for (std::size_t n = 0; n < bins; ++n) kernel[n] = {chirp[n].re, -chirp[n].im};
    for (std::size_t n = 1; n < taps; ++n) kernel[size - n] = {chirp[n].re, -chirp[n].im};
    MixedFft fft(size);
    fft.transform(weighted.data(), false);
    fft.transform(kernel.data(), false);
    for (std::size_t i = 0; i < size; ++i) weighted[i] = weighted[i] * kernel[i];
    fft.transform(weighted.data(), true);
    const double scale = 1.0 / static_cast<double>(size);
    std::vector<Complex> sum(bins);
    for (std::size_t m = 0; m < bins; ++m) sum[m] = scale * (chirp[m] * weighted[m]);
    return sum;
}

// Summed tap by tap at each bin (directly, or by Horner's rule in the polyphase parts), a
// stage of many taps costs taps x bins; past this many, one chirp-z transform is used.
constexpr double kMostTapBins = 67108864.0;  // 2^26
constexpr std::size_t kLongestChirp = std::size_t{1} << 26;

bool is_digital_filter(const Stage& stage) {
    return (stage.kind == StageKind::coefficients || stage.kind == StageKind::fir) &&
           stage.transfer == Transfer::digital && !stage.numerator.empty();
}

// The stage's input rate, or the channel's where it gives none, when it is a usable rate.
std::optional<double> input_rate(const Stage& stage, double fallback_rate) {
    double rate = stage.input_rate > 0.0 ? stage.input_rate : fallback_rate;
    if (!(rate > 0.0) || !std::isfinite(rate)) return std::nullopt;
    return rate;
}

// Whether the sums at the bins would go tap by tap (no whole rate ratio, or polyphase parts
// short enough for Horner's rule) over so many taps and bins that one transform is cheaper.
bool costs_taps_times_bins(const Stage& stage, std::optional<std::uint64_t> ratio,
                           std::size_t bins) {
    const std::size_t taps = std::max(stage.numerator.size(), stage.denominator.size());
    if (taps + bins > kLongestChirp) return false;
    if (ratio && (taps - 1) / *ratio + 1 > kMostDirectTerms) return false;
    return static_cast<double>(taps) * static_cast<double>(bins) > kMostTapBins;
}

// h *= gain top / bottom (bottom empty: 1) at every bin.
void multiply_filter(const Stage& stage, const std::vector<Complex>& top,
                     const std::vector<Complex>& bottom, std::vector<Complex>& h) {
    double gain = stage.has_gain ? stage.gain : 1.0;
    for (std::size_t m = 0; m < h.size(); ++m) {
        Complex value = bottom.empty() ? top[m] : top[m] / bottom[m];
        h[m] = h[m] * (gain * value);
    }
}

// A response list unwrapped once for all the bins; a bin outside the list is 0 where the
// output will not hold it anyway (zero frequency, or the pre-filter's 0), and fails otherwise.
void multiply_listed(const Stage& stage, const DeconvolutionSettings& settings, double step,
                     std::vector<Complex>& h) {
    const ListedResponse listed(stage);
    for (std::size_t m = 0; m < h.size(); ++m) {
        double f = static_cast<double>(m) * step;
        try {
            h[m] = h[m] * listed.at(f);
        } catch (const ResponseError&) {
            bool unused = m == 0 || (settings.pre_filter &&
                                     pre_filter_weight(*settings.pre_filter, f) == 0.0);
            if (!unused) throw;
            h[m] = {};
        }
    }
}

void multiply_stage(const Stage& stage, const ChannelEpoch& channel, double dt,
                    const DeconvolutionSettings& settings, RealTransform& transform,
                    std::vector<Complex>& h) {
    const std::size_t length = transform.length();
    const double step = 1.0 / (static_cast<double>(length) * dt);
    const std::optional<double> rate = input_rate(stage, channel.sample_rate);
    if (is_digital_filter(stage) && rate) {
        const std::optional<std::uint64_t> d =
            whole_rate_ratio(stage, channel.sample_rate, dt, length);
        std::vector<Complex> top, bottom;
        if (costs_taps_times_bins(stage, d, h.size())) {
            // w = exp(-2 pi i f / rate) at f = m / (length dt): a period of length rate dt.
            const double period =
                d ? static_cast<double>(length * *d) : static_cast<double>(length) * dt * *rate;
            top = chirp_z_sum(stage.numerator, period, h.size());
            if (!stage.denominator.empty())
                bottom = chirp_z_sum(stage.denominator, period, h.size());
            return multiply_filter(stage, top, bottom, h);
        }
        if (d) {
            top = digital_sum_at_bins(stage.numerator, *d, transform);
            if (!stage.denominator.empty())
                bottom = digital_sum_at_bins(stage.denominator, *d, transform);
            return multiply_filter(stage, top, bottom, h);
        }
    }
    if (stage.kind == StageKind::response_list) return multiply_listed(stage, settings, step, h);
    for (std::size_t m = 0; m < h.size(); ++m) {
        double f = static_cast<double>(m) * step;
        h[m] = h[m] * stage_response(stage, f, channel.sample_rate);
    }
}

}  // namespace

std::size_t deconvolution_length(std::size_t samples) {
    return smooth_length(2 * std::max<std::size_t>(samples, 1));
}

double pre_filter_weight(const std::array<double, 4>& c, double f) {
    if (f <= c[0] || f >= c[3]) return 0.0;
    if (f >= c[1] && f <= c[2]) return 1.0;
    constexpr double kPi = 3.141592653589793;
    if (f < c[1]) return 0.5 * (1.0 - portable_sin_cos(kPi * (f - c[0]) / (c[1] - c[0])).cos);
    return 0.5 * (1.0 + portable_sin_cos(kPi * (f - c[2]) / (c[3] - c[2])).cos);
}

std::vector<Complex> response_at_bins(const ChannelEpoch& channel, double dt,
                                      const DeconvolutionSettings& settings,
                                      RealTransform& transform) {
    const std::size_t length = transform.length();
    std::vector<Complex> h(length / 2 + 1, Complex{1.0, 0.0});
    if (channel.stages.empty()) {
        Complex s = channel_response(channel, 0.0);
        for (Complex& value : h) value = s;
    } else {
        for (const Stage& stage : channel.stages) {
            multiply_stage(stage, channel, dt, settings, transform, h);
        }
    }
    int n = static_cast<int>(settings.wanted) - static_cast<int>(input_quantity(channel));
    const double step = 1.0 / (static_cast<double>(length) * dt);
    for (std::size_t m = 0; m < h.size() && n != 0; ++m) {
        if (m == 0) {
            h[m] = {};
            continue;
        }
        Complex jw{0.0, kTwoPi * static_cast<double>(m) * step};
        for (int i = 0; i < n; ++i) h[m] = h[m] / jw;
        for (int i = 0; i < -n; ++i) h[m] = h[m] * jw;
    }
    return h;
}

std::vector<Complex> response_at_bins(const ChannelEpoch& channel, std::size_t length, double dt,
                                      const DeconvolutionSettings& settings) {
    RealTransform transform(length);
    return response_at_bins(channel, dt, settings, transform);
}

RealTransform& BinResponses::transform() {
    if (!transform_) transform_.emplace(deconvolution_length(samples_));
    return *transform_;
}

const BinResponses::Response& BinResponses::of(const ChannelEpoch& channel) {
    for (const Response& known : known_) {
        if (known.channel->same_response(channel)) return known;
    }
    Response response{&channel, response_at_bins(channel, dt_, settings_, transform()), 0.0};
    for (Complex value : response.bins) {
        double a = modulus(value);
        if (std::isnan(a)) throw ResponseError(channel.code() + ": the response is not a number");
        if (std::isfinite(a)) response.largest = std::max(response.largest, a);
    }
    if (!(response.largest > 0.0)) {
        throw ResponseError(channel.code() + ": the response is zero everywhere");
    }
    known_.push_back(std::move(response));
    return known_.back();
}

std::vector<double> remove_response(std::span<const double> counts, double dt,
                                    const ChannelEpoch& channel,
                                    const DeconvolutionSettings& settings) {
    BinResponses responses(counts.size(), dt, settings);
    return remove_response(counts, dt, channel, settings, responses);
}

std::vector<double> remove_response(std::span<const double> counts, double dt,
                                    const ChannelEpoch& channel,
                                    const DeconvolutionSettings& settings,
                                    BinResponses& responses) {
    const std::size_t n = counts.size();
    if (n == 0) return {};
    // Only a sensitivity, and the quantity it is given in: a plain division, sign as given.
    if (channel.stages.empty() && !settings.pre_filter &&
        input_quantity(channel) == settings.wanted) {
        Complex s = channel_response(channel, 0.0);
        if (!(s.re != 0.0)) throw ResponseError(channel.code() + ": the sensitivity is zero");
        std::vector<double> out(n);
        for (std::size_t i = 0; i < n; ++i) out[i] = kCentimetres * counts[i] / s.re;
        return out;
    }
    std::vector<double> series(counts.begin(), counts.end());
    double sum = 0.0;
    for (double x : series) sum += x;
    const double mean = sum / static_cast<double>(n);
    for (double& x : series) x -= mean;
    apply_tukey_taper(series, kTaperFraction);

    const BinResponses::Response& response = responses.of(channel);
    const std::vector<Complex>& d = response.bins;
    RealTransform& transform = responses.transform();
    std::vector<Complex> spectrum;
    transform.forward(series, spectrum);
    const double floor = settings.water_level_db
                             ? response.largest * portable_exp10(-*settings.water_level_db / 20.0)
                             : 0.0;
    const double step = 1.0 / (static_cast<double>(transform.length()) * dt);
    for (std::size_t m = 0; m < d.size(); ++m) {
        double a = modulus(d[m]);
        if (a == 0.0 || !std::isfinite(a)) {
            spectrum[m] = {};
            continue;
        }
        Complex divisor = a < floor ? (floor / a) * d[m] : d[m];
        Complex value = kCentimetres * (spectrum[m] / divisor);
        if (settings.pre_filter) {
            value = pre_filter_weight(*settings.pre_filter, static_cast<double>(m) * step) * value;
        }
        spectrum[m] = value;
    }
    transform.inverse(spectrum, series);
    const double scale = 1.0 / static_cast<double>(transform.length());
    for (double& x : series) {
        x *= scale;
        if (!std::isfinite(x)) {
            throw ResponseError(channel.code() + ": the deconvolved record is not finite");
        }
    }
    return series;
}

}  // namespace wavespec::instrument
