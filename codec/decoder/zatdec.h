#pragma once
// Single-channel decoder: side information, bit-plane significance decoding, band gains,
// concealment and synthesis of one channel.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/bitstream.h"
#include "base/random.h"
#include "codec/decoder/codec.h"
#include "codec/decoder/gaincache.h"
#include "codec/decoder/passargs.h"
#include "codec/decoder/passworkspace.h"
#include "codec/synthesis/filterbank.h"

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
    // decode_framespectrum, then synthesis.
    void decode_frame();
    // output_framespectrum, then synthesis.
    void output_frame();
    // A frame of the separately coded stream up to the spectrum the synthesis reads:
    // budget, side information, bit-planes, gains and concealment.
    void decode_framespectrum();
    // The same for a frame whose coefficients the joint decoder has written: band gains and
    // concealment.
    void output_framespectrum();
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
    // Length of the flat spectrum that takespectrum writes and a filter bank reads.
    int32_t flatlength() const { return std::max(longlen, nblock * shortlen); }
    // Hands the frame just decoded to a filter bank: puts the part of mdctbuf that its
    // block mode synthesises into flat (flatlength() doubles: short block b at
    // b * shortlen, the long block at 0) and returns the block modes; from then on the
    // frame's block mode is the previous one. Beyond written flat holds only +0.0, on
    // entry and on return: a long block is copied only up to its last non-zero value
    // (its upper part is mostly silent) and only what an earlier one left is cleared.
    synthesisframe takespectrum(double* flat, int32_t& written);
    // takespectrum, then the decoder's own filter bank into outbuf (filterbank::run).
    void synthesis();

    filterbank bank;                    // the decoder's own synthesis state
    std::vector<double> synthesisinput; // flatlength() doubles, handed to bank
};
