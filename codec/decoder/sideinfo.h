#pragma once
// Side information of weight modes 0 and 1: top bit-plane, grouping flags, weight
// references and weights of every group, fill bits and the side-information CRC word.
// The single-channel decoder reads it into itself, the joint decoder into channel 0.
#include <cstdint>

#include "codec/decoder/codedframe.h"
#include "codec/decoder/weightcode.h"
#include "codec/decoder/zatdec.h"

struct sideinfolayout {
    int16_t blockmode = 0;
    int32_t nblock = 0;
    int16_t nbandcoded = 0;
    codingconfig config;      // grouping flags, weight mode and widths, CRC word
    weightcodeparams code;    // k by block length; also carries weightbits
    bool readtopplane = true; // the 5-bit top bit-plane leads the side information
    bool readcrcword = true;  // with crcon 1: fill bits and the CRC word close it
};

// The layout as a decoder state (zatdec or jzat) holds it.
template <class decoderstate>
sideinfolayout sideinfolayoutof(const decoderstate& d, int32_t accumulatorbits) {
    const codingconfig& c = d.config;
    const int32_t k = isshortframe(d.blockmode) ? c.wparamshort : c.wparamlong;
    return {
        d.blockmode, d.nblock, d.nbandcoded, c, {k, c.wstepmode, c.wsignmode, c.weightbits, accumulatorbits}};
}

// Reads with the budget rule on reader.bitsleft: a field wider than the budget is not
// read, the budget becomes 0 and the field keeps its reset value. The first bit of every
// weight code, the fill bits and the CRC word are read regardless, so the budget can end
// below 0 (the bit-plane decoders take that as exhausted).
void readsideinfo(bitstream& reader, zatdec& target, int16_t& topbitplane, const sideinfolayout& layout);
