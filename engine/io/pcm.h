#pragma once
// Conversion of one channel of one frame from doubles at full scale 1.0 to 16-bit PCM.
#include <cstdint>

// For i = 0..n-1: out[i * stride] = clip(floor(32768.0 * in[i] + d + 0.5)), where d is
// triangular dither from two draws r1 then r2 (d = r2/32767 + r1/32767 - 1, so -1..+1)
// when dither is on and 0.0 otherwise. 2n draws per call with dither, none without.
void pcmconvert(const double* in, int16_t* out, int32_t n, int32_t stride, int32_t dither);
