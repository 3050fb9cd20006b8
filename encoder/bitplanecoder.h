#pragma once
// The embedded bit-plane coder, the mirror of the decoders' significance decoding: from
// the top bit-plane down, a significance pass (zero runs over the still insignificant
// scan positions, a sign bit per new coefficient, with in-band weights the first weight
// of a band of a group behind its first coefficient) and a refinement pass; in the CRC
// variant a CRC word over the protected bits of every significance pass. One engine for
// one channel (as zatdec reads it) and for two (as jzatdec reads them).
#include <cstdint>
#include <vector>

#include "base/bitstream.h"
#include "codec/codingconfig.h"
#include "codec/decoder/codec.h"
#include "encoder/bitwriter.h"

struct bitplaneconfig {
    codingconfig coding; // run coding, refinement order, CRC level, weight codes
    int32_t nchan = 1;
    int32_t scan = 0; // 0 block by block, 1 coefficient by coefficient, 2 by groups
    int32_t runparammin = 1;
    bool inbandweights = false; // weighton 1 and weightmode 2
    bool passcrc = false;       // a CRC word ends every significance pass
    int32_t wparam = 1;         // weight-code parameter k of the frame's block length
};

class bitplanecoder {
  public:
    // Codes the first ncoef coefficients of nblk blocks of every channel: chans[ch]->mdcti
    // holds the signed integers, chans[ch]->scfres the groups and, with in-band weights,
    // chans[w]->weight[g][j] the weight band j of group g must arrive with (w = 0 with
    // weightshare, else the coefficient's channel; first weights of a group within
    // -(2^weightrefbits - 1)..0). Stops when the writer is full.
    void encode(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg, int32_t nblk, int32_t ncoef,
                int16_t nband, const int32_t* bandsizes, int16_t topbitplane);

    // Bits of the significance pass of the top plane and its CRC word, for the same
    // arguments: the part a decoder must receive whole, or it conceals the frame.
    int32_t toppasscost(codec* const* chans, const bitplaneconfig& cfg, int32_t nblk, int32_t ncoef,
                        int16_t nband, const int32_t* bandsizes, int16_t topbitplane);

  private:
    struct scanentry {
        uint32_t mag;
        bool negative;
        int16_t ch, group, band;
    };

    void start(codec* const* chans, const bitplaneconfig& cfg, int32_t nblk, int32_t ncoef, int16_t nband,
               const int32_t* bandsizes);
    void buildscan(codec* const* chans, const bitplaneconfig& cfg, int32_t nblk, int32_t ncoef, int16_t nband,
                   const int32_t* bandsizes);
    void significancepass(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg, int32_t bp);
    void emit(bitwriter& out, uint32_t value, int32_t nbits, int32_t level);
    // Bits the significance pass of plane bp and its CRC word would take, state kept.
    int32_t passcost(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg, int32_t bp);
    void emitweight(bitwriter& out, codec* const* chans, const bitplaneconfig& cfg, const scanentry& e);

    std::vector<scanentry> entries;       // by scan position
    std::vector<int32_t> open, stillopen; // insignificant scan positions, in scan order
    std::vector<int32_t> sig;             // significant scan positions, in order found
    std::vector<int32_t> bandof;
    std::vector<uint8_t> flagged;  // [ch][group][band]: a weight has been sent
    std::vector<int32_t> nflagged; // [ch][group]: weights sent in the group
    std::vector<int32_t> wref;     // [ch][group]: the decoder's weight reference
    int32_t last[2] = {};          // the decoder's previous weight per channel
    int32_t nblocks = 0, nbands = 0;

    // Pass CRC collection: the protected bits of one significance pass.
    bitstream crcpacker;
    std::vector<uint16_t> crcwords;
    bool collecting = false;
    int32_t crclevel = 0;

    // Dry runs count instead of writing. Once a pass with in-band weights no longer fits
    // the budget, the frame ends in its tail: a pass cut by the budget fails its CRC when
    // it holds a weight (and the decoder then clears or fills), so from there on only
    // coefficients of bands whose weight has arrived become significant; the others are
    // dropped. Every pass of the tail protects no bits, and its CRC word, read or cut, is 0.
    bool counting = false;
    int32_t counted = 0;
    bool tail = false;
};
