#include "codec/format/bands.h"

#include <cmath>
#include <cstdint>

#include "base/message.h"

namespace {

// Reports a table whose sizes do not cover the block exactly.
void checksum(const int32_t* sizes, int32_t nband, int32_t half, const char* message) {
    int64_t sum = 0;
    for (int32_t b = 0; b < nband; ++b) sum += sizes[b];
    if (sum != half) showmessage(message);
}

} // namespace

void bandlayout(int32_t* sizes, int32_t nband, int32_t type, double p, int32_t total, double fs_khz) {
    if (type != 0)
        erbbands(sizes, nband, p, total, fs_khz);
    else
        uniformbands(sizes, nband, total);
}

void uniformbands(int32_t* sizes, int32_t nband, int32_t total) {
    const int32_t half = total / 2;
    int32_t rest = half;
    for (int32_t b = 0; b < nband; ++b) {
        sizes[b] = rest / (nband - b);
        rest -= sizes[b];
    }
    checksum(sizes, nband, half, "incorrect uniform band sum");
}

// Bands one p-scaled ERB wide (times a factor m), never narrower than the band below; m is
// found by bisection so that the bands just cover the block, and the last band absorbs the
// rounding. The arithmetic, its order and the search constants are shared with the encoder.
void erbbands(int32_t* sizes, int32_t nband, double p, int32_t total, double fs_khz) {
    if (nband <= 2) {
        showmessage("nband out of range");
        // Keep the table defined for a caller that uses it anyway.
        if (nband > 0) uniformbands(sizes, nband, total);
        return;
    }
    const int32_t N = total;
    const int32_t half = N / 2;
    const double x = std::log(0.107939 * fs_khz * 1000 / (49.4 * p) + 1) / (nband * 0.107939);
    double lo = 0.3 * x;
    double hi = 2.0 * x;
    // A rate or base that gives no usable scale leaves nothing to search (unreachable from
    // the rate table); the table is kept defined.
    if (!(hi - lo > 0.000001) || half <= 0) {
        uniformbands(sizes, nband, total);
        return;
    }
    double m = (lo + hi) / 2;
    int64_t sum = 0;
    while (hi - lo > 0.000001) {
        sum = 0;
        int64_t start = 0;
        int32_t w = 1; // set once per pass, so band widths never decrease
        for (int32_t b = 0; b < nband; ++b) {
            auto target = [&] {
                const double f = (start + w / 2.0) * fs_khz / N;
                return std::floor((p * 24.7 * 0.001 + f * 0.107939) * m * N / fs_khz + 0.5);
            };
            // A band wider than the block already decides the pass; stop growing it there.
            while (w < target() && w <= half) ++w;
            sizes[b] = w;
            start += w;
            sum += w;
        }
        if (sum > half)
            hi = m;
        else
            lo = m;
        m = (hi + lo) / 2;
    }
    sizes[nband - 1] = static_cast<int32_t>(sizes[nband - 1] - (sum - half));
    checksum(sizes, nband, half, "incorrect erb band sum");
}
