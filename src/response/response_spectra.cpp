#include "response/response_spectra.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <numbers>
#include <optional>

#include "response/band_limited.hpp"
#include "response/lane_step.hpp"
#include "response/oscillator.hpp"
#include "response/peak_search.hpp"
#include "response/piecewise_linear.hpp"
#include "response/rotated_measures.hpp"
#include "spectral/portable_math.hpp"
#include "support/worker_threads.hpp"


namespace wavespec::response {
namespace {

// Knots stepped over before the chunk's peaks are weighed: each chunk is stepped once for its
// largest values only, and again, with every knot kept, when a peak or the rotated peaks
// may lie in it.
// A chunk spans 32 sample intervals' worth of knots (64 at least, kChunk at most): the
// stretch of path a chunk covers, not its number of knots, decides how often it is looked at.
constexpr int kChunk = 256;
constexpr int chunk_for(int knots_per_sample) {
    return std::clamp(32 * knots_per_sample, 64, kChunk);
}
// Knots of a chunk whose path is tested as a whole before each knot is.
constexpr int stretch_for(int chunk) {
    return chunk / 4;
}
// Free vibration after the input ends: peaks of a damped sinusoid only fall, so its first
// cycle and a quarter hold the largest, in 40 steps of a 32nd of its period. Near critical
// damping that period grows without bound while the motion dies within a few 1/(zeta w): the
// span is then at most 40/(zeta w) (e^-40 of the motion left) and a step at most a fifth of
// 1/(zeta w), so that the cubic between steps follows the fastest time scale.
constexpr int kTailSteps = 40;
constexpr double kTailDecays = 40.0;
constexpr double kTailStepOfDecay = 0.2;

// The largest input magnitude and slope magnitude (per second) of each lane over each chunk's
// knots 0 .. chunk (the last one shared with the next chunk).
struct InputBounds {
    std::vector<double> value, slope;  // kLanes per chunk
};

InputBounds input_bounds(std::span<const double> c, std::size_t knots, double h,
                         std::size_t chunk) {
    // The four lanes of a knot at once, as the same operations lane by lane.
    typedef double Lanes __attribute__((vector_size(4 * sizeof(double))));
    typedef long long Mask __attribute__((vector_size(4 * sizeof(double))));
    const Mask sign_off = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL, 0x7fffffffffffffffLL,
                           0x7fffffffffffffffLL};
    auto load = [&](std::size_t i) {
        Lanes v;
        std::memcpy(&v, c.data() + i * kLanes, sizeof v);
        return v;
    };
    auto magnitude = [&](Lanes v) { return (Lanes)((Mask)v & sign_off); };
    std::size_t chunks = knots > 1 ? (knots - 2) / chunk + 1 : 0;
    InputBounds b{std::vector<double>(chunks * kLanes), std::vector<double>(chunks * kLanes)};
    for (std::size_t ch = 0; ch < chunks; ++ch) {
        std::size_t first = ch * chunk, last = std::min(first + chunk, knots - 1);
        Lanes before = load(first), value = magnitude(before), slope = {0.0, 0.0, 0.0, 0.0};
        for (std::size_t i = first + 1; i <= last; ++i) {
            const Lanes at = load(i), step = magnitude(at - before), size = magnitude(at);
            value = value < size ? size : value;
            slope = slope < step ? step : slope;
            before = at;
        }
        for (int l = 0; l < kLanes; ++l) {
            b.value[ch * kLanes + l] = value[l];
            b.slope[ch * kLanes + l] = slope[l] / h;
        }
    }
    return b;
}

// One oscillator run over the knots: its state, the peaks so far, and the rotated peaks.
class OscillatorRun {
  public:
    OscillatorRun(Oscillator o, double h, int stretch, std::optional<HorizontalLine> line)
        : o_(o), stretch_(stretch), line_(line) {
        stepper_ = {step_coefficients(o, h), 2.0 * o.zeta * o.omega, o.omega * o.omega};
        finite_ = finite(stepper_.k);
    }

