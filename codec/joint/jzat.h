#pragma once
// Joint-channel decoder: both channels of a frame from one interleaved bit-plane
// stream, then sum/difference to left/right. It owns no spectra: it writes into the
// channel decoders (chdec), which run their own output step.
#include <cstdint>
#include <vector>

#include "base/bitstream.h"
#include "codec/codingconfig.h"
#include "codec/decoder/zatdec.h"

class jzat {
  public:
    bitstream reader;     // over the frame payload
    messagesink messages; // allocation failures
    codingconfig config;

    int16_t payloadwords = 0;
    int16_t nchan = 1;
    int16_t blockmode = 0;
    std::vector<int16_t> scfres[2]; // per channel, from the frame header
    int16_t nbandcoded = 32;
    int16_t sidecrcwords = 0;
    int16_t topbitplane = 0;
    int32_t nsig = 0;
    std::vector<int32_t> conceallongsign, concealshortsign; // +1 / -1, fresh every frame
    int32_t nblock = 0, shortlen = 0, longlen = 0, maxcoef = 0;
    int32_t nband1 = 0, nband2 = 0, nbandmax = 0;
    int32_t runparammin = 1; // lower limit of the adaptive run parameter
    uint16_t crcbuf[512] = {};
    passworkspace passes; // work lists of the bit-plane passes
    // The source of the concealment draws: the operation's, handed in before a frame, or
    // without one the decoder's own.
    randomsource* random = nullptr;
    randomsource ownrandom;
    randomsource& draws() { return random != nullptr ? *random : ownrandom; }
    zatdec* chdec = nullptr; // the nchan channel decoders
    double ratescale = 1.0;
    int32_t crcerrorpos = 100, crcerror = 0;
    int32_t passesintact = 0, crccut = 0; // as in zatdec
    int32_t framelost = 0;
    int32_t budgetmode = 0;
    int16_t decodewords = 0;

    // Returns 1 when an array could not be allocated (after showing its message), else 0.
    int jarrayalloc(int32_t longlen, int32_t shortlen, int32_t nblock, int32_t nband1, int32_t nband2);
};

class jzatdec : public jzat {
  public:
    void decode_frame();
    void read_sideinfo(zatdec* channels, int32_t a, int32_t b);
    void decode_spectrum();
    void jpwc_dec(const passargs& args);
    void jpwc_dec_crc(const passargs& args);

    // Hands a channel decoder what its output step needs from this frame: block mode,
    // crcerror, crcerrorpos, the concealment signs (signmode 1: stored signs).
    void handover(zatdec& channel);
    // Makes the frame's concealment signs. A frame decode takes its shortlen + longlen
    // draws by jumping over them; the signs follow from the source's state at that point
    // only for a frame whose concealment may read them (lost, or a pass CRC failed).
    void makesigns();

    // Left = (S + D)/sqrt(2), right = (S - D)/sqrt(2) over the spectra of the frame's block
    // mode, from the sum S in channel 0 and the difference D in channel 1.
    void sumdifference();

  private:
    void decodepayload(int32_t channels);

    uint32_t signstate = 1; // the source's state before the frame's sign draws
    bool signsmade = false; // the signs of the current frame are in the arrays
};
