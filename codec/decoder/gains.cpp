// Band gains: a band's level Lv in dB follows from its group's weights; its coefficients
// are multiplied by 262144 * 10^(Lv/20) (2^18 times the amplitude ratio). Bands beyond
// the coded ones are cleared.
#include <algorithm>
#include <cmath>

#include "base/targetclones.h"
#include "codec/decoder/codedframe.h"
#include "codec/decoder/weightcode.h"
#include "codec/decoder/zatdec.h"

namespace {

// No bound on the level: a damaged weight may drive the power to +inf (and inf times a
// zero coefficient to NaN); those values follow the IEEE rules through the synthesis, and
// only the PCM conversion has to meet them.
double bandgain(double level) {
    return 262144.0 * std::pow(10.0, level / 20.0);
}

} // namespace

TONVEX_TARGET_CLONES void zatdec::apply_weights() {
    if (config.weighton == 0) return;
    const bool shortframe = isshortframe(blockmode);
    if (!shortframe && !islongframe(blockmode)) return; // a frame to be concealed has no gains
    const int32_t rows = shortframe ? nblock : 1;
    const int32_t length = shortframe ? shortlen : longlen;
    const std::vector<int32_t>& sizes = shortframe ? bndsize1 : bndsize2;
    const int32_t nband = static_cast<int32_t>(sizes.size());
    const int32_t ncoded = std::clamp<int32_t>(nbandcoded, 0, nband);
    const int64_t h = pow2mod32(int64_t{config.weightbits} - 1); // centre of a fixed-length weight

    int32_t g = 0; // block 0 always leads a group, whatever its flag holds
    for (int32_t b = 0; b < rows; ++b) {
        if (shortframe && config.scfresmode >= 0 && config.scfresmode <= 2 && scfres[b] != 0) g = b;
        double* row = mdctbuf[b].data();
        double r = -static_cast<double>(weightref[g]) * config.weightstep;
        double p = r;
        int32_t q = 0;
        for (int32_t j = 0; j < nband; ++j) {
            const int32_t end = std::min(q + std::max(sizes[j], 0), length);
            if (j >= ncoded) {
                std::fill(row + q, row + end, 0.0);
            } else if (config.weightmode >= 0 && config.weightmode <= 2) {
                const int16_t w = weight[g][j];
                double level;
                if (config.weightmode == 0) {
                    level = static_cast<double>(w - h) * config.weightstep + r;
                } else if (config.weightmode == 1) {
                    if (j == 0) {
                        level = r;
                    } else {
                        level = w * config.weightstep + r;
                        if (config.wpredmode == 1) {
                            r = level;
                        } else if (config.wpredmode == 2) {
                            r = 2 * level - p;
                            p = level;
                        }
                    }
                } else {
                    level = w * config.weightstep;
                }
                const double gain = gains.lookup(level, bandgain);
                for (int32_t i = q; i < end; ++i) row[i] = row[i] * gain;
            }
            q = end;
        }
    }
}
