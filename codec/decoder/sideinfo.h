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
    int32_t scfresmode = 2;
    int32_t weightmode = 0;
    int16_t weightrefbits = 6;
    int32_t crcon = 1;
    weightcodeparams code;    // k by block length; also carries weightbits
    bool readtopplane = true; // the 5-bit top bit-plane leads the side information
    bool readcrcword = true;  // with crcon 1: fill bits and the CRC word close it
};

// The layout as a decoder state (zatdec or jzat, which name their fields alike) holds it.
template <class decoderstate>
sideinfolayout sideinfolayoutof(const decoderstate& d, int32_t accumulatorbits) {
    const bool shortframe = isshortframe(d.blockmode);
    sideinfolayout layout;
    layout.blockmode = d.blockmode;
    layout.nblock = d.nblock;
    layout.nbandcoded = d.nbandcoded;
    layout.scfresmode = d.scfresmode;
    layout.weightmode = d.weightmode;
    layout.weightrefbits = d.weightrefbits;
    layout.crcon = d.crcon;
    layout.code = {shortframe ? d.wparamshort : d.wparamlong, d.wstepmode, d.wsignmode, d.weightbits,
                   accumulatorbits};
    return layout;
}

// Reads with the budget rule on reader.bitsleft: a field wider than the budget is not
// read, the budget becomes 0 and the field keeps its reset value. The first bit of every
// weight code, the fill bits and the CRC word are read regardless, so the budget can end
// below 0 (the bit-plane decoders take that as exhausted).
void readsideinfo(bitstream& reader, zatdec& target, int16_t& topbitplane, const sideinfolayout& layout);
