#pragma once
// Inverse MDCT of length N (a power of two, at least 8) through a complex FFT of N/4.
#include <cstdint>

// data[0..N/2-1] holds the coefficients X[k]; on return data[0..N-1] holds
// y[n] = (2/N) sum_k X[k] cos(2 pi/N (n + n0)(k + 1/2)). The 2/N is undone by the
// overlap-add, which scales every windowed value by N/2. work holds at least N/2 doubles.
// n0 must be (N/2 + 1)/2, the only phase offset the reordering is laid out for.
void imdct(double* data, double* work, double n0, int32_t n);
