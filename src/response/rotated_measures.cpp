#include "response/rotated_measures.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace wavespec::response {

GeometricMeans geometric_means(const std::array<double, kAngles>& peaks) {
    GeometricMeans means{};
    for (int j = 0; j < kGmAngles; ++j) means[j] = std::sqrt(peaks[j] * peaks[j + kGmAngles]);
    return means;
}

std::array<double, 3> rotd_percentiles(std::array<double, kAngles> values) {
    std::sort(values.begin(), values.end());
    return {values.front(), 0.5 * (values[89] + values[90]), values.back()};
}

double gmrotd50(GeometricMeans means) {
    std::sort(means.begin(), means.end());
    return 0.5 * (means[44] + means[45]);
}

int gmroti_angle(std::span<const GeometricMeans> by_period) {
    std::array<double, kGmAngles> penalty{};
    for (const GeometricMeans& means : by_period) {
        const double median = gmrotd50(means);
        if (!(median > 0.0)) continue;
        for (int j = 0; j < kGmAngles; ++j) {
            const double miss = means[j] / median - 1.0;
            penalty[j] += miss * miss;
        }
    }
    // Compared as root-mean-square misses: angles whose misses differ by less than kTie are a
    // tie, which the smallest angle wins. Symmetric paths (a dead channel, horizontals in
    // proportion) tie exactly in exact arithmetic, and rounding alone must not choose.
    constexpr double kTie = 1e-12;
    const double n = static_cast<double>(by_period.size());
    int best = 0;
    double best_miss = n > 0.0 ? std::sqrt(penalty[0] / n) : 0.0;
    for (int j = 1; j < kGmAngles; ++j) {
        const double miss = std::sqrt(penalty[j] / n);
        if (miss < best_miss - kTie) best = j, best_miss = miss;
    }
    return best;
}

OscillatorOutcome summarise(const std::array<Peaks, 3>& components,
                            const std::array<std::array<double, kAngles>, 3>& rotated) {
    OscillatorOutcome o;
    o.peaks.component = components;
    std::array<double, 3> r[3], gm[3];
    for (int q = 0; q < 3; ++q) {
        r[q] = rotd_percentiles(rotated[q]);
        o.means[q] = geometric_means(rotated[q]);
        gm[q][0] = gmrotd50(o.means[q]);
    }
    for (int i = 0; i < 3; ++i) o.peaks.rotd[i] = {r[0][i], r[1][i], r[2][i]};
    o.peaks.gmrot[0] = {gm[0][0], gm[1][0], gm[2][0]};
    return o;
}

OscillatorOutcome undefined_outcome() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    OscillatorOutcome o;
    for (auto* group : {&o.peaks.component, &o.peaks.rotd}) group->fill({nan, nan, nan});
    o.peaks.gmrot.fill({nan, nan, nan});
    for (GeometricMeans& m : o.means) m.fill(nan);
    return o;
}

void settle_gmroti(ResponseSpectra& spectra,
                   const std::vector<std::vector<std::array<GeometricMeans, 3>>>& means) {
    spectra.gmroti_angles.assign(spectra.values.size(), 0);
    for (std::size_t d = 0; d < spectra.values.size(); ++d) {
        std::vector<GeometricMeans> displacement;
        displacement.reserve(means[d].size());
        for (const auto& m : means[d]) displacement.push_back(m[0]);
        const int angle = gmroti_angle(displacement);
        spectra.gmroti_angles[d] = angle;
        for (std::size_t p = 0; p < means[d].size(); ++p) {
            spectra.values[d][p].gmrot[1] = {means[d][p][0][angle], means[d][p][1][angle],
                                             means[d][p][2][angle]};
        }
    }
}

std::optional<HorizontalLine> horizontal_line(std::span<const double> a,
                                              std::span<const double> b) {
    std::size_t at = 0;
    bool a_leads = true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        double most = a_leads ? std::fabs(a[at]) : std::fabs(b[at]);
        if (std::fabs(a[i]) > most || std::fabs(b[i]) > most) {
            at = i;
            a_leads = std::fabs(a[i]) >= std::fabs(b[i]);
        }
    }
    std::span<const double> lead = a_leads ? a : b, other = a_leads ? b : a;
    if (lead.empty() || lead[at] == 0.0) return HorizontalLine{1.0, 0.0, 0};  // all zero
    const double k = other[at] / lead[at];
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (other[i] != k * lead[i]) return std::nullopt;
    }
    return a_leads ? HorizontalLine{1.0, k, 0} : HorizontalLine{k, 1.0, 1};
}

std::array<double, kAngles> peaks_on_line(const HorizontalLine& line, double lead_peak) {
    std::array<double, kAngles> peak{};
    const auto& cs = angle_cosines();
    const auto& sn = angle_sines();
    for (int j = 0; j < kAngles; ++j)
        peak[j] = std::fabs(cs[j] * line.x + sn[j] * line.y) * lead_peak;
    return peak;
}

}  // namespace wavespec::response
