#pragma once
// The bit-plane significance decoder shared by the single-channel decoder (one channel)
// and the joint decoder (channels interleaved in one stream).
//
// Each plane, from topbitplane down to 0, has a significance pass (zero runs over the
// still-insignificant coefficients in scan order, then a sign for each coefficient that
// becomes significant, and in weight mode 2 the band's weight the first time a band of a
// group becomes significant) and a refinement pass (one magnitude bit for every
// coefficient found in an earlier plane). The protected variant ends each significance
// pass with a 16-bit CRC word over the pass's fields of level <= crclevel.
//
// Coefficients are written into the channel decoders' mdcti (signed integers at full
// scale 2^31 - 1, sign and magnitude kept apart: refinement bits are ORed into the
// magnitude).
#include <array>
#include <cstdint>
#include <vector>

#include "base/bitstream.h"
#include "codec/codingconfig.h"
#include "codec/decoder/passargs.h"
#include "codec/decoder/weightcode.h"
#include "codec/decoder/zatdec.h"

// The two stream syntaxes differ in small observable ways; each is a deliberate choice.
struct passvariant {
    bool crcprotected = false;
    // Fewer than 16 bits left for a pass CRC word: the single-channel syntax takes the
    // word as 0 without recording a failure (it compares only a word it has read); the
    // joint syntax compares the collected CRC with 0 and records crcerror/crcerrorpos.
    bool missingcrcword_isfailure = false;
    // A weight reference or code suffix that does not fit the budget: the single-channel
    // syntax zeroes the budget, the joint syntax reads the rest bit by bit (entering the
    // pass CRC) and stores nothing.
    cutfield cutweight = cutfield::zerobudget;
    // Weight-code accumulator width: 16 single-channel, 32 joint.
    int32_t accumulatorbits = 16;
    const char* overflowmessage = ""; // shown when a pass collects more CRC words than the payload has
};

inline passvariant singlechannelvariant(bool crcprotected) {
    return {crcprotected, false, cutfield::zerobudget, 16,
            "zatdec::pwcsig_decode_crc() - crc packing overflow"};
}
inline passvariant jointvariant(bool crcprotected) {
    return {crcprotected, true, cutfield::drainbits, 32, "jzatdec::jpwc_dec_crc() - crc packing overflow"};
}

// The coefficients in coding order and where each one lives.
struct scanlayout {
    static constexpr int32_t maxblocks = 16; // a frame of 1024 has at most 16 short blocks of 64
    static constexpr int32_t maxchannels = 2;

    int32_t nchan = 1;
    int32_t chaninterleave = 0; // 0: channel after channel; 1: channels alternate per coefficient
    int32_t nblk = 1;           // at most maxblocks
    int32_t ncoef = 0;          // coded coefficients per block
    int32_t scan = 0;           // 0 block by block, 1 coefficient across blocks, 2 by groups
    std::array<int32_t, maxblocks> leader{};   // per block: the first block of its group
    std::array<int32_t, maxblocks> groupend{}; // per block: one past the last block of its group

    // Groups of the first nblk blocks from grouping flags (nonzero: a group starts at that
    // block). Block 0 always starts a group, whatever its flag holds.
    void setgroups(const std::vector<int16_t>& flags);
    int32_t length() const { return nchan * nblk * ncoef; }
};

// A layout for channels shaped like channel0 (its mdcti rows and its grouping flags);
// block and coefficient counts beyond the arrays are cut to fit.
scanlayout makescanlayout(int32_t nchan, int32_t chaninterleave, int32_t nblk, int32_t ncoef, int32_t scan,
                          const zatdec& channel0);

struct coefplace {
    int32_t ch = 0, block = 0, coef = 0, group = 0;
};

// Channel, block, coefficient index and group leader of scan position i (0 <= i < length).
coefplace locate(const scanlayout& layout, int32_t i);

struct passsettings {
    passargs args;
    codingconfig config; // weight codes, refinement order, reconstruction
    int32_t runparammin = 1;
    int16_t topbitplane = 0;
    bool inbandweights = false; // weighton and weight mode 2
    int32_t weightshare = 0;    // weights decoded once into channel 0, flagged for every channel
};

struct passresult {
    int32_t nsig = 0;
    int32_t crcerror = 0;
    int32_t crcerrorpos = 100; // plane of the last failed pass CRC counted from the top; 100: none
    int32_t passesintact = 0;  // pass CRC words read and matched, where the CRC is not 0
    int32_t crccut = 0;        // 1 when the failure recorded is a pass whose CRC word the budget cut off
};

// The CRC state of the passes lives in the reader (crcptr, crcacc, crcbitpos); crcbuf
// collects one pass (512 words). The group flags of the layout are channel 0's and hold
// for every channel.
//
// A top bit-plane above 30 cannot be held in a 32-bit coefficient: nothing is decoded
// and the result reports a failed top-plane CRC, so the frame decoders conceal the frame.
passresult decodepasses(bitstream& reader, passworkspace& ws, uint16_t* crcbuf, int16_t payloadwords,
                        zatdec* channels, const scanlayout& layout, const passsettings& settings,
                        const passvariant& variant);

// Runs the passes for a decoder state (zatdec or jzat) over its channels and stores nsig,
// crcerror and crcerrorpos in it.
template <class decoderstate>
void runpasses(decoderstate& d, zatdec* channels, int32_t nchan, int32_t chaninterleave, int32_t weightshare,
               const passargs& args, const passvariant& variant) {
    const scanlayout layout =
        makescanlayout(nchan, chaninterleave, args.nblk, args.ncoef, args.scan, channels[0]);
    const passsettings settings{args,
                                d.config,
                                d.runparammin,
                                d.topbitplane,
                                d.config.weighton != 0 && d.config.weightmode == 2,
                                weightshare};
    const passresult r =
        decodepasses(d.reader, d.passes, d.crcbuf, d.payloadwords, channels, layout, settings, variant);
    d.nsig = r.nsig;
    d.crcerror = r.crcerror;
    d.crcerrorpos = r.crcerrorpos;
    d.passesintact = r.passesintact;
    d.crccut = r.crccut;
}
