#pragma once
// Radix-2 complex FFT, decimation in time, in place.
#include <cstdint>
#include <vector>

// In-place DFT of length n (a power of two) on re[0..n-1], im[0..n-1].
// sign +1: X[k] = sum_j x[j] e^(-2 pi i jk/n), unscaled;
// sign -1: x[j] = (1/n) sum_k X[k] e^(+2 pi i jk/n).
// The twiddles of each stage are a running product of the stage's unit step, so the
// result carries that product's rounding; this is what the encoder and decoder agree on.
void fft(double* re, double* im, int32_t sign, int32_t n);

// The parts of fft for a caller that folds the permutation and the 1/n scale into its own
// loops (the inverse MDCT does).

// Twiddles w_m, m < span, of the stage with the given span, real and imaginary parts
// apart: the running product w_{m+1} = w_m * e^(i theta), theta = pi/(-sign*span), from
// w_0 = 1.
struct stagetwiddles {
    std::vector<double> wr, wi;
};
const stagetwiddles& fftstagetwiddles(int32_t sign, int32_t span);

// rev[p]: the input index that the bit-reversal permutation of length n moves to p.
const std::vector<int32_t>& bitreversedorder(int32_t n);

// The butterfly stages of span `from`, 2*from, ... on values already in bit-reversed
// order, unscaled; from is a power of two.
void fftstages(double* re, double* im, int32_t sign, int32_t n, int32_t from);

// One butterfly of fft: (x, y) becomes (t + x, x - t) with t = w * y, every operation in
// fft's order and with fft's operands.
inline void butterfly(double& xr, double& xi, double& yr, double& yi, double wr, double wi) {
    const double a = yr, b = yi;
    const double tr = wr * a - wi * b;
    const double ti = wi * a + wr * b;
    const double x = xr, y = xi;
    yr = x - tr;
    yi = y - ti;
    xr = tr + x;
    xi = ti + y;
}
