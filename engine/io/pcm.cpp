#include "engine/io/pcm.h"

#include <algorithm>

#include "base/random.h"
#include "base/targetclones.h"

namespace {

// floor(v) held within -32768..32767; NaN from a broken spectrum would make the
// conversion undefined: it is silence. Selects instead of branches, so that a chunk of
// samples runs without jumps and vectorises (this file is built without trapping math,
// so that the compiler may evaluate the comparisons of every sample). Inside the range
// the floor is the truncation, one lower for a negative value with a fraction.
inline int16_t tosample(double v) {
    double c = v >= 32767.0 ? 32767.0 : v;
    c = c < -32768.0 ? -32768.0 : c;
    c = c == c ? c : 0.0;
    const auto t = static_cast<int32_t>(c);
    return static_cast<int16_t>(t - (static_cast<double>(t) > c ? 1 : 0));
}

} // namespace

TONVEX_TARGET_CLONES void pcmconvert(randomsource& random, const double* in, int16_t* out, int32_t n,
                                     int32_t stride, int32_t dither) {
    // A chunk at a time: its draws, its dither, its samples, each a loop of its own that
    // the compiler runs several values at a time, then the samples to their places.
    constexpr int32_t chunk = 64;
    int r[2 * chunk];
    double d[chunk];
    int16_t s[chunk];
    randomrun draws(random);
    for (int32_t start = 0; start < n; start += chunk) {
        const int32_t m = std::min(chunk, n - start);
        if (dither != 0) {
            draws.fill(r, 2 * m); // r1 then r2 of each sample
            for (int32_t k = 0; k < m; k++) d[k] = drawfraction(r[2 * k + 1]) + drawfraction(r[2 * k]) - 1.0;
        } else {
            std::fill_n(d, m, 0.0);
        }
        const double* x = in + start;
        for (int32_t k = 0; k < m; k++) s[k] = tosample(32768.0 * x[k] + d[k] + 0.5);
        int16_t* to = out + static_cast<int64_t>(start) * stride;
        for (int32_t k = 0; k < m; k++) to[static_cast<int64_t>(k) * stride] = s[k];
    }
}
