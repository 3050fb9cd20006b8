#include "drivers/pcm.h"

#include <cmath>

#include "drivers/random.h"

namespace {

// floor(v) held within -32768..32767; NaN from a broken spectrum would make the
// conversion undefined: it is silence. Inside the range the floor is the truncation, one
// lower for a negative value with a fraction, which saves a library call per sample.
int16_t tosample(double v) {
    if (v >= 32767.0) return 32767;
    if (v < -32768.0) return -32768;
    if (std::isnan(v)) return 0;
    const auto t = static_cast<int32_t>(v);
    return static_cast<int16_t>(static_cast<double>(t) > v ? t - 1 : t);
}

} // namespace

void pcmconvert(const double* in, int16_t* out, int32_t n, int32_t stride, int32_t dither) {
    randomrun draws;
    for (int32_t i = 0; i < n; i++) {
        double d = 0.0;
        if (dither != 0) {
            const auto [r1, r2] = draws.drawpair();
            d = r2 / 32767.0 + r1 / 32767.0 - 1.0;
        }
        out[static_cast<int64_t>(i) * stride] = tosample(32768.0 * in[i] + d + 0.5);
    }
}
