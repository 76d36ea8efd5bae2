#include "smoothing/hv_report.hpp"

#include <algorithm>

#include "records/shortest_text.hpp"

namespace wavespec::smoothing {
namespace {

std::string number(double v) {
    return shortest_text(v);
}

std::string window_text(const SmoothingWindow& window) {
    if (window.kind == WindowKind::konno_ohmachi) return "Konno-Ohmachi B=" + number(window.width);
    return "Parzen BW=" + number(window.width) + " Hz";
}

const char* verdict_text(Verdict v) {
    switch (v) {
        case Verdict::pass:
            return "pass";
        case Verdict::fail:
            return "fail";
        case Verdict::not_judged:
            return "not judged";
    }
    return "fail";
}

std::string criterion_line(const char* what, const Criterion& c, const char* relation) {
    if (c.verdict == Verdict::not_judged) {
        return "  " + std::string(what) + ": against " + number(c.threshold) + ": not judged\n";
    }
    return "  " + std::string(what) + ": " + number(c.value) + " " + relation + " " +
           number(c.threshold) + ": " + verdict_text(c.verdict) + "\n";
}

std::string rejection_text(const NoiseHv& n, const NoiseHvSettings& settings) {
    if (!settings.reject) return "";
    std::string t = "window rejection (Cox et al. 2020, " + number(*settings.reject) +
                    " standard deviations): ";
    if (n.window_peaks.empty()) return t + "not run, no window peak in the range\n";
    const std::size_t rejected = n.windows.size() - n.kept_count();
    t += std::to_string(rejected) + " rejected in " + std::to_string(n.rejection_rounds) +
         " round" + (n.rejection_rounds == 1 ? "" : "s");
    for (std::size_t w = 0, listed = 0; w < n.windows.size(); ++w) {
        if (n.kept[w]) continue;
        t += (listed++ == 0 ? ": window" : ", window") + std::to_string(w + 1);
    }
    return t + "\n";
}

}  // namespace

std::string hv_settings_text(const NoiseHv& n, const NoiseHvSettings& settings) {
    return std::to_string(n.windows.size()) + " windows of " + number(n.window_seconds) + " s (" +
           std::to_string(n.window_samples) + " samples), Tukey taper " +
           number(settings.taper_fraction) + ", " + window_text(settings.window) + ", " +
           std::string(horizontal_mean_name(settings.mean)) + " mean of the horizontals";
}

std::string hv_report_text(const NoiseHv& n, const NoiseHvSettings& settings) {
    const SesameReport& r = *n.report;
    std::string t = "H/V of ambient noise: " + hv_settings_text(n, settings) + "\n";
    t += rejection_text(n, settings);
    t += "f0 = " + number(r.f0) + " Hz, A0 = " + number(r.a0) + "\n";
    if (n.window_peaks.empty()) {
        t += "window peak frequencies: none within the searched range\n";
    } else {
        t += "window peak frequencies: mean " + number(n.peak_spread.mean) +
             " Hz, standard deviation " + number(n.peak_spread.deviation) + " Hz\n";
    }
    t += std::string("reliability (all three must pass): ") + verdict_text(r.reliable) + "\n";
    t += criterion_line("f0 > 10/lw", r.reliability[0], ">");
    t += criterion_line("nc = lw nw f0 > 200", r.reliability[1], ">");
    t += criterion_line("largest sigma_A for 0.5 f0 < f < 2 f0", r.reliability[2], "<");
    auto passed = std::count_if(r.clarity.begin(), r.clarity.end(),
                                [](const Criterion& c) { return c.passed(); });
    t += std::string("clarity (at least five of six must pass): ") + verdict_text(r.clear) + " (" +
         std::to_string(passed) + " of 6 pass)\n";
    t += criterion_line("lowest A in [f0/4, f0] against A0/2", r.clarity[0], "<");
    t += criterion_line("lowest A in [f0, 4 f0] against A0/2", r.clarity[1], "<");
    t += criterion_line("A0 > 2", r.clarity[2], ">");
    t += criterion_line("peaks of A sigma_A and A/sigma_A: largest distance from f0 / f0",
                        r.clarity[3], "<=");
    t += criterion_line("sigma_f < epsilon(f0)", r.clarity[4], "<");
    t += criterion_line("sigma_A(f0) < theta(f0)", r.clarity[5], "<");
    return t;
}

}  // namespace wavespec::smoothing