    // Steps over count knot intervals of c (count + 1 knots, the first the current one, count
    // at most kChunk), of length h, with the largest input and input slope over them.
    void advance(const double* c, int count, double h, const double* value_bound,
                 const double* slope_bound) {
        // Chunks worth a look come in runs (the path near its peaks), so after one the next is
        // stepped keeping its knots at once; otherwise it is stepped lean first and again if
        // it turns out to be worth a look. Both passes do the same operations on the state.
        const bool kept = keep_next_;
        alignas(32) double start[2 * kLanes];
        if (!kept) std::copy(state_, state_ + 2 * kLanes, start);
        step_chunk(c, count, stepper_, state_, kept ? out_ : nullptr, largest_);
        weigh(kept, start, c, count, h, value_bound, slope_bound);
    }

    // advance() for two oscillators over the same knots: stepped lean together when neither
    // keeps its knots at once.
    static void advance_pair(OscillatorRun& a, OscillatorRun& b, const double* c, int count,
                             double h, const double* value_bound, const double* slope_bound) {
        if (a.keep_next_ || b.keep_next_) {
            a.advance(c, count, h, value_bound, slope_bound);
            b.advance(c, count, h, value_bound, slope_bound);
            return;
        }
        alignas(32) double start_a[2 * kLanes], start_b[2 * kLanes];
        std::copy(a.state_, a.state_ + 2 * kLanes, start_a);
        std::copy(b.state_, b.state_ + 2 * kLanes, start_b);
        step_chunk_lean_pair(
            c, count, {{&a.stepper_, &b.stepper_}, {a.state_, b.state_}, {a.largest_, b.largest_}});
        a.weigh(false, start_a, c, count, h, value_bound, slope_bound);
        b.weigh(false, start_b, c, count, h, value_bound, slope_bound);
    }

    void finish(double h, const double* last_input) {
        // The input falls from the last knot to zero over one interval, then the oscillator
        // vibrates freely.
        double ramp[2 * kLanes] = {}, slope[kLanes];
        std::copy(last_input, last_input + kLanes, ramp);
        for (int l = 0; l < kLanes; ++l) slope[l] = std::fabs(last_input[l]) / h;
        advance(ramp, 1, h, last_input, slope);
        const double damped = o_.omega * std::sqrt(1.0 - o_.zeta * o_.zeta);
        const double cycle_step = 2.0 * std::numbers::pi / damped / 32.0;
        const double decay = 1.0 / (o_.zeta * o_.omega);
        const double step = std::min(cycle_step, kTailStepOfDecay * decay);
        const double span = std::min(kTailSteps * cycle_step, kTailDecays * decay);
        const int steps = static_cast<int>(std::ceil(span / step - 1e-9));
        stepper_.k = step_coefficients(o_, step);
        finite_ = finite_ && finite(stepper_.k);
        const double zeros[(kChunk + 1) * kLanes] = {}, none[kLanes] = {};
        for (int done = 0; done < steps; done += stretch_) {
            advance(zeros, std::min(stretch_, steps - done), step, none, none);
        }
    }

    // Between blocks of knots, the arcs that can no longer matter are let go: every
    // oscillator of a spacing waits for the next block at once.
    void end_block() {
        for (RotatedPeaks& rotated : rotated_) rotated.compact();
    }

    OscillatorOutcome outcome() {
        // A value that overflowed leaves the state NaN or infinite for good (the maxima pass
        // over NaN), as does a step coefficient that is not finite.
        if (!finite_) return undefined_outcome();
        for (double v : state_) {
            if (!std::isfinite(v)) return undefined_outcome();
        }
        std::array<Peaks, 3> components;
        for (int c = 0; c < 3; ++c) components[c] = {best_[0][c], best_[1][c], best_[2][c]};
        std::array<std::array<double, kAngles>, kQuantities> rotated;
        for (int q = 0; q < kQuantities; ++q) {
            // Horizontals in proportion: the path runs on a line, and each angle's peak is the
            // leading component's peak times the line's reach in that direction.
            rotated[q] = line_ ? peaks_on_line(*line_, best_[q][line_->lead]) : rotated_[q].peaks();
        }
        return summarise(components, rotated);
    }

