#pragma once
// The embedded bit-plane coder, the mirror of the decoders' significance decoding: from
// the top bit-plane down, a significance pass (zero runs over the still insignificant
// scan positions, a sign bit per new coefficient, with in-band weights the first weight
// of a band of a group behind its first coefficient) and a refinement pass; in the CRC
// variant a CRC word over the protected bits of every significance pass. One engine for
// one channel (as zatdec reads it) and for two (as jzatdec reads them).
#include <cstdint>
#include <vector>

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

// Zero bits that carry a decoder's position over the rest open positions at the end of a
// pass, with run parameter kk.
int32_t endzeros(const codingconfig& c, int32_t rest, int32_t kk);
// Bits of an empty pass over that many scan positions and its CRC word: the cost of a
// plane above the top.
int32_t emptypassbits(const codingconfig& c, int32_t positions);

class bitplanecoder {
  public:
    // Takes in a frame: the first ncoef coefficients of nblk blocks of every channel.
    // chans[ch]->mdcti holds the signed integers, chans[ch]->scfres the groups and, with
    // in-band weights, chans[w]->weight[g][j] the weight band j of group g must arrive with
    // (w = 0 with weightshare, else the coefficient's channel; first weights of a group
    // within -(2^weightrefbits - 1)..0). The codec states must stay as they are until the
    // frame is coded.
    void prepare(codec* const* chans, const bitplaneconfig& cfg, int32_t nblk, int32_t ncoef, int16_t nband,
                 const int32_t* bandsizes, int16_t topbitplane);
    // Codes the prepared frame until the writer is full. raise (at most 30 - topbitplane)
    // empty planes above the top, each a zero run and a CRC word, move the coefficients'
    // passes down the count of planes within which a decoder fills a frame whose pass CRC
    // failed. With lastpass below the frame's last plane only passes 0..lastpass are
    // coded, whole as far as the writer takes them (no tail): a trial of where they end.
    void encode(bitwriter& out, int16_t raise = 0, int32_t lastpass = 31);
    // Where the CRC word of pass r (0 the top plane's, r <= lastpass) of the last encode
    // ends, in bits of the writer; -1 when the pass was not written.
    int32_t passend(int32_t r) const { return r < static_cast<int32_t>(ends.size()) ? ends[r] : -1; }
    // Scan positions of the prepared frame.
    int32_t positions() const { return static_cast<int32_t>(entries.size()); }
    // Bits of the significance pass of the top plane and its CRC word: the part a decoder
    // must receive whole, or it conceals the frame. Counts no further than limit: a larger
    // result only says that the pass exceeds it.
    int32_t toppasscost(int32_t limit);

  private:
    struct scanentry {
        uint32_t mag;
        bool negative;
        int8_t plane; // where it becomes significant (the top plane at most); -1: never
        int16_t ch, group, band;
    };
    // What the decoder knows of the weights: what a pass that is taken back must restore.
    struct weightstate {
        std::vector<uint8_t> flagged;  // [ch][group][band]: a weight has been sent
        std::vector<int32_t> nflagged; // [ch][group]: weights sent in the group
        std::vector<int32_t> wref;     // [ch][group]: the decoder's weight reference
        int32_t last[2] = {};          // the decoder's previous weight per channel
    };

    void buildscan(int32_t nblk, int32_t ncoef, int16_t nband, const int32_t* bandsizes);
    void sortbyplane();
    void reset();
    void significancepass(bitwriter& out, int32_t bp);
    // A field of nbits (0..32) bits; level says whether it enters the pass CRC.
    void emit(bitwriter& out, uint32_t value, int32_t nbits, int32_t level) {
        if (counting) {
            counted += nbits;
            return;
        }
        out.put(value, nbits);
        if (collecting && level <= crclevel) collect(value, nbits);
    }
    void collect(uint32_t value, int32_t nbits);
    void emitzeros(bitwriter& out, int32_t n, int32_t level);
    void emitweight(bitwriter& out, const scanentry& e);
    void refine(bitwriter& out, size_t known, int32_t bp);
    bool hasweight(const scanentry& e) const {
        return weights.flagged[(static_cast<size_t>(e.ch) * nblocks + e.group) * nbands + e.band] != 0;
    }
    // Insignificant scan positions below p. A pass reads them as they were at its start
    // and visits only its new coefficients: a run is the difference of two counts.
    int32_t openbefore(int32_t p) const;
    void close(int32_t p) { openmask[static_cast<size_t>(p >> 6)] &= ~(uint64_t{1} << (p & 63)); }
    // openwords from openmask, after the closes of a pass.
    void countopen();

    codec* chans[2] = {};
    bitplaneconfig cfg;
    int16_t top = 0;
    int32_t nblocks = 0, nbands = 0;

    std::vector<scanentry> entries;  // by scan position
    std::vector<int32_t> byplane;    // scan positions by plane, each plane's in scan order
    std::vector<int32_t> planestart; // [bp]..[bp + 1]: the part of byplane for plane bp
    std::vector<uint64_t> openmask;  // a bit per scan position: still insignificant
    std::vector<int32_t> openwords;  // open positions below each word of openmask
    std::vector<int32_t> sig;        // significant scan positions, in order found
    std::vector<int32_t> ends;       // passend
    std::vector<int16_t> bandof, leader;
    weightstate weights, saved;

    // Pass CRC collection: the protected bits of one significance pass.
    wordpacker crcpacker;
    std::vector<uint16_t> crcwords;
    bool collecting = false;
    int32_t crclevel = 0;

    // The frame ends in its tail once a pass with in-band weights no longer fits the
    // budget: a pass cut by the budget fails its CRC when it holds a weight (and the
    // decoder then clears or fills), so from there on only coefficients of bands whose
    // weight has arrived become significant; the others are dropped. Every pass of the
    // tail protects no bits, and its CRC word, read or cut, is 0. The pass that does not
    // fit is written, taken back and written again as the tail's first.
    bool tail = false;
    // The cost of the top pass counts instead of writing, up to countlimit.
    bool counting = false;
    int32_t counted = 0, countlimit = 0;
    bitwriter idle;
};
