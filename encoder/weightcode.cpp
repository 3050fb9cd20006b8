#include "encoder/weightcode.h"

uint32_t weightcodenumber(int32_t d, int32_t wsignmode, int32_t h) {
    if (wsignmode == 2) {
        if (d == 0) return 0;
        if (d == -1) return 1;
        if (d > 0) return static_cast<uint32_t>(d + 1);
        return static_cast<uint32_t>(h - 1 - d);
    }
    if (wsignmode == 1) d = -d;
    return d >= 0 ? static_cast<uint32_t>(2 * d) : static_cast<uint32_t>(-2 * d - 1);
}

weightcode makeweightcode(uint32_t n, int32_t k, int32_t wstepmode) {
    if (wstepmode == 0) return {static_cast<int32_t>(n >> k), n & ((1u << k) - 1), k};
    // Each zero adds 2^k' and widens the suffix: k' = k, k+1, ...
    uint32_t base = 0;
    int32_t width = k;
    int32_t zeros = 0;
    while (n >= base + (1u << width)) {
        base += 1u << width;
        width++;
        zeros++;
    }
    return {zeros, n - base, width};
}
