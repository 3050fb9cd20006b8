#pragma once
// Single-channel decoder: side information, bit-plane significance decoding, band gains,
// concealment and synthesis of one channel.
#include <cstdint>

#include "base/bitstream.h"
#include "base/random.h"
#include "codec/decoder/codec.h"
#include "codec/decoder/gaincache.h"
#include "codec/decoder/passargs.h"
#include "codec/decoder/passworkspace.h"

class zatdec : public codec {
  public:
    zatdec();

    bitstream reader;          // over this channel's payload
    uint16_t crcbuf[512] = {}; // protected bits of one significance pass
    passworkspace passes;      // work lists of the bit-plane passes
    // The source of the concealment draws: the operation's, handed in before a frame, or
    // without one the decoder's own.
    randomsource* random = nullptr;
    randomsource ownrandom;
    randomsource& draws() { return random != nullptr ? *random : ownrandom; }

    // Frame values, handed in before every frame.
    int16_t payloadwords = 0;
    int16_t decodewords = 0;
    int32_t budgetmode = 0;
    double ratescale = 1.0;
    int32_t framelost = 0;
    double* outbuf = nullptr; // framelen doubles filled by the synthesis

    gaincache gains; // band gains of the levels seen so far

    // Results that outlive a call.
    int16_t lastblockmode = 0;
    int32_t crcerror = 0;
    int32_t crcerrorpos = 100;
    int32_t passesintact = 0; // pass CRCs matched in the last bit-plane decode
    int32_t crccut = 0;       // the failure recorded is a pass cut short by the budget
    int32_t nsig = 0;

    // Concealment.
    int32_t signmode = 0;                      // 1: the joint decoder's stored signs (with signstored_on)
    const int32_t* conceallongsign = nullptr;  // owned by the joint decoder
    const int32_t* concealshortsign = nullptr; // owned by the joint decoder
    std::vector<double> lastgoodlong, lastgoodshort;

    int arrayalloc_zatdec(int32_t longlen, int32_t shortlen, int32_t nblock, int32_t midpoint, int32_t nband1,
                          int32_t nband2);
    void arrayfree_zatdec();

    // Frame decode.
    // Zeroes what a frame can read of mdctbuf: the first shortlen coefficients of every
    // block and the first longlen of block 0. A coded frame overwrites all of it; only a
    // lost frame that its concealment method leaves alone reads these zeros. (The integer
    // spectrum is cleared where a frame codes it, just before its bit-planes.)
    void reset_framespectrum();
    void decode_frame();
    void output_frame();
    void decode_spectrum();
    void apply_weights();
    void read_sideinfo();
    void pwcsig_decode(const passargs& args);
    void pwcsig_decode_crc(const passargs& args);

    // Synthesis.
    // Substitutes a lost frame (block mode 4 becomes 5 or 6), fills the exact zeros of a
    // frame whose pass CRC failed near the top, and remembers the last good spectrum.
    // Draws one random value per random sign and per noise value, in row and bin order.
    void conceal_spectrum();
    // conceal_spectrum, then one long or nblock short inverse transforms, windowed and
    // overlap-added into outbuf (framelen doubles, full scale +-1.0). A long frame after
    // ALL_SHORT or LONG_SHORT, and a frame still marked lost, leave outbuf and delaybuf
    // untouched. When frame f's long transform covers input samples (f-1)F..(f+1)F-1 (its
    // short blocks start at P), output frame f is that input delayed by F = framelen.
    void synthesis();
    // Copies mdctbuf[b][0..n/2-1] into wr_buf.
    void load_block(int32_t b, int32_t n);
    // Windows short block b (times shortlen) into delaybuf; after the last block the frame
    // goes to out.
    void overlap_short(double* out, int32_t b);
    // Windows the long block (times longlen) with the long or the stop window into out.
    void overlap_long(double* out);
};
