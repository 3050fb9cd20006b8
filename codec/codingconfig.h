#pragma once
// The coding configuration of a stream: the settings that writer and readers must agree
// on, since the stream does not carry them. The document holds one value, hands it to
// its decoders once per operation, and the encoder writes with one. Defaults are the
// document's.
#include <cstdint>

struct codingconfig {
    // Frame layout.
    int32_t jointcoding = 1; // 1: both channels in one interleaved stream (joint decoder)
    int32_t scfresmode = 2;  // 1 or 2: short-block frames carry grouping flags; 0: none

    // Weights (band gains).
    int32_t weighton = 1;
    int32_t weightmode = 2;  // 0/1 in the side information (fixed/variable length), 2 in the passes
    int32_t weightshare = 1; // joint: weights decoded once into channel 0, used by both
    double weightstep = 3.0; // dB per weight step
    int16_t weightbits = 4, weightrefbits = 6;
    int32_t wparamshort = 2, wparamlong = 1;             // weight-code parameter k by frame type
    int32_t wstepmode = 0, wsignmode = 0, wpredmode = 1; // weight-code prefix, sign and prediction

    // Bit-plane passes.
    int32_t crcon = 1;    // CRC words after the side information or each significance pass
    int32_t crclevel = 0; // fields of level <= crclevel enter a pass CRC
    int32_t scanmode = 1, chaninterleave = 1;
    int32_t runmode = 2, runparam = 1;
    int32_t refinefirst = 0;

    // Reconstruction of coefficients within their last bit-plane.
    int32_t reconmode = 4;
    double recon0 = 0.4, recon1 = 0.45;

    // Band layouts: 0 uniform, otherwise ERB with the base factor.
    int32_t shortbandtype = 1, longbandtype = 1;
    double shorterbbase = 80.0, longerbbase = 45.0;

    // Concealment and the decoders' start.
    int32_t concealmethod = 1;
    int32_t concealatten_on = 1;
    double concealatten = 1.5; // dB per concealed frame
    double noisestart = 0.5;   // kHz below which the last good spectrum is repeated unchanged
    int32_t fillthreshold = 4;
    int32_t signrandom_on = 1, signstored_on = 1;
    int32_t initblockmode = 2; // previous block mode of a fresh decoder: 1 ALL_LONG, else ALL_SHORT
};
