#pragma once
// Per-channel codec state: geometry, band layouts, integer and double spectra, weights,
// synthesis buffers and the coding configuration. Shared by the decoder (zatdec) and the
// encoder. No virtual operations.
//
// Scales: mdcti holds signed integer coefficients at full scale 2147483647; mdctbuf
// holds the spectrum after the band gains (doubles, synthesis output nominally +-1.0).
#include <cstdint>
#include <vector>

#include "base/message.h"
#include "codec/codingconfig.h"

enum blockmodes : int16_t {
    ALL_SHORT = 0,
    ALL_LONG = 1,
    LONG_SHORT = 2,
    SHORT_LONG = 3,
    LOST_FRAME = 4,      // set by the decoders: to be concealed
    CONCEALED_LONG = 5,  // set by the concealment
    CONCEALED_SHORT = 6, // set by the concealment
};

// Short-block frames (synthesised as nblock short transforms): 0, 3 and 6.
inline bool isshortmode(int blockmode) {
    return blockmode == ALL_SHORT || blockmode == SHORT_LONG || blockmode == CONCEALED_SHORT;
}
// Long-block frames: 1, 2 and 5.
inline bool islongmode(int blockmode) {
    return blockmode == ALL_LONG || blockmode == LONG_SHORT || blockmode == CONCEALED_LONG;
}

class codec {
  public:
    messagesink messages; // allocation and band-layout failures
    codingconfig config;

    // Geometry, set by arrayalloc_codec.
    int32_t longlen = 0, shortlen = 0, nblock = 0, speclen = 0, framelen = 0;
    int32_t midpoint = 0; // framelen/2 + shortlen/2; stored, not used by any decoding step
    int32_t nband1 = 0, nband2 = 0;
    int16_t nbandmax = 0;

    // Arrays, in allocation order. Rows are per block, columns per coefficient or band.
    std::vector<std::vector<double>> mdctbuf;
    std::vector<std::vector<double>> mdctinit;
    std::vector<double> shortwindow, longwindow;
    std::vector<double> datai, datar;
    std::vector<double> delaybuf;
    std::vector<double> wi_buf, wr_buf;
    std::vector<std::vector<int32_t>> mdcti;
    std::vector<std::vector<int16_t>> scf;
    std::vector<int16_t> scfres;
    std::vector<std::vector<int16_t>> weight, dweight;
    std::vector<int16_t> weightref;
    std::vector<std::vector<int16_t>> weightflag; // 0 none, 1 received, 2 confirmed by a CRC
    std::vector<int32_t> bndsize1, bndsize2;

    // Windows.
    int32_t windowshape = 1;
    double kbdalpha = 3.0;

    // Frame values from the header.
    int16_t srindex = 7;
    int16_t blockmode = 0;
    int16_t nbandcoded = 32;
    int16_t topbitplane = 0;
    int16_t sidecrcwords = 0;
    double fs_khz = 48.0;

    int32_t runparammin = 1; // lower limit of the adaptive run parameter

    // Allocates every array for the geometry; shows the allocation messages and returns
    // 1 when an array could not be allocated (the decoder must then not be used), else 0.
    int arrayalloc_codec(int32_t longlen, int32_t shortlen, int32_t nblock, int32_t midpoint, int32_t nband1,
                         int32_t nband2);
    void arrayfree_codec();
    void reset_sideinfo();
    void reset_spectrum();
    void setsamplerate(int16_t srindex);
    // Builds bndsize1 and bndsize2 from the band layouts of config and fs_khz.
    void setbands();
    // Fills table[0..length-1] with the window selected by windowshape (0 sine, else
    // Kaiser-Bessel-derived with kbdalpha): the rising half, then its mirror image.
    void makewindow(double* table, int32_t length) const;
};
