#pragma once
// Settings of the encoder: the coding configuration that writer and readers must agree
// on, the target bitrate and the encoder's own choices.
#include <cstdint>
#include <string>

#include "codec/codingconfig.h"

// How the encoder shapes its noise. snr: one weight for all bands of a group, white
// noise, which gives the most SNR and, on recorded music and speech, also the best
// segmental and frequency-weighted segmental SNR; perceptual: the masking model's noise
// shaping, the noise following the estimated masking threshold.
enum class encodertune { snr, perceptual };

// The tune of a name ("snr", "perceptual"); false for any other name.
bool tuneofname(const std::string& name, encodertune& tune);

struct encodersettings {
    double bitrate = 128.0; // kbit/s; the constant frame length follows as in scaledframelen

    // The configuration the decoders must be given too.
    codingconfig coding = {};

    // Encoder choices that the stream carries in its headers.
    // Bands coded in every frame (1..32), constant in a stream; 0 chooses by the run
    // coding: all 32 with run mode 2, and with run modes 0 and 1, which pay for every
    // skipped position or short run, as many as leave room for several bit-planes.
    int32_t codedbands = 0;
    int32_t blockswitching = 1; // 0: long blocks only (after the short first frame)
    // The lowest rate in kbit/s a stream is meant to be scaled to (0: none). Above it every
    // cut of a scaled stream keeps the first fillthreshold + 1 planes whole, at the cost of
    // empty planes above the top where a frame needs them, and weights 30 dB higher to
    // leave the header's plane count room for them.
    double scalefloor = 64.0;

    // What the band weights aim at (the decoders do not depend on it).
    encodertune tune = encodertune::snr;
};

// Checks that the settings describe a stream the decoders can read; returns an empty
// string or the reason why not. channels and srindex describe the input.
std::string checksettings(const encodersettings& settings, int channels, int srindex);
