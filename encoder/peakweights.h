#pragma once
// Band weights without a hearing model: the allowed noise of a band follows the band's
// largest coefficient part of the way, from one level for the whole group (follow 0,
// white noise: the most SNR for the bits) to the band's own (follow 1, the same SNR in
// every band).
#include <cstdint>

// desired[j], in weight steps, for the bands j < nband with largest magnitudes peak[j]:
// follow * L_j + (1 - follow) * L_max, L_j the band's peak level in dB raised to no less
// than depth dB below the loudest band's L_max (silent bands too).
void peakweights(const double* peak, int32_t nband, double follow, double depth, double step,
                 double* desired);
