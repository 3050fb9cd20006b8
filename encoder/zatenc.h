#pragma once
// Single-channel encoder state: the codec geometry, windows and band layouts shared with
// the decoder, the analysis filter bank, the perceptual weights and band gains of the
// current frame, and its integer coefficients.
//
// Scales: mdctbuf holds the analysis spectrum of the frame (a full-scale sine gives
// coefficients of about 1; the decoder's mdctbuf after the gains holds the same values);
// mdcti the integers at 2147483647 scale that the decoder turns back into mdctbuf with
// the band gains in bandgain.
#include <cstdint>
#include <memory>
#include <vector>

#include "codec/decoder/codec.h"
#include "encoder/analysis.h"
#include "encoder/encodersettings.h"

class zatenc : public codec {
  public:
    // Takes the coding configuration, allocates the arrays for the sample rate, builds
    // windows, band layouts and the analysis. Returns 1 when an array could not be
    // allocated (after its message), else 0.
    int setup(const encodersettings& settings, int16_t srindex);

    int16_t lastblockmode = ALL_SHORT; // as a decoder with the default initblockmode starts

    // Weight steps above the fit (realiseweights), for room above the top plane.
    int16_t lift = 0;

    // Per group leader and band: desired weight in steps, largest coefficient, band gain.
    std::vector<std::vector<double>> desired, peak, bandgain;

    // Blocks and coded coefficients per block of the frame's blockmode.
    int32_t codedblocks() const { return isshortmode(blockmode) ? nblock : 1; }
    int32_t codedcoefs() const;
    const int32_t* bandsizes() const { return isshortmode(blockmode) ? bndsize1.data() : bndsize2.data(); }

    // mdctbuf from the frame's span (2*framelen samples) by blockmode and lastblockmode.
    void analyse(const double* span);
    // Desired weights of every group leader, by the masking model.
    void maskweights();
    // Peaks of every group leader from mdctbuf.
    void measurepeaks();
    // Transmitted weights and band gains of every group leader from desired and peak.
    void realise();
    // mdcti from mdctbuf and the band gains; returns the top bit-plane (0: all zero).
    int16_t quantise();
    // Calls body(g, e) for every group [g, e) of the frame's blocks.
    template <class F> void forgroups(F&& body) const {
        const int32_t n = codedblocks();
        for (int32_t g = 0; g < n;) {
            int32_t e = g + 1;
            while (e < n && scfres[e] == 0) e++;
            body(g, e);
            g = e;
        }
    }

  private:
    std::unique_ptr<analysis> filterbank;
};