  private:
    // After a chunk was stepped (kept: with its knots' values; otherwise lean, from start):
    // whether the next is kept, and the chunk's peaks looked at when it is worth a look.
    void weigh(bool kept, const double* start, const double* c, int count, double h,
               const double* value_bound, const double* slope_bound) {
        keep_next_ = worth_a_look(h, value_bound, slope_bound);
        if (!keep_next_) {
            shaping_[0] = shaping_[1] = shaping_[2] = false;
            return;
        }
        for (int q = 0; q < kQuantities; ++q) {
            if (!rotation_needed_[q]) shaping_[q] = false;
        }
        if (!kept) {
            std::copy(start, start + 2 * kLanes, state_);
            step_chunk(c, count, stepper_, state_, out_, largest_);
        }
        look_at(c, count, h, slope_bound);
    }

    // How far the path may stray from the chord between two knots: h^2/8 times a bound of the
    // second derivative, with room for what lies between knots. From bounds of u'' = y - a
    // and of y' = -(2 zeta w u'' + w^2 u') over the chunk, and of the input's slope a':
    // u''' = y' - a' and y'' = -(2 zeta w u''' + w^2 u'').
    void margins(double h, const double* accel_bound, const double* jerk_bound,
                 const double* slope_bound, double margin[kQuantities][kLanes]) const {
        const double k2 = stepper_.damping_term, w2 = stepper_.stiffness;
        const double f = 1.5 * h * h / 8.0;
        for (int l = 0; l < kLanes; ++l) {
            double u2 = accel_bound[l], v2 = jerk_bound[l] + slope_bound[l];
            margin[0][l] = f * u2;
            margin[1][l] = f * v2;
            margin[2][l] = f * (k2 * v2 + w2 * u2);
        }
    }

    // Whether a peak so far may be passed in this chunk, or the horizontals' path may reach
    // beyond the outline of the rotated peaks, judged from the chunk's largest values alone.
    bool worth_a_look(double h, const double* value_bound, const double* slope_bound) {
        const double k2 = stepper_.damping_term, w2 = stepper_.stiffness;
        double accel[kLanes], jerk[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            accel[l] = largest_[2 * kLanes + l] + value_bound[l];
            jerk[l] = k2 * accel[l] + w2 * largest_[kLanes + l];
        }
        double margin[kQuantities][kLanes];
        margins(h, accel, jerk, slope_bound, margin);
        bool any = false;
        for (int q = 0; q < kQuantities; ++q) {
            for (int l = 0; l < 3; ++l) {
                peak_needed_[q][l] = largest_[q * kLanes + l] + margin[q][l] > best_[q][l];
                any = any || peak_needed_[q][l];
            }
            // The path lies within |x| <= X, |y| <= Y, |x + y| <= Z (the fourth lane).
            const double* m = largest_ + q * kLanes;
            rotation_needed_[q] =
                !line_ && rotated_[q].may_leave(m[0], m[1], m[3], {margin[q][0], margin[q][1]});
            any = any || rotation_needed_[q];
        }
        return any;
    }

    double value(int i, int q, int l) const { return out_[i * kKnotValues + q * kLanes + l]; }
    // The slope of quantity q at knot i: u' is the velocity; u'' = y - a; y' = -(2zw u'' + w^2 u').
    double slope(const double* c, int i, int q, int l) const {
        if (q == 0) return value(i, 1, l);
        double accel = value(i, 2, l) - c[i * kLanes + l];
        if (q == 1) return accel;
        return -(stepper_.damping_term * accel + stepper_.stiffness * value(i, 1, l));
    }

    void look_at(const double* c, int count, double h, const double* slope_bound) {
        double margin[kQuantities][kLanes];
        margins(h, largest_ + 3 * kLanes, largest_ + 4 * kLanes, slope_bound, margin);
        for (int q = 0; q < kQuantities; ++q) {
            for (int l = 0; l < 3; ++l) {
                double& best = best_[q][l];
                if (!peak_needed_[q][l] || largest_[q * kLanes + l] + margin[q][l] <= best) {
                    continue;
                }
                for (int i = 1; i <= count; ++i) {
                    double p0 = value(i - 1, q, l), p1 = value(i, q, l);
                    double a = std::max(std::fabs(p0), std::fabs(p1));
                    best = std::max(best, a);
                    if (a + margin[q][l] <= best) continue;
                    best = std::max(best,
                                    arc_peak(p0, slope(c, i - 1, q, l), p1, slope(c, i, q, l), h));
                }
            }
            if (rotation_needed_[q]) rotate(c, count, h, q, {margin[q][0], margin[q][1]});
        }
    }

