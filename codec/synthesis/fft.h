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

// The butterfly stages of the spans from `from` up to below `to` (powers of two, to at
// most n) on values already in bit-reversed order, unscaled.
void fftstages(double* re, double* im, int32_t sign, int32_t n, int32_t from, int32_t to);

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

// The stages of spans s and 2s at index k of four quarters of a block of 4s values, x0 ..
// x3 at r0[k] .. r3[k] (and i0[k] .. i3[k]): (x0, x1) and (x2, x3) with the twiddle a,
// then (x0, x2) with b0 and (x1, x3) with b1, each value passing both while it is held.
[[gnu::always_inline]] inline void twostagesat(double* r0, double* r1, double* r2, double* r3, double* i0,
                                               double* i1, double* i2, double* i3, int32_t k, double ar,
                                               double ai, double b0r, double b0i, double b1r, double b1i) {
    double xr0 = r0[k], xr1 = r1[k], xr2 = r2[k], xr3 = r3[k];
    double xi0 = i0[k], xi1 = i1[k], xi2 = i2[k], xi3 = i3[k];
    butterfly(xr0, xi0, xr1, xi1, ar, ai);
    butterfly(xr2, xi2, xr3, xi3, ar, ai);
    butterfly(xr0, xi0, xr2, xi2, b0r, b0i);
    butterfly(xr1, xi1, xr3, xi3, b1r, b1i);
    r0[k] = xr0, r1[k] = xr1, r2[k] = xr2, r3[k] = xr3;
    i0[k] = xi0, i1[k] = xi1, i2[k] = xi2, i3[k] = xi3;
}
