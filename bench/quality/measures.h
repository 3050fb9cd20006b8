#pragma once
// Objective measures of a decoded signal against its reference, both planar at full
// scale 1.0 and aligned sample for sample:
// - SNR over all samples of all channels;
// - segmental SNR: mean over frames of 1024 samples per channel of the frame's SNR,
//   clamped to -10..35 dB, frames whose reference is silent left out;
// - frequency-weighted segmental SNR: per frame (Hann window), the magnitude spectrum
//   summed over critical bands; the bands' SNRs 10 log10(X^2 / (X - Y)^2) averaged with
//   weights X^0.2 (X, Y the reference and decoded band magnitudes), the frame's value
//   clamped to -10..35 dB, silent frames left out.
#include <vector>

struct qualitymeasures {
    double snr = 0.0, segsnr = 0.0, fwsegsnr = 0.0;
};

using planar = std::vector<std::vector<double>>;

qualitymeasures measurequality(const planar& reference, const planar& decoded, double rate);
