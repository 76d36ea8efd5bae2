#include "instrument/horizontal_rotation.hpp"

#include <algorithm>
#include <cmath>

#include "spectral/portable_math.hpp"

namespace wavespec::instrument {
namespace {

constexpr double kDegree = 3.141592653589793 / 180.0;
constexpr double kAngleTolerance = 0.01;  // degrees
constexpr double kLeastDeterminant = 0.01;

bool near(double degrees, double wanted) {
    double off = std::fmod(std::fabs(degrees - wanted), 360.0);
    return std::min(off, 360.0 - off) <= kAngleTolerance;
}

}  // namespace

bool points_north_east(double first_azimuth, double second_azimuth) {
    return near(first_azimuth, 0.0) && near(second_azimuth, 90.0);
}

bool rotate_to_north_east(std::vector<double>& first, std::vector<double>& second,
                          double first_azimuth, double second_azimuth) {
    // Whole turns off first: any finite azimuth stays in the sine's exact range.
    SineCosine s0 = portable_sin_cos(std::fmod(first_azimuth, 360.0) * kDegree);
    SineCosine s1 = portable_sin_cos(std::fmod(second_azimuth, 360.0) * kDegree);
    double det = s0.cos * s1.sin - s0.sin * s1.cos;
    if (!(std::fabs(det) >= kLeastDeterminant)) return false;
    for (std::size_t i = 0; i < first.size() && i < second.size(); ++i) {
        double north = (first[i] * s1.sin - second[i] * s0.sin) / det;
        double east = (second[i] * s0.cos - first[i] * s1.cos) / det;
        first[i] = north;
        second[i] = east;
    }
    return true;
}

}  // namespace wavespec::instrument
