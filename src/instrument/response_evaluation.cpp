#include "instrument/response_evaluation.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "records/ascii_case.hpp"
#include "records/shortest_text.hpp"
#include "spectral/complex_arithmetic.hpp"
#include "spectral/portable_math.hpp"

namespace wavespec::instrument {
namespace {

constexpr double kAgreement = 0.02;  // real metadata is often 1-2 % off itself

std::string upper(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') out += ascii_upper(c);
    }
    return out;
}

std::string stage_name(const Stage& stage) {
    return "stage " + std::to_string(stage.number);
}

// sum c_k w^k, w = exp(-2 pi i f / fs), each power from its own reduced angle.
Complex digital_sum(const std::vector<double>& coefficients, double turns_per_sample) {
    Complex sum;
    for (std::size_t k = 0; k < coefficients.size(); ++k) {
        if (coefficients[k] == 0.0) continue;
        sum = sum + coefficients[k] * unit_root(turns_per_sample * static_cast<double>(k));
    }
    return sum;
}

// sum c_k s^k by Horner's rule.
Complex polynomial_in(const std::vector<double>& coefficients, Complex s) {
    Complex sum;
    for (std::size_t k = coefficients.size(); k-- > 0;) sum = sum * s + Complex{coefficients[k], 0};
    return sum;
}

double stage_rate(const Stage& stage, double fallback_rate) {
    double rate = stage.input_rate > 0.0 ? stage.input_rate : fallback_rate;
    if (!(rate > 0.0) || !std::isfinite(rate)) {
        throw ResponseError(stage_name(stage) + " is digital but no sample rate is known for it");
    }
    return rate;
}

Complex poles_zeros(const Stage& stage, double frequency, double fallback_rate) {
    Complex x;
    if (stage.transfer == Transfer::digital) {
        // z = exp(+2 pi i f / fs): the conjugate of the unit root.
        Complex w = unit_root(frequency / stage_rate(stage, fallback_rate));
        x = {w.re, -w.im};
    } else {
        x = {0.0, stage.transfer == Transfer::laplace_radians ? kTwoPi * frequency : frequency};
    }
    Complex value{stage.normalization, 0.0};
    for (Complex z : stage.zeros) value = value * (x - z);
    for (Complex p : stage.poles) value = value / (x - p);
    return value;
}

Complex coefficients(const Stage& stage, double frequency, double fallback_rate) {
    if (stage.numerator.empty() && stage.denominator.empty()) return {1.0, 0.0};
    if (stage.transfer != Transfer::digital) {
        Complex s{0.0,
                  stage.transfer == Transfer::laplace_radians ? kTwoPi * frequency : frequency};
        Complex top = stage.numerator.empty() ? Complex{1, 0} : polynomial_in(stage.numerator, s);
        if (stage.denominator.empty()) return top;
        return top / polynomial_in(stage.denominator, s);
    }
    double turns = frequency / stage_rate(stage, fallback_rate);
    Complex top = stage.numerator.empty() ? Complex{1, 0} : digital_sum(stage.numerator, turns);
    if (stage.denominator.empty()) return top;
    return top / digital_sum(stage.denominator, turns);
}

}  // namespace

ListedResponse::ListedResponse(const Stage& stage) : stage_(stage), phase_(stage.list.size()) {
    const std::vector<ListPoint>& list = stage.list;
    if (!list.empty()) phase_[0] = list[0].phase;
    // Each step of the phase taken as the one within half a turn.
    for (std::size_t i = 1; i < list.size(); ++i) {
        double step = list[i].phase - list[i - 1].phase;
        step -= 360.0 * std::round(step / 360.0);
        phase_[i] = phase_[i - 1] + step;
    }
}

Complex ListedResponse::at(double frequency) const {
    const std::vector<ListPoint>& list = stage_.list;
    if (list.empty() || frequency < list.front().frequency || frequency > list.back().frequency) {
        throw ResponseError(stage_name(stage_) + ": " + shortest_text(frequency) +
                            " Hz lies outside its response list");
    }
    auto after = std::upper_bound(list.begin(), list.end(), frequency,
                                  [](double f, const ListPoint& p) { return f < p.frequency; });
    auto i = static_cast<std::size_t>(after - list.begin()) - 1;
    double amplitude = list[i].amplitude, degrees = phase_[i];
    if (i + 1 < list.size()) {
        const ListPoint& next = list[i + 1];
        double t = (frequency - list[i].frequency) / (next.frequency - list[i].frequency);
        amplitude += t * (next.amplitude - amplitude);
        degrees += t * (phase_[i + 1] - degrees);
    }
    Complex value = amplitude * unit_root(-degrees / 360.0);  // amplitude exp(+i phase)
    return stage_.has_gain ? stage_.gain * value : value;
}

std::optional<Quantity> quantity_of_units(std::string_view units) {
    std::string u = upper(units);
    if (u == "M") return Quantity::displacement;
    if (u == "M/S" || u == "M/SEC") return Quantity::velocity;
    for (const char* a : {"M/S**2", "M/S^2", "M/S2", "M/S/S", "M/SEC**2", "M/SEC^2", "M/SEC/SEC"}) {
        if (u == a) return Quantity::acceleration;
    }
    return std::nullopt;
}

std::string_view quantity_name(Quantity quantity) {
    switch (quantity) {
        case Quantity::displacement:
            return "displacement";
        case Quantity::velocity:
            return "velocity";
        default:
            return "acceleration";
    }
}

