#pragma once
// A simple perceptual model: band energies on the codec's band layout, spreading between
// bands, an absolute threshold of hearing. It yields, per band of a group of blocks, the
// weight (in steps of weightstep) that puts the band's quantisation noise on the masking
// curve: the band gain follows the allowed noise amplitude, so every truncation of the
// embedded bit-planes lowers the noise of all bands alike and keeps its shape.
#include <cstdint>
#include <vector>

// desired[j] = 10 log10(allowed noise power per coefficient) / step for the bands
// j < nband of blocks b0..b1-1 of spectrum (blocklen coefficients each). Spectrum scale: a
// full-scale sine has coefficients of about 1.
void maskingweights(const std::vector<std::vector<double>>& spectrum, int32_t b0, int32_t b1,
                    const int32_t* bandsizes, int32_t nband, int32_t blocklen, double fs_khz, double step,
                    double* desired);

// Largest coefficient magnitude per band j < nband over blocks b0..b1-1.
void bandpeaks(const std::vector<std::vector<double>>& spectrum, int32_t b0, int32_t b1,
               const int32_t* bandsizes, int32_t nband, double* peak);
