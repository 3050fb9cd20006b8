#include "engine/io/pcm.h"

#include <algorithm>
#include <cmath>

#include "base/random.h"
#include "base/targetclones.h"

namespace {

// floor(v) held within -32768..32767 (the bounds are whole, so clipping first leaves
// the floor the same); NaN from a broken spectrum would make the conversion undefined:
// it is silence. Selects instead of branches, so that a chunk of samples runs without
// jumps and vectorises (this file is built without trapping math, so that the compiler
// may evaluate the comparisons of every sample and round without a library call).
inline int16_t tosample(double v) {
    double c = v >= 32767.0 ? 32767.0 : v;
    c = c < -32768.0 ? -32768.0 : c;
    c = c == c ? c : 0.0;
    return static_cast<int16_t>(static_cast<int32_t>(std::floor(c)));
}

} // namespace

TONVEX_TARGET_CLONES void pcmconvert(randomsource& random, const double* in, int16_t* out, int32_t n,
                                     int32_t dither) {
    // A chunk at a time: its draws, its dither, its samples, each a loop of its own that
    // the compiler runs several values at a time.
    constexpr int32_t chunk = 64;
    int r[2 * chunk];
    double d[chunk];
    if (dither == 0) std::fill_n(d, chunk, 0.0); // + 0.0 changes no sum that + 0.5 follows
    randomrun draws(random);
    for (int32_t start = 0; start < n; start += chunk) {
        const int32_t m = std::min(chunk, n - start);
        if (dither != 0) {
            draws.fill(r, 2 * m); // r1 then r2 of each sample
            for (int32_t k = 0; k < m; k++) d[k] = drawfraction(r[2 * k + 1]) + drawfraction(r[2 * k]) - 1.0;
        }
        const double* x = in + start;
        int16_t* to = out + start;
        for (int32_t k = 0; k < m; k++) to[k] = tosample(32768.0 * x[k] + d[k] + 0.5);
    }
}

TONVEX_TARGET_CLONES void interleave(const int16_t* planar, int32_t n, int32_t nch, int16_t* out) {
    if (nch == 2) { // the common case, as one loop the compiler runs with vector shuffles
        const int16_t* second = planar + n;
        for (int32_t i = 0; i < n; i++) {
            out[2 * i] = planar[i];
            out[2 * i + 1] = second[i];
        }
        return;
    }
    for (int32_t c = 0; c < nch; c++)
        for (int32_t i = 0; i < n; i++)
            out[static_cast<int64_t>(i) * nch + c] = planar[static_cast<int64_t>(c) * n + i];
}
