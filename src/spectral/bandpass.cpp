#include "spectral/bandpass.hpp"

#include "spectral/spectrum_prep.hpp"

namespace wavespec {

double bandpass_weight(double omega, double oml1, double oml2, double omh1, double omh2) {
    double aa = 1.0;
    if (omega < oml2 && oml2 != oml1) aa = (omega - oml1) / (oml2 - oml1);
    if (omega > omh1 && omh2 != omh1) aa = (omh2 - omega) / (omh2 - omh1);
    return aa;
}

void apply_bandpass(BandCorners corners, double dom, std::span<Complex> fx1, std::span<Complex> fx2,
                    std::span<Complex> fx3) {
    double oml1 = corners.fl1 * kDialogueTwoPi;
    double oml2 = corners.fl2 * kDialogueTwoPi;
    double omh1 = corners.fh1 * kDialogueTwoPi;
    double omh2 = corners.fh2 * kDialogueTwoPi;
    std::span<Complex> spectra[] = {fx1, fx2, fx3};
    for (std::size_t i = 0; i < fx1.size(); ++i) {
        double omega = static_cast<double>(i) * dom;
        bool zero = omega <= oml1 || omega >= omh2;
        double aa = bandpass_weight(omega, oml1, oml2, omh1, omh2);
        for (std::span<Complex> fx : spectra) {
            // A zeroed bin is still multiplied by its weight, as the two steps always did.
            if (zero) fx[i] = Complex{};
            fx[i].re = fx[i].re * aa;
            fx[i].im = fx[i].im * aa;
        }
    }
}

}  // namespace wavespec
