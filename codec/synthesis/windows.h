#pragma once
// Window tables of the synthesis filter bank. Both windows are power complementary:
// w[i]^2 + w[i + L/2]^2 = 1 up to rounding, so a long or short transform overlapped with
// its neighbour reconstructs the signal.
#include <cstdint>

// Rising half of the sine window of length L: table[i] = sin((i + 0.5)*pi/L), i < L/2.
void sinewindow(double* table, int32_t length);

// Rising half of the Kaiser-Bessel-derived window of length L with the given alpha:
// the normalised running sum of a Kaiser kernel of L/2 + 1 terms, square-rooted.
void kbdwindow(double* table, double alpha, int32_t length);

// Zeroth-order modified Bessel function of the first kind, by its power series; the
// series stops after the first term not above 1e-10.
double besseli0(double x);
