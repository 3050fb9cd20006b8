#include "codec/decoder/codedframe.h"

#include "base/targetclones.h"

namespace {

constexpr double fullscale = 2147483647.0;

} // namespace

void clearcoefficients(zatdec& channel, const framespectrum& f) {
    for (int32_t b = 0; b < f.rows; ++b) std::fill_n(channel.mdcti[b].begin(), f.length, 0);
}

TONVEX_TARGET_CLONES void tospectrum(zatdec& channel, const framespectrum& f) {
    for (int32_t b = 0; b < f.rows; ++b) {
        const int32_t* in = channel.mdcti[b].data();
        double* out = channel.mdctbuf[b].data();
        // Above the last non-zero coefficient each quotient is 0 / fullscale = +0.0.
        int32_t end = f.length;
        while (end >= 8 && (in[end - 1] | in[end - 2] | in[end - 3] | in[end - 4] | in[end - 5] |
                            in[end - 6] | in[end - 7] | in[end - 8]) == 0)
            end -= 8;
        while (end > 0 && in[end - 1] == 0) --end;
        for (int32_t i = 0; i < end; ++i) out[i] = in[i] / fullscale;
        std::fill(out + end, out + f.length, 0.0);
    }
}