Quantity input_quantity(const ChannelEpoch& channel) {
    std::string units;
    if (!channel.stages.empty()) {
        units = channel.stages.front().input_units;
    } else if (channel.sensitivity) {
        units = channel.sensitivity->input_units;
    }
    if (auto quantity = quantity_of_units(units)) return *quantity;
    throw ResponseError(channel.code() + ": input units '" + units +
                        "' are not ground motion (M, M/S or M/S**2)");
}

Complex stage_response(const Stage& stage, double frequency, double fallback_rate) {
    Complex value{1.0, 0.0};
    switch (stage.kind) {
        case StageKind::gain_only:
            break;
        case StageKind::poles_zeros:
            value = poles_zeros(stage, frequency, fallback_rate);
            break;
        case StageKind::coefficients:
        case StageKind::fir:
            value = coefficients(stage, frequency, fallback_rate);
            break;
        case StageKind::response_list:
            return ListedResponse(stage).at(frequency);
        case StageKind::polynomial:
            throw ResponseError(stage_name(stage) +
                                " is a polynomial response, which has no frequency response");
    }
    return stage.has_gain ? stage.gain * value : value;
}

Complex channel_response(const ChannelEpoch& channel, double frequency) {
    if (channel.stages.empty()) {
        if (!channel.sensitivity) {
            throw ResponseError(channel.code() + " has neither response stages nor a sensitivity");
        }
        return {channel.sensitivity->value, 0.0};
    }
    Complex value{1.0, 0.0};
    for (const Stage& stage : channel.stages) {
        value = value * stage_response(stage, frequency, channel.sample_rate);
    }
    return value;
}

Complex response_to(const ChannelEpoch& channel, double frequency, Quantity wanted) {
    Complex value = channel_response(channel, frequency);
    int n = static_cast<int>(wanted) - static_cast<int>(input_quantity(channel));
    if (n == 0) return value;
    if (frequency == 0.0) return {};
    Complex jw{0.0, kTwoPi * frequency};
    for (int i = 0; i < n; ++i) value = value / jw;
    for (int i = 0; i < -n; ++i) value = value * jw;
    return value;
}

double phase_degrees(Complex value) {
    double degrees = portable_atan2(value.im, value.re) * (180.0 / 3.141592653589793);
    if (degrees <= -180.0) degrees = 180.0;
    return degrees + 0.0;  // no negative zero
}

std::vector<std::string> response_warnings(const ChannelEpoch& channel) {
    std::vector<std::string> warnings;
    const std::string code = channel.code();
    for (std::size_t i = 1; i < channel.stages.size(); ++i) {
        const Stage& before = channel.stages[i - 1];
        const Stage& stage = channel.stages[i];
        if (upper(before.output_units) != upper(stage.input_units)) {
            warnings.push_back(code + ": units do not chain: stage " +
                               std::to_string(before.number) + " puts out '" + before.output_units +
                               "', stage " + std::to_string(stage.number) + " takes in '" +
                               stage.input_units + "'");
        }
    }
    if (!channel.sensitivity || channel.stages.empty()) return warnings;
    const Sensitivity& s = *channel.sensitivity;
    auto off = [&](double value) {
        return !(std::fabs(value - s.value) <= kAgreement * std::fabs(s.value));
    };
    double product = 1.0;
    for (const Stage& stage : channel.stages) product *= stage.has_gain ? stage.gain : 1.0;
    if (off(product)) {
        warnings.push_back(code + ": the stage gains' product " + shortest_text(product) +
                           " differs from the sensitivity " + shortest_text(s.value) +
                           " by more than 2 %");
    }
    try {
        double at = modulus(channel_response(channel, s.frequency));
        if (off(at) && off(-at)) {
            warnings.push_back(code + ": |H| at " + shortest_text(s.frequency) + " Hz is " +
                               shortest_text(at) + ", the sensitivity " + shortest_text(s.value) +
                               " (more than 2 % apart)");
        }
    } catch (const ResponseError& error) {
        warnings.push_back(code + ": " + error.what());
    }
    return warnings;
}

std::string describe_stage(const Stage& stage) {
    std::string line = stage_name(stage) + ": ";
    switch (stage.kind) {
        case StageKind::gain_only:
            line += "gain";
            break;
        case StageKind::poles_zeros:
            line += stage.transfer == Transfer::digital         ? "digital poles and zeros"
                    : stage.transfer == Transfer::laplace_hertz ? "poles and zeros (Hz)"
                                                                : "poles and zeros (rad/s)";
            line += ", " + std::to_string(stage.poles.size()) + " poles, " +
                    std::to_string(stage.zeros.size()) + " zeros, A0 " +
                    shortest_text(stage.normalization);
            break;
        case StageKind::coefficients:
            line += "coefficients, " + std::to_string(stage.numerator.size()) + " numerator, " +
                    std::to_string(stage.denominator.size()) + " denominator";
            break;
        case StageKind::fir:
            line += "FIR, " + std::to_string(stage.numerator.size()) + " coefficients";
            break;
        case StageKind::response_list:
            line += "response list, " + std::to_string(stage.list.size()) + " frequencies";
            break;
        case StageKind::polynomial:
            line += "polynomial (not evaluated)";
            break;
    }
    line += ", " + stage.input_units + " to " + stage.output_units;
    if (stage.has_gain) {
        line += ", gain " + shortest_text(stage.gain) + " at " +
                shortest_text(stage.gain_frequency) + " Hz";
    }
    if (stage.input_rate > 0.0) {
        line += ", input " + shortest_text(stage.input_rate) + " Hz, decimation " +
                std::to_string(stage.decimation_factor);
    }
    return line;
}

}  // namespace wavespec::instrument
