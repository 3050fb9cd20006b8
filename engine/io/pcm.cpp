#include "engine/io/pcm.h"

#include <algorithm>
#include <cmath>

#include "base/random.h"

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
    // The dither of a chunk of samples is drawn first and then divided in one loop, which
    // the compiler runs two quotients at a time (each rounded as alone).
    constexpr int32_t chunk = 64;
    int r[2 * chunk];
    double d[chunk];
    randomrun draws;
    for (int32_t start = 0; start < n; start += chunk) {
        const int32_t m = std::min(chunk, n - start);
        if (dither != 0) {
            draws.fill(r, 2 * m); // r1 then r2 of each sample
            for (int32_t k = 0; k < m; k++) d[k] = r[2 * k + 1] / 32767.0 + r[2 * k] / 32767.0 - 1.0;
        } else {
            std::fill_n(d, m, 0.0);
        }
        for (int32_t k = 0; k < m; k++) {
            const int32_t i = start + k;
            out[static_cast<int64_t>(i) * stride] = tosample(32768.0 * in[i] + d[k] + 0.5);
        }
    }
}
