// Spectral reconstruction: substitutes for lost frames, noise filling of frames whose
// coefficient data failed a CRC early, and the memory of the last good spectrum.
//
// Random draws (the program's single source, in call order): one per random sign and
// one per noise value, row by row and coefficient by coefficient, and none elsewhere.
#include <cmath>

#include "decoder/zatdec.h"
#include "drivers/random.h"

namespace {

// What one call works on: the block length M, the last good spectrum G of that length,
// the rows of mdctbuf to rewrite and the stored signs of the joint decoder.
struct concealtarget {
    int32_t m;
    const double* good;
    int32_t nrow;
    const int32_t* storedsigns;
};

double unitdraw() {
    return random_draw() / 32767.0;
}

// First bin of the noise region: floor(2M*noisestart/fs + 0.5), held within 0..M so that
// a hostile rate or start never makes a range leave the spectrum.
int32_t startbin(int32_t m, double noisestart, double fs_khz) {
    const double bin = std::floor((2 * m) * noisestart / fs_khz + 0.5);
    if (!(bin >= 0.0)) return 0;
    if (bin >= m) return m;
    return static_cast<int32_t>(bin);
}

// sqrt(12 * mean of G[j]^2 over lo..hi): the level R whose uniform noise in
// [-R/2, R/2] has the mean square of G over the range.
double noiselevel(const double* good, int32_t lo, int32_t hi) {
    double sum = 0.0;
    for (int32_t j = lo; j <= hi; j++) sum = sum + good[j] * good[j];
    return std::sqrt((12 * sum) / (hi - lo + 1));
}

// Level of the noise at bin k from the bins within one ERB around it (k = 0 takes a
// quarter bin as its frequency).
double erblevel(const double* good, int32_t m, double fs_khz, int32_t k) {
    const double kf = k == 0 ? 0.25 : k;
    const double width = (2 * m * 24.7) / (fs_khz * 1000) + kf * 0.107939;
    double lo = k - std::floor(width / 2 + 0.25);
    double hi = k + std::floor(width / 2 - 0.25);
    if (!(lo >= 0)) lo = 0;
    if (!(lo <= k)) lo = k; // only with a negative width, which no sample rate gives
    if (!(hi >= k)) hi = k;
    if (hi >= m) hi = m - 1;
    return noiselevel(good, static_cast<int32_t>(lo), static_cast<int32_t>(hi));
}

} // namespace

void zatdec::conceal_spectrum() {
    const double gain = std::pow(10.0, -concealatten / 20);

    // Substitute sign of bin k (method 1): a draw, a stored sign or none.
    const auto sign = [&](const concealtarget& target, int32_t k, int32_t s0) -> double {
        if (signrandom_on == 0 || k < s0) return 1.0;
        if (signmode == 1 && signstored_on != 0 && target.storedsigns != nullptr)
            return target.storedsigns[k];
        return unitdraw() <= 0.5 ? -1.0 : 1.0;
    };
    // Writes coefficient k of a row with the configured method and amplitude a; the flat
    // level is computed once per call, before any coefficient.
    const auto substitute = [&](const concealtarget& target, int32_t s0, double flat, double a, double& coef,
                                int32_t k) {
        switch (concealmethod) {
        case 1:
            coef = sign(target, k, s0) * a * target.good[k];
            break;
        case 2:
        case 3:
            if (k < s0) {
                coef = a * target.good[k];
            } else {
                const double level = concealmethod == 2 ? flat : erblevel(target.good, target.m, fs_khz, k);
                coef = ((unitdraw() - 0.5) * a) * level;
            }
            break;
        default:
            break;
        }
    };
    const auto run = [&](const concealtarget& target, bool zerosonly, double a) {
        const int32_t s0 = startbin(target.m, noisestart, fs_khz);
        // With no noise region the flat level is never used; 0 avoids dividing by zero.
        const double flat =
            concealmethod == 2 && s0 < target.m ? noiselevel(target.good, s0, target.m - 1) : 0.0;
        for (int32_t b = 0; b < target.nrow; b++) {
            double* row = mdctbuf[b].data();
            for (int32_t k = 0; k < target.m; k++)
                if (!zerosonly || row[k] == 0.0) substitute(target, s0, flat, a, row[k], k);
        }
    };
    const concealtarget shorttarget{shortlen, lastgoodshort.data(), nblock, concealshortsign};
    const concealtarget longtarget{longlen, lastgoodlong.data(), 1, conceallongsign};

    if (blockmode == LOST_FRAME) {
        // A lost frame repeats the block length of the frame before it; after a frame
        // that was itself never synthesised there is nothing to repeat.
        if (isshortmode(lastblockmode)) {
            blockmode = CONCEALED_SHORT;
            run(shorttarget, false, 1.0);
        } else if (islongmode(lastblockmode)) {
            blockmode = CONCEALED_LONG;
            run(longtarget, false, 1.0);
        }
    } else if (crcerror != 0 && crcerrorpos <= fillthreshold) {
        const double a = concealatten_on != 0 ? gain : 1.0;
        // A short frame is filled only from a short spectrum that was really received.
        if ((blockmode == ALL_SHORT || blockmode == SHORT_LONG) &&
            (lastblockmode == ALL_SHORT || lastblockmode == SHORT_LONG))
            run(shorttarget, true, a);
        else if (blockmode == ALL_LONG || blockmode == LONG_SHORT)
            run(longtarget, true, a);
    }

    // The spectrum leaving this step is the next substitute; a substitute is remembered
    // attenuated, so a run of lost frames fades out.
    const double* last = mdctbuf[nblock - 1].data();
    const double* first = mdctbuf[0].data();
    switch (blockmode) {
    case ALL_SHORT:
    case SHORT_LONG:
        for (int32_t k = 0; k < shortlen; k++) lastgoodshort[k] = last[k];
        break;
    case ALL_LONG:
    case LONG_SHORT:
        for (int32_t k = 0; k < longlen; k++) lastgoodlong[k] = first[k];
        break;
    case CONCEALED_LONG:
        if (concealatten_on != 0)
            for (int32_t k = 0; k < longlen; k++) lastgoodlong[k] = gain * first[k];
        break;
    case CONCEALED_SHORT:
        if (concealatten_on != 0)
            for (int32_t k = 0; k < shortlen; k++) lastgoodshort[k] = gain * last[k];
        break;
    default:
        break;
    }
}
