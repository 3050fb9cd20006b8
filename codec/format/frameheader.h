#pragma once
// Frame header: sync word, index, length, stream parameters, per-channel fields and a
// CRC word over everything between the sync word and the CRC.
#include <cstdint>

#include "base/bitstream.h"
#include "codec/codingconfig.h"

inline constexpr uint16_t syncword = 0xDFFD;
inline constexpr int maxframewords = 511;

// Sample rate in kHz by srindex 0..7.
double samplerate_khz(int srindex);
// Coefficients of a short block by srindex: 128, or 64 at 24 and 32 kHz.
int shortblocklength(int srindex);
// "ALL_SHORT", "ALL_LONG", "LONG_SHORT", "SHORT_LONG" for 0..3, "?" otherwise.
const char* blockmodename(int blockmode);
// Header length H in words for a configuration.
int16_t headerwords_for(int32_t weighton, int32_t weightmode, int32_t jointcoding);

class frameheader : public bitstream {
  public:
    int32_t framelen = 1024;
    int32_t nblock = 8;
    int32_t shortlen = 128;
    codingconfig config; // its frame layout: jointcoding, scfresmode and the weight settings
    int16_t groupflags[2][16] = {};
    int16_t bitplanes[2] = {};
    int16_t headerwords = 5;
    int16_t crcwords[2] = {};
    int16_t frameindex = 0, framewords = 0, channels = 1, srindex = 7, blockmode = 0, codedbands = 1;
    int16_t maxlongbands = 32, maxshortbands = 32, maxbands = 32;
    int32_t lengthok = 0;
    int32_t synctolerance = 1;
    int32_t syncfound = 0;

    void setsizes();
    // Width of the codedbands field for maxbands.
    int16_t codedbandsbits() const;
};

class decodeheader : public frameheader {
  public:
    void read();
};

class encodeheader : public frameheader {
  public:
    void pack();
};
