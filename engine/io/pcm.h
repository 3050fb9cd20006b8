#pragma once
// Conversion of one channel of one frame from doubles at full scale 1.0 to 16-bit PCM.
#include <cstdint>

#include "base/random.h"

// r / 32767.0 for a draw r (0..32767), bit for bit, without a division: r * c1 and r * c2
// are exact (a 15-bit r times a few one bits 15 apart), and their sum rounds to the quotient
// (a test checks every r).
inline double drawfraction(int32_t r) {
    constexpr double c1 = 0x1p-15 + 0x1p-30 + 0x1p-45;
    constexpr double c2 = 0x1p-60 + 0x1p-75;
    return r * c1 + r * c2;
}

// For i = 0..n-1: out[i] = clip(floor(32768.0 * in[i] + d + 0.5)), where d is
// triangular dither from two draws r1 then r2 (d = r2/32767 + r1/32767 - 1, so -1..+1)
// when dither is on and 0.0 otherwise. 2n draws per call with dither, none without.
void pcmconvert(randomsource& random, const double* in, int16_t* out, int32_t n, int32_t dither);

// The n samples of each of nch channels, one channel after another in planar, into
// out sample by sample (the channels of a sample side by side).
void interleave(const int16_t* planar, int32_t n, int32_t nch, int16_t* out);
