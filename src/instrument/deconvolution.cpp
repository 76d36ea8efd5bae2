#include "instrument/deconvolution.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "instrument/complex_arithmetic.hpp"
#include "records/shortest_text.hpp"
#include "spectral/mixed_fft.hpp"
#include "spectral/portable_math.hpp"
#include "spectral/tukey_taper.hpp"

namespace wavespec::instrument {
namespace {

constexpr double kTwoPi = 2.0 * 3.141592653589793;
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

// A polyphase part with at most this many coefficients is summed directly from the table of
// roots; a longer one through a zero-padded transform.
constexpr std::size_t kMostDirectTerms = 16;

// sum_k c_k exp(-2 pi i k m / (length d)) for m = 0 .. length / 2: split into the d
// polyphase parts c_(dq+r), each a zero-padded transform of the record's length (or, with few
// coefficients, the same sum over the table of roots), shifted by exp(-2 pi i r m / (length d)).
// roots[t] = exp(-2 pi i t / length).
std::vector<Complex> digital_sum_at_bins(const std::vector<double>& c, std::size_t length,
                                         std::uint64_t d, MixedFft& fft,
                                         const std::vector<Complex>& roots) {
    const std::size_t bins = length / 2 + 1;
    std::vector<Complex> sum(bins), part(length);
    const std::uint64_t period = static_cast<std::uint64_t>(length) * d;
    std::vector<Complex> fine(static_cast<std::size_t>(d));  // exp(-2 pi i u / (length d))
    for (std::size_t u = 0; u < fine.size(); ++u) {
        fine[u] = unit_root(static_cast<double>(u) / static_cast<double>(period));
    }
    const std::size_t phases = static_cast<std::size_t>(std::min<std::uint64_t>(d, c.size()));
    std::vector<std::pair<std::size_t, double>> terms;
    for (std::size_t r = 0; r < phases; ++r) {
        terms.clear();
        for (std::size_t k = r; k < c.size(); k += d) {
            // The transform is periodic in length: a coefficient beyond it wraps round.
            if (c[k] != 0.0) terms.emplace_back((k / d) % length, c[k]);
        }
        if (terms.empty()) continue;
        if (terms.size() <= kMostDirectTerms) {
            // Each term's root index q m mod length, stepped by q from bin to bin.
            std::vector<std::size_t> index(terms.size(), 0);
            for (std::size_t m = 0; m < bins; ++m) {
                Complex value;
                for (std::size_t j = 0; j < terms.size(); ++j) {
                    value = value + terms[j].second * roots[index[j]];
                    index[j] += terms[j].first;
                    if (index[j] >= length) index[j] -= length;
                }
                part[m] = value;
            }
        } else {
            std::fill(part.begin(), part.end(), Complex{});
            for (auto [q, coefficient] : terms) part[q].re += coefficient;
            fft.transform(part.data(), false);
        }
        // r m mod (length d) kept as coarse * d + fine_index, stepped by r (< d) each bin.
        std::size_t coarse = 0, fine_index = 0;
        for (std::size_t m = 0; m < bins; ++m) {
            sum[m] = sum[m] + part[m] * (roots[coarse] * fine[fine_index]);
            fine_index += r;
            if (fine_index >= fine.size()) {
                fine_index -= fine.size();
                if (++coarse == length) coarse = 0;
            }
        }
    }
    return sum;
}

bool is_digital_filter(const Stage& stage) {
    return (stage.kind == StageKind::coefficients || stage.kind == StageKind::fir) &&
           stage.transfer == Transfer::digital && !stage.numerator.empty();
}

void multiply_stage(const Stage& stage, const ChannelEpoch& channel, std::size_t length, double dt,
                    const DeconvolutionSettings& settings, MixedFft& fft,
                    const std::vector<Complex>& roots, std::vector<Complex>& h) {
    const double step = 1.0 / (static_cast<double>(length) * dt);
    if (is_digital_filter(stage)) {
        if (auto d = whole_rate_ratio(stage, channel.sample_rate, dt, length)) {
            std::vector<Complex> top = digital_sum_at_bins(stage.numerator, length, *d, fft, roots);
            std::vector<Complex> bottom;
            if (!stage.denominator.empty())
                bottom = digital_sum_at_bins(stage.denominator, length, *d, fft, roots);
            double gain = stage.has_gain ? stage.gain : 1.0;
            for (std::size_t m = 0; m < h.size(); ++m) {
                Complex value = bottom.empty() ? top[m] : top[m] / bottom[m];
                h[m] = h[m] * (gain * value);
            }
            return;
        }
    }
    for (std::size_t m = 0; m < h.size(); ++m) {
        double f = static_cast<double>(m) * step;
        try {
            h[m] = h[m] * stage_response(stage, f, channel.sample_rate);
        } catch (const ResponseError&) {
            // A bin the output will not hold anyway needs no response.
            bool unused = m == 0 || (settings.pre_filter &&
                                     pre_filter_weight(*settings.pre_filter, f) == 0.0);
            if (stage.kind != StageKind::response_list || !unused) throw;
            h[m] = {};
        }
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

std::vector<Complex> response_at_bins(const ChannelEpoch& channel, std::size_t length, double dt,
                                      const DeconvolutionSettings& settings) {
    std::vector<Complex> h(length / 2 + 1, Complex{1.0, 0.0});
    if (channel.stages.empty()) {
        Complex s = channel_response(channel, 0.0);
        for (Complex& value : h) value = s;
    } else {
        MixedFft fft(length);
        std::vector<Complex> roots;
        for (const Stage& stage : channel.stages) {
            if (roots.empty() && is_digital_filter(stage)) {
                roots.resize(length);
                for (std::size_t t = 0; t < length; ++t) {
                    roots[t] = unit_root(static_cast<double>(t) / static_cast<double>(length));
                }
            }
            multiply_stage(stage, channel, length, dt, settings, fft, roots, h);
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

const std::vector<Complex>& BinResponses::of(const ChannelEpoch& channel) {
    for (const auto& [known, bins] : known_) {
        if (known->same_response(channel)) return bins;
    }
    known_.emplace_back(&channel,
                        response_at_bins(channel, deconvolution_length(samples_), dt_, settings_));
    return known_.back().second;
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

    const std::size_t length = deconvolution_length(n);
    std::vector<Complex> spectrum(length);
    for (std::size_t i = 0; i < n; ++i) spectrum[i].re = series[i];
    MixedFft fft(length);
    fft.transform(spectrum.data(), false);

    const std::vector<Complex>& d = responses.of(channel);
    double largest = 0.0;
    for (Complex value : d) {
        double a = modulus(value);
        if (std::isnan(a)) throw ResponseError(channel.code() + ": the response is not a number");
        if (std::isfinite(a)) largest = std::max(largest, a);
    }
    if (!(largest > 0.0)) throw ResponseError(channel.code() + ": the response is zero everywhere");
    const double floor =
        settings.water_level_db ? largest * portable_exp10(-*settings.water_level_db / 20.0) : 0.0;
    const double step = 1.0 / (static_cast<double>(length) * dt);
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
    // A real series: the upper half mirrors the lower, the Nyquist bin of an even length is real.
    if (length % 2 == 0) spectrum[length / 2].im = 0.0;
    for (std::size_t m = 1; m < (length + 1) / 2; ++m) {
        spectrum[length - m] = {spectrum[m].re, -spectrum[m].im};
    }
    spectrum[0].im = 0.0;
    fft.transform(spectrum.data(), true);
    std::vector<double> out(n);
    const double scale = 1.0 / static_cast<double>(length);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = spectrum[i].re * scale;
        if (!std::isfinite(out[i])) {
            throw ResponseError(channel.code() + ": the deconvolved record is not finite");
        }
    }
    return out;
}

}  // namespace wavespec::instrument
