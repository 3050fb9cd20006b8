// Spectral reconstruction: substitutes for lost frames, noise filling of frames whose
// coefficient data failed a CRC early, and the memory of the last good spectrum.
//
// Random draws (the operation's source, in call order): one per random sign and one
// per noise value, row by row and coefficient by coefficient; none anywhere else.
#include <algorithm>
#include <cmath>

#include "base/random.h"
#include "codec/decoder/zatdec.h"

namespace {

double unitdraw(randomsource& random) {
    return random.draw() / 32767.0;
}

// First bin of the noise region: floor(2M*noisestart/fs + 0.5), held within 0..M so that
// a hostile rate or start never makes a range leave the spectrum.
int32_t startbin(int32_t m, double noisestart, double fs_khz) {
    const double bin = std::floor((2 * m) * noisestart / fs_khz + 0.5);
    if (!(bin >= 0.0)) return 0;
    if (bin >= m) return m;
    return static_cast<int32_t>(bin);
}

// sqrt(12 * mean of G[j]^2 over lo..hi): the level R whose uniform noise in [-R/2, R/2]
// has the mean square of G over the range. Squares are plain products, summed upwards.
double noiselevel(const double* good, int32_t lo, int32_t hi) {
    double sum = 0.0;
    for (int32_t j = lo; j <= hi; j++) sum = sum + good[j] * good[j];
    return std::sqrt((12 * sum) / (hi - lo + 1));
}

// One rewrite of the rows of a frame from the last good spectrum of its block length.
class concealpass {
  public:
    concealpass(const zatdec& dec, randomsource& random, int32_t m, const double* good, int32_t nrow,
                const int32_t* storedsigns)
        : dec(dec), random(random), m(m), good(good), nrow(nrow), storedsigns(storedsigns),
          s0(startbin(m, dec.config.noisestart, dec.fs_khz)),
          // The flat level is fixed before any coefficient is touched; without a noise
          // region it is never used, and 0 avoids dividing by zero.
          flat(dec.config.concealmethod == 2 && s0 < m ? noiselevel(good, s0, m - 1) : 0.0) {}

    // Replaces every coefficient (a lost frame), or only those exactly 0.0 (noise
    // filling), scaled by a.
    void run(std::vector<std::vector<double>>& rows, bool zerosonly, double a) const {
        for (int32_t b = 0; b < nrow; b++) {
            double* row = rows[b].data();
            for (int32_t k = 0; k < m; k++)
                if (!zerosonly || row[k] == 0.0) substitute(row[k], k, a);
        }
    }

  private:
    void substitute(double& coef, int32_t k, double a) const {
        switch (dec.config.concealmethod) {
        case 1:
            coef = sign(k) * a * good[k];
            break;
        case 2:
        case 3:
            if (k < s0)
                coef = a * good[k];
            else
                coef = ((unitdraw(random) - 0.5) * a) * (dec.config.concealmethod == 2 ? flat : erblevel(k));
            break;
        default:
            break;
        }
    }

    // Method 1: +1 below the start bin or without substitute signs; else the joint
    // decoder's stored sign when asked for and present, else a random sign (one draw).
    double sign(int32_t k) const {
        if (dec.config.signrandom_on == 0 || k < s0) return 1.0;
        if (dec.signmode == 1 && dec.config.signstored_on != 0 && storedsigns != nullptr)
            return storedsigns[k];
        return unitdraw(random) <= 0.5 ? -1.0 : 1.0;
    }

    // Level from the bins within one ERB around k (bin 0 takes a quarter bin as its
    // frequency), clamped to the spectrum.
    double erblevel(int32_t k) const {
        const double kf = k == 0 ? 0.25 : k;
        const double width = (2 * m * 24.7) / (dec.fs_khz * 1000) + kf * 0.107939;
        double lo = k - std::floor(width / 2 + 0.25);
        double hi = k + std::floor(width / 2 - 0.25);
        if (!(lo >= 0)) lo = 0;
        if (!(lo <= k)) lo = k; // only with a negative width, which no sample rate gives
        if (!(hi >= k)) hi = k;
        if (hi >= m) hi = m - 1;
        return noiselevel(good, static_cast<int32_t>(lo), static_cast<int32_t>(hi));
    }

    const zatdec& dec;
    randomsource& random;
    int32_t m;
    const double* good;
    int32_t nrow;
    const int32_t* storedsigns;
    int32_t s0;
    double flat;
};

} // namespace

void zatdec::conceal_spectrum() {
    // The gain, only where it is used (a received frame needs none).
    const auto gain = [this] { return std::pow(10.0, -config.concealatten / 20); };
    const auto shortpass = [&] {
        return concealpass(*this, draws(), shortlen, lastgoodshort.data(), nblock, concealshortsign);
    };
    const auto longpass = [&] {
        return concealpass(*this, draws(), longlen, lastgoodlong.data(), 1, conceallongsign);
    };

    if (blockmode == LOST_FRAME) {
        // A lost frame repeats the block length of the frame before it; after a frame that
        // was itself never synthesised there is nothing to repeat.
        if (isshortmode(lastblockmode)) {
            blockmode = CONCEALED_SHORT;
            shortpass().run(mdctbuf, false, 1.0);
        } else if (islongmode(lastblockmode)) {
            blockmode = CONCEALED_LONG;
            longpass().run(mdctbuf, false, 1.0);
        }
    } else if (crcerror != 0 && crcerrorpos <= config.fillthreshold) {
        const double a = config.concealatten_on != 0 ? gain() : 1.0;
        // A short frame is filled only from a short spectrum that was really received.
        if ((blockmode == ALL_SHORT || blockmode == SHORT_LONG) &&
            (lastblockmode == ALL_SHORT || lastblockmode == SHORT_LONG))
            shortpass().run(mdctbuf, true, a);
        else if (blockmode == ALL_LONG || blockmode == LONG_SHORT)
            longpass().run(mdctbuf, true, a);
    }

    // The spectrum leaving this step is the next substitute; a substitute is remembered
    // attenuated, so that a run of lost frames fades out.
    const std::vector<double>& lastblock = mdctbuf[nblock - 1];
    const std::vector<double>& longblock = mdctbuf[0];
    switch (blockmode) {
    case ALL_SHORT:
    case SHORT_LONG:
        std::copy_n(lastblock.begin(), shortlen, lastgoodshort.begin());
        break;
    case ALL_LONG:
    case LONG_SHORT:
        std::copy_n(longblock.begin(), longlen, lastgoodlong.begin());
        break;
    case CONCEALED_LONG:
        if (config.concealatten_on != 0) {
            const double g = gain();
            for (int32_t k = 0; k < longlen; k++) lastgoodlong[k] = g * longblock[k];
        }
        break;
    case CONCEALED_SHORT:
        if (config.concealatten_on != 0) {
            const double g = gain();
            for (int32_t k = 0; k < shortlen; k++) lastgoodshort[k] = g * lastblock[k];
        }
        break;
    default:
        break;
    }
}
