// The tool's steps on arrays instead of files, for the Python module: each function takes the
// caller's series, runs the same library steps as "wavespec process --layout=full" and returns
// the numbers that the tool's files hold. Plain C++, free of Python, so that the module can
// call it with the interpreter's lock released.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/option_parser.hpp"
#include "cli/processing_files.hpp"
#include "cli/smoothing_files.hpp"
#include "job/record_job.hpp"
#include "response/ground_motion.hpp"
#include "response/response_spectra.hpp"
#include "smoothing/spectral_smoothing.hpp"

namespace wavespec::python {

// A computation the caller's arrays or options do not allow; what() is the tool's one line.
class Refused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What f returns, a refusal of the job's values (cli::UsageError) becoming Refused.
template <typename F>
auto checked(F&& f) {
    try {
        return f();
    } catch (const cli::UsageError& error) {
        throw Refused(error.what());
    }
}

// Refuses (Refused) a job that job::check_job refuses.
void check(const job::RecordJob& job);

// Three components of equal length at interval dt (seconds).
struct Components {
    std::array<std::span<const double>, 3> series;
    double dt = 0.0;
};

// Refuses a record the tool would refuse as read: no usable sampling interval, or a sample
// that is not finite.
void check_record(const Components& record);

// The spectra of amp3.csv and amp-c.csv for every bin from 0 Hz to Nyquist: frequency[k] and
// spectrum[c][k] (scaled by dt as the tool scales them).
struct Fourier {
    std::vector<double> frequency;
    std::array<std::vector<std::complex<double>>, 3> spectrum;
    std::array<std::vector<double>, 3> amplitude;  // the tool's modulus of each bin
};
Fourier fourier(const Components& record);

// The output series of "process" with this job (its design steps and processing).
// With --detrend .. --baseline among them, processing receives the processed record as
// processed.csv and processing.txt hold it (its acceleration kept in record.acceleration).
std::array<std::vector<double>, 3> processed(const Components& record, const job::RecordJob& job,
                                             run::ProcessedAsRead* processing = nullptr);

// Measures of the series as given, as measures.csv holds them for the series of the waveform
// file.
std::array<response::GroundMotion, 3> measures(const Components& record);

// H/V of ambient-noise windows as hv.csv and hv-summary.txt hold it. Only the windows'
// spectra are smoothed, with options.hv_window: options.window (smoothed.csv) must be unset.
smoothing::NoiseHv noise_hv(const Components& record, const cli::SmoothingOptions& options,
                            unsigned threads);

// The bounds the tool holds a record's response spectra to: periods x dampings x samples under
// its ceiling, periods the sampling interval suits.
void check_response_work(std::size_t samples, double dt, const std::vector<double>& periods,
                         const std::vector<double>& dampings, response::Convention oscillator);

// Smoothing of caller's spectra: every frequency and centre finite and above zero, every
// amplitude finite, the window's phase where its sines stay exact, bins + centres and
// centres x the points each centre sums under the tool's ceilings.
void check_smoothing(const smoothing::SmoothingWindow& window, std::span<const double> frequencies,
                     std::span<const double> centres,
                     std::span<const std::span<const double>> spectra);

// Threads as --jobs takes them: a whole number within its bounds (Refused naming "threads"
// otherwise), or without one the processors, as many as --jobs allows.
unsigned thread_count(std::optional<double> asked);

}  // namespace wavespec::python
