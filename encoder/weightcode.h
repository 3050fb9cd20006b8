#pragma once
// The weight code of the side information and of the in-band weights, encoder side: a
// signed weight difference becomes a code number by wsignmode, the code number a run of
// zeros, a one and a suffix (Golomb-style with parameter k; with wstepmode 1 the suffix
// grows by a bit with every zero).
#include <cstdint>

// Code number of the signed difference d. wsignmode 0: 0, -1, 1, -2, 2, ... are 0, 1, 2,
// 3, 4; wsignmode 1 the opposite signs; wsignmode 2 (side information only, h =
// 2^(weightbits-1)): 0 -> 0, -1 -> 1, 1..h-1 -> 2..h, d <= -2 -> h - 1 - d. Differences
// above h-1 have no code in wsignmode 2; the caller keeps them out.
uint32_t weightcodenumber(int32_t d, int32_t wsignmode, int32_t h);

struct weightcode {
    int32_t zeros;   // leading zero bits, then a one bit
    uint32_t suffix; // then the suffix, suffixbits wide
    int32_t suffixbits;
};

weightcode makeweightcode(uint32_t n, int32_t k, int32_t wstepmode);
