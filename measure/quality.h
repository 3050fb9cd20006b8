#pragma once
// Objective measures of a test signal against a reference, in 1024-sample frames:
//   SNR        10 log10(sum r^2 / sum (r - t)^2) over all compared samples
//   segSNR     mean over non-silent frames of the frame SNR clamped to -10..35 dB
//   fwSNRseg   mean over non-silent frames of sum_j W_j SNR_j / sum_j W_j, with band
//              magnitudes X_j (reference) and Y_j (test) over critical bands,
//              SNR_j = 10 log10(X_j^2 / (X_j - Y_j)^2) clamped to -10..35 dB, W_j = X_j^0.2
//   LSD        mean over non-silent frames of sqrt(mean_k (10 log10((P_k + e) / (Q_k + e)))^2)
//   peak       max |r - t| in 16-bit units; identical: share of samples with r == t
// A frame is silent when its reference RMS is below -60 dB of full scale.
#include <array>
#include <cstdint>
#include <vector>

#include "measure/audiofile.h"

inline constexpr int32_t measureframe = 1024;
inline constexpr double snrfloor = -10.0;    // dB, per frame and per band
inline constexpr double snrceiling = 35.0;   // dB, per frame and per band
inline constexpr double silencerms = 32.768; // -60 dB of full scale in 16-bit units
inline constexpr double bandweightpower = 0.2;
inline constexpr double lsdepsilon = 1.0; // added to both power spectra (16-bit units squared)
// Critical band edges in Hz (Zwicker); the last band runs to the Nyquist frequency.
inline constexpr std::array<double, 25> criticaledges = {
    0,    100,  200,  300,  400,  510,  630,  770,  920,  1080, 1270,  1480, 1720,
    2000, 2320, 2700, 3150, 3700, 4400, 5300, 6400, 7700, 9500, 12000, 15500};

struct qualitymeasures {
    double snr = 0.0; // +infinity when the signals are identical
    double segsnr = 0.0, fwsnrseg = 0.0, lsd = 0.0;
    double peak = 0.0;
    double identical = 0.0; // share 0..1
    int64_t frames = 0;     // whole frames compared
    int64_t silentframes = 0;
};

struct framemeasures {
    int64_t frame = 0; // index of the frame in the reference, from the first compared sample
    int32_t channel = 0;
    bool silent = false;
    double segsnr = 0.0, fwsnr = 0.0, lsd = 0.0, peak = 0.0;
};

struct comparison {
    int64_t delay = 0;   // test sample n + delay lines up with reference sample n
    int64_t first = 0;   // first reference sample compared
    int64_t samples = 0; // compared per channel
    std::vector<qualitymeasures> channels;
    qualitymeasures overall;           // all channels pooled
    std::vector<framemeasures> frames; // only when asked for
};

// Both signals need the same rate and channel count (the caller checks).
comparison comparesignals(const audiosignal& reference, const audiosignal& test, int64_t delay,
                          bool perframe);
