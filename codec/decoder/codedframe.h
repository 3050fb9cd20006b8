#pragma once
// The coded spectrum of a frame by its block mode, shared by the single-channel and the
// joint spectrum decode: which blocks and coefficients are coded, which bit-plane decoder
// reads them, and the conversion of the integer spectrum to doubles.
#include <algorithm>
#include <cstdint>

#include "codec/decoder/significance.h"
#include "codec/decoder/zatdec.h"

// Coded frames of short blocks (block modes 0 and 3) and of one long block (1 and 2).
inline bool isshortframe(int blockmode) {
    return blockmode == ALL_SHORT || blockmode == SHORT_LONG;
}
inline bool islongframe(int blockmode) {
    return blockmode == ALL_LONG || blockmode == LONG_SHORT;
}

enum class passdecoder_kind { none, plain, protectedpasses };

struct framespectrum {
    bool coded = false; // block modes 0 to 3
    int32_t rows = 0;   // blocks: nblock for a short-block frame, 1 for a long one
    int32_t length = 0; // coefficients per block
    passargs args;      // the bit-plane decoder's arguments
    passdecoder_kind decoder = passdecoder_kind::none;
};

// d: the decoder state (zatdec or jzat) with the block mode, geometry and configuration;
// bands: the channel whose coded bands and band tables hold (channel 0 under joint coding).
template <class decoderstate>
framespectrum framespectrumof(const decoderstate& d, const zatdec& bands, int32_t budget) {
    const codingconfig& c = d.config;
    framespectrum f;
    const bool shortframe = isshortframe(d.blockmode);
    if (!shortframe && !islongframe(d.blockmode)) return f;
    f.coded = true;
    f.rows = shortframe ? d.nblock : 1;
    f.length = shortframe ? d.shortlen : d.longlen;
    const std::vector<int32_t>& sizes = shortframe ? bands.bndsize1 : bands.bndsize2;
    const int16_t nband =
        static_cast<int16_t>(std::clamp<int32_t>(bands.nbandcoded, 0, static_cast<int32_t>(sizes.size())));
    int32_t ncoef = 0;
    for (int32_t j = 0; j < nband; ++j) ncoef += sizes[j];
    f.args = {f.rows, ncoef,        shortframe ? c.scanmode : 0,
              budget, c.runmode,    c.runparam,
              nband,  sizes.data(), shortframe ? c.wparamshort : c.wparamlong};
    if (c.weightmode == 0 || c.weightmode == 1 || (c.weightmode == 2 && c.crcon == 0))
        f.decoder = passdecoder_kind::plain;
    else if (c.weightmode == 2)
        f.decoder = passdecoder_kind::protectedpasses;
    return f;
}

// Zeroes the coded blocks of the integer spectrum.
void clearcoefficients(zatdec& channel, const framespectrum& f);

// mdctbuf = mdcti / 2147483647 (full scale) over the frame's blocks.
void tospectrum(zatdec& channel, const framespectrum& f);