    void rotate(const double* c, int count, double h, int q, Stray margin) {
        RotatedPeaks& rp = rotated_[q];
        bool previous = shaping_[q] || rp.may_shape(value(0, q, 0), value(0, q, 1), margin);
        bool inside = false;  // the stretch of stretch_ knots from a multiple of it is inside
        for (int i = 1; i <= count; ++i) {
            if ((i - 1) % stretch_ == 0) {
                // The stretch's box first: most stretches lie well inside as a whole.
                double x_most = 0.0, y_most = 0.0, sum_most = 0.0;
                for (int k = i; k <= std::min(count, i + stretch_ - 1); ++k) {
                    x_most = std::max(x_most, std::fabs(value(k, q, 0)));
                    y_most = std::max(y_most, std::fabs(value(k, q, 1)));
                    sum_most = std::max(sum_most, std::fabs(value(k, q, 3)));
                }
                inside = !rp.may_leave(x_most, y_most, sum_most, margin);
            }
            double x = value(i, q, 0), y = value(i, q, 1);
            bool shapes = !inside && rp.offer_arc_end(x, y, margin);
            if (shapes || previous) {
                rp.take_arc({value(i - 1, q, 0), value(i - 1, q, 1), slope(c, i - 1, q, 0),
                             slope(c, i - 1, q, 1), x, y, slope(c, i, q, 0), slope(c, i, q, 1), h,
                             margin});
            }
            previous = shapes;
        }
        shaping_[q] = previous;
    }

    Oscillator o_;
    int stretch_;  // knots tested as a whole (and tail steps taken at once)
    std::optional<HorizontalLine> line_;
    Stepper stepper_;
    bool finite_ = true;  // every step coefficient so far
    alignas(32) double state_[2 * kLanes] = {};
    alignas(32) double largest_[5 * kLanes] = {};
    alignas(32) double out_[(kChunk + 1) * kKnotValues];
    double best_[kQuantities][kLanes] = {};
    RotatedPeaks rotated_[kQuantities];
    bool shaping_[kQuantities] = {};
    bool keep_next_ = false;  // the last chunk was worth a look
    // What the chunk's largest values left open: a component's peak, the rotated peaks.
    bool peak_needed_[kQuantities][kLanes] = {};
    bool rotation_needed_[kQuantities] = {};
};

}  // namespace

std::vector<double> log_spaced(double first, double last, int count) {
    std::vector<double> periods(static_cast<std::size_t>(count));
    double a = portable_log(first), b = portable_log(last);
    for (int i = 0; i < count; ++i) {
        periods[i] = i == 0 ? first
                     : i == count - 1
                         ? last
                         : portable_exp(a + (b - a) * static_cast<double>(i) / (count - 1));
    }
    return periods;
}

namespace {

using Means = std::vector<std::vector<std::array<GeometricMeans, 3>>>;

// Runs worker on threads threads at once (the calling one among them); each takes the next of
// the shared items as it comes free, so each result depends on its item alone.
template <class Worker>
void share_out(unsigned threads, std::size_t items, const Worker& worker) {
    std::atomic<std::size_t> next{0};
    run_together(std::max<std::size_t>(std::min<std::size_t>(threads, items), 1),
                 [&](std::size_t) { worker(next); });
}

// Knots made and stepped over at a time: every oscillator of a spacing steps through one
// block before the next is made, so that the knots of the whole record are never held. A
// multiple of every chunk.
constexpr std::size_t kBlockKnots = std::size_t{1} << 16;

// Knots first .. first + count - 1 into out, the work shared among up to threads threads.
void make_block(const BandLimitedRecord& record, const BandLimitedRecord::KnotGrid& grid,
                std::size_t first, std::size_t count, unsigned threads, double* out) {
    run_in_stretches(std::min<std::size_t>(threads, count / 4096 + 1), count,
                     [&](std::size_t from, std::size_t to) {
                         record.knots(grid, first + from, to - from, out + from * kLanes);
                     });
}

// Oscillators of one spacing stepped together through the knots, a block at a time: at most
// kRunsAtOnce of them, so that many periods and dampings do not multiply the memory each
// oscillator holds between blocks (its chunk's values, its rotated peaks).
constexpr std::size_t kRunsAtOnce = 128;

struct OscillatorBatch {
    const BandLimitedRecord& record;
    const BandLimitedRecord::KnotGrid& grid;
    double h;
    const std::optional<HorizontalLine>& line;
    unsigned threads;

