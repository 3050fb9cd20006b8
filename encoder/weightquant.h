#pragma once
// Turns the desired weights of a group into the values a stream can carry under the
// configuration of a codec state (weight mode 0, 1 or 2, no weights), and the band gains
// 262144 * 10^(Lv/20) that the decoder will derive from them, computed as apply_weights
// computes them.
#include <cstdint>

#include "codec/decoder/codec.h"

// A coefficient of magnitude peak[j] must stay below this fraction of 2^31 after
// division by its gain, so that no integer reaches bit 31.
inline constexpr double integerheadroom = 0.9;

// Weight steps that put a stream's integers below 2^26 (the decoders take 30 planes at
// most, so that five empty planes fit above the top): 2^5 / integerheadroom as a gain.
int16_t liftforroom(double weightstep);

// For group leader g and bands j < c.nbandcoded: shifts the desired weights (in steps)
// as a whole so that the band closest to overflow just fits, then fills c.weightref[g]
// and c.weight[g][j] with the values to transmit (weight mode 0: the fixed-length
// weights; 1: the differences, band 0 unused; 2: the weights themselves) and gain[j]
// with the decoder's band gain (1.0 without weights). Weight mode 2 takes every weight
// lift steps higher (at most 0) after the fit.
void realiseweights(codec& c, int32_t g, const double* desired, const double* peak, double* gain,
                    int16_t lift = 0);
