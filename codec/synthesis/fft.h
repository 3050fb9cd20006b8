#pragma once
// Radix-2 complex FFT, decimation in time, in place.
#include <cstdint>

// In-place DFT of length n (a power of two) on re[0..n-1], im[0..n-1].
// sign +1: X[k] = sum_j x[j] e^(-2 pi i jk/n), unscaled;
// sign -1: x[j] = (1/n) sum_k X[k] e^(+2 pi i jk/n).
// The twiddles of each stage are a running product of the stage's unit step, so the
// result carries that product's rounding; this is what the encoder and decoder agree on.
void fft(double* re, double* im, int32_t sign, int32_t n);