    void run(std::span<const std::pair<std::size_t, std::size_t>> oscillators,
             std::span<const double> periods, std::span<const double> dampings,
             std::vector<double>& block, ResponseSpectra& result, Means& means) const {
        const std::size_t count = record.knot_count(grid.rate);
        const std::size_t chunk = static_cast<std::size_t>(chunk_for(grid.rate));
        std::vector<std::unique_ptr<OscillatorRun>> runs;
        for (const auto& [d, p] : oscillators) {
            runs.push_back(std::make_unique<OscillatorRun>(
                Oscillator{2.0 * std::numbers::pi / periods[p], dampings[d]}, h,
                stretch_for(static_cast<int>(chunk)), line));
        }
        // Each block holds its knots and the next block's first, which ends its last chunk.
        for (std::size_t first = 0; first + 1 < count; first += kBlockKnots) {
            const std::size_t knots = std::min(kBlockKnots, count - 1 - first) + 1;
            make_block(record, grid, first, knots, threads, block.data());
            const InputBounds bounds = input_bounds(
                std::span<const double>(block.data(), knots * kLanes), knots, h, chunk);
            // Neighbouring oscillators go in pairs, stepped together where they can be.
            const std::size_t pairs = (runs.size() + 1) / 2;
            share_out(threads, pairs, [&](std::atomic<std::size_t>& next) {
                for (std::size_t i = next++; i < pairs; i = next++) {
                    OscillatorRun& a = *runs[2 * i];
                    OscillatorRun* b = 2 * i + 1 < runs.size() ? runs[2 * i + 1].get() : nullptr;
                    for (std::size_t at = 0, ch = 0; at + 1 < knots; at += chunk, ++ch) {
                        int steps = static_cast<int>(std::min<std::size_t>(chunk, knots - 1 - at));
                        const double* c = block.data() + at * kLanes;
                        const double* value_bound = bounds.value.data() + ch * kLanes;
                        const double* slope_bound = bounds.slope.data() + ch * kLanes;
                        if (b != nullptr) {
                            OscillatorRun::advance_pair(a, *b, c, steps, h, value_bound,
                                                        slope_bound);
                        } else {
                            a.advance(c, steps, h, value_bound, slope_bound);
                        }
                    }
                    a.end_block();
                    if (b != nullptr) b->end_block();
                }
            });
        }
        // The last block ends with the last knot.
        const std::size_t last_first = (count - 2) / kBlockKnots * kBlockKnots;
        const double* last = block.data() + (count - 1 - last_first) * kLanes;
        share_out(threads, runs.size(), [&](std::atomic<std::size_t>& next) {
            for (std::size_t i = next++; i < runs.size(); i = next++) {
                runs[i]->finish(h, last);
                OscillatorOutcome outcome = runs[i]->outcome();
                auto [d, p] = oscillators[i];
                result.values[d][p] = outcome.peaks;
                means[d][p] = outcome.means;
                runs[i].reset();
            }
        });
    }
};

// release() lets the series go once the record no longer needs them.
void band_limited_spectra(std::array<std::span<const double>, 3> series, double dt,
                          std::span<const double> periods, std::span<const double> dampings,
                          unsigned threads, ResponseSpectra& result, Means& means,
                          const std::function<void()>& release) {
    const BandLimitedRecord record(series, dt, threads);
    const std::optional<HorizontalLine> line = horizontal_line(series[0], series[1]);
    if (release) release();
    // Oscillators grouped by their knot spacing, so that one grid is held at a time.
    const std::size_t items = dampings.size() * periods.size();
    std::vector<int> rates(items);
    share_out(threads, items, [&](std::atomic<std::size_t>& next) {
        for (std::size_t i = next++; i < items; i = next++) {
            const std::size_t d = i / periods.size(), p = i % periods.size();
            rates[i] = record.knots_per_sample({2.0 * std::numbers::pi / periods[p], dampings[d]});
        }
    });
    std::map<int, std::vector<std::pair<std::size_t, std::size_t>>> by_rate;
    for (std::size_t i = 0; i < items; ++i) {
        by_rate[rates[i]].push_back({i / periods.size(), i % periods.size()});
    }
    std::vector<double> block((kBlockKnots + 1) * kLanes);
    for (const auto& by_rate_entry : by_rate) {
        // Named, not bound: lambdas may not capture structured bindings before clang 16.
        const auto rate = by_rate_entry.first;
        const auto& oscillators = by_rate_entry.second;
        const BandLimitedRecord::KnotGrid grid = record.knot_grid(rate, threads);
        const OscillatorBatch batch{record, grid, dt / rate, line, threads};
        for (std::size_t first = 0; first < oscillators.size(); first += kRunsAtOnce) {
            const auto these =
                std::span(oscillators)
                    .subspan(first, std::min(kRunsAtOnce, oscillators.size() - first));
            batch.run(these, periods, dampings, block, result, means);
        }
    }
}

void piecewise_linear_spectra(std::array<std::span<const double>, 3> series, double dt,
                              std::span<const double> periods, std::span<const double> dampings,
                              unsigned threads, ResponseSpectra& result, Means& means) {
    const std::optional<HorizontalLine> line = horizontal_line(series[0], series[1]);
    // Neighbouring periods of a damping with the same substeps are stepped in pairs.
    struct Unit {
        std::size_t d, p, count;
    };
    std::vector<Unit> units;
    for (std::size_t d = 0; d < dampings.size(); ++d) {
        for (std::size_t p = 0; p < periods.size();) {
            const bool pair = p + 1 < periods.size() && substeps_per_sample(dt, periods[p]) ==
                                                            substeps_per_sample(dt, periods[p + 1]);
            units.push_back({d, p, pair ? 2u : 1u});
            p += pair ? 2 : 1;
        }
    }
    share_out(threads, units.size(), [&](std::atomic<std::size_t>& next) {
        PiecewiseLinearRun run(series, line);
        for (std::size_t i = next++; i < units.size(); i = next++) {
            const Unit& unit = units[i];
            Oscillator oscillators[2];
            for (std::size_t k = 0; k < unit.count; ++k) {
                oscillators[k] = {2.0 * std::numbers::pi / periods[unit.p + k], dampings[unit.d]};
            }
            const std::vector<OscillatorOutcome> outcomes = run.outcomes(
                std::span(oscillators, unit.count), dt, substeps_per_sample(dt, periods[unit.p]));
            for (std::size_t k = 0; k < unit.count; ++k) {
                result.values[unit.d][unit.p + k] = outcomes[k].peaks;
                means[unit.d][unit.p + k] = outcomes[k].means;
            }
        }
    });
}

ResponseSpectra spectra_of(std::array<std::span<const double>, 3> series, double dt,
                           std::span<const double> periods, std::span<const double> dampings,
                           unsigned threads, Convention convention,
                           const std::function<void()>& release) {
    ResponseSpectra result;
    result.values.assign(dampings.size(), std::vector<OscillatorPeaks>(periods.size()));
    result.gmroti_angles.assign(dampings.size(), 0);
    if (periods.empty() || dampings.empty()) return result;
    Means means(dampings.size(), std::vector<std::array<GeometricMeans, 3>>(periods.size()));
    if (convention == Convention::piecewise_linear) {
        piecewise_linear_spectra(series, dt, periods, dampings, threads, result, means);
    } else {
        band_limited_spectra(series, dt, periods, dampings, threads, result, means, release);
    }
    settle_gmroti(result, means);
    return result;
}

}  // namespace

ResponseSpectra response_spectra(std::array<std::span<const double>, 3> series, double dt,
                                 std::span<const double> periods, std::span<const double> dampings,
                                 unsigned threads, Convention convention) {
    return spectra_of(series, dt, periods, dampings, threads, convention, {});
}

ResponseSpectra response_spectra_consuming(std::array<std::vector<double>, 3>&& given, double dt,
                                           std::span<const double> periods,
                                           std::span<const double> dampings, unsigned threads,
                                           Convention convention) {
    std::array<std::vector<double>, 3> series = std::move(given);
    return spectra_of({series[0], series[1], series[2]}, dt, periods, dampings, threads, convention,
                      [&series] {
                          for (std::vector<double>& s : series) std::vector<double>().swap(s);
                      });
}

}  // namespace wavespec::response
