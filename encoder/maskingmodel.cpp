#include "encoder/maskingmodel.h"

#include <algorithm>
#include <cmath>

namespace {

// Spreading of a masker into lower and higher bands, in dB per band of the ERB layout
// (about one and a half ERB wide).
constexpr double spreadbelow = 18.0;
constexpr double spreadabove = 9.0;
// Noise this far below the spread band energy stays inaudible.
constexpr double maskoffset = 16.0;
// The absolute threshold is placed with a full-scale sine at 96 dB SPL, and never
// allowed above 40 dB SPL, so that quiet high bands are still coded at high rates.
constexpr double fullscalespl = 96.0;
constexpr double thresholdcap = 40.0;
// No band's allowed noise lies more than this below the largest in the group: a shallower
// curve than hearing allows, so that the weak leakage of strong tones does not take the
// bits before the tones themselves are fine, and the unweighted SNR stays high.
constexpr double shapingdepth = 30.0;

// Threshold in quiet in dB SPL at f kHz.
double thresholdinquiet(double f) {
    f = std::max(f, 0.02);
    const double db =
        3.64 * std::pow(f, -0.8) - 6.5 * std::exp(-0.6 * (f - 3.3) * (f - 3.3)) + 1e-3 * f * f * f * f;
    return std::min(db, thresholdcap);
}

} // namespace

void maskingweights(const std::vector<std::vector<double>>& spectrum, int32_t b0, int32_t b1,
                    const int32_t* bandsizes, int32_t nband, int32_t blocklen, double fs_khz, double step,
                    double* desired) {
    const int32_t nblk = b1 - b0;
    std::vector<double> energy(nband, 0.0);
    for (int32_t j = 0, start = 0; j < nband; start += bandsizes[j], j++)
        for (int32_t b = b0; b < b1; b++)
            for (int32_t i = start; i < start + bandsizes[j]; i++)
                energy[j] += spectrum[b][i] * spectrum[b][i];

    const double below = std::pow(10.0, -spreadbelow / 10.0);
    const double above = std::pow(10.0, -spreadabove / 10.0);
    const double offset = std::pow(10.0, -maskoffset / 10.0);
    for (int32_t j = 0, start = 0; j < nband; start += bandsizes[j], j++) {
        double spread = energy[j];
        double g = 1.0;
        for (int32_t i = j - 1; i >= 0; i--) spread += energy[i] * (g *= above);
        g = 1.0;
        for (int32_t i = j + 1; i < nband; i++) spread += energy[i] * (g *= below);
        const double count = static_cast<double>(bandsizes[j]) * nblk;
        const double mask = spread * offset / count;
        // A sine of amplitude a has coefficient energy about a^2, twice its power.
        const double centre = (start + bandsizes[j] / 2.0) * fs_khz / (2.0 * blocklen);
        const double quiet =
            2.0 * 0.5 * std::pow(10.0, (thresholdinquiet(centre) - fullscalespl) / 10.0) / count;
        desired[j] = std::max(mask, quiet);
    }
    double largest = 0.0;
    for (int32_t j = 0; j < nband; j++) largest = std::max(largest, desired[j]);
    const double floor = largest * std::pow(10.0, -shapingdepth / 10.0);
    for (int32_t j = 0; j < nband; j++) desired[j] = 10.0 * std::log10(std::max(desired[j], floor)) / step;
}

void bandpeaks(const std::vector<std::vector<double>>& spectrum, int32_t b0, int32_t b1,
               const int32_t* bandsizes, int32_t nband, double* peak) {
    for (int32_t j = 0, start = 0; j < nband; start += bandsizes[j], j++) {
        double m = 0.0;
        for (int32_t b = b0; b < b1; b++)
            for (int32_t i = start; i < start + bandsizes[j]; i++) m = std::max(m, std::abs(spectrum[b][i]));
        peak[j] = m;
    }
}
