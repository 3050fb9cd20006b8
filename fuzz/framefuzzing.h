#pragma once
// Shared by the frame fuzzers: settings and stream parameters from the first bytes,
// decoders built the way the decode driver builds them, and per frame the header fields
// and a payload in a buffer of exactly its size plus the reader's look-ahead word.
#include <cstdint>
#include <vector>

#include "app/CTonvexDoc.h"
#include "codec/decoder/zatdec.h"
#include "fuzz/fuzzinput.h"

// The stream parameters a first header gives, and the document geometry that follows.
struct fuzzstream {
    int16_t srindex = 7;
    int16_t channels = 1;
};
fuzzstream choosestream(CTonvexDoc& doc, fuzzinput& in);

// Allocates a channel decoder for the document's geometry and hands it the once-per-run
// values; false when allocation failed.
bool buildchannel(const CTonvexDoc& doc, zatdec& decoder, int16_t srindex);

// Header fields of one frame, each within the range its header field can hold.
struct fuzzframe {
    int16_t blockmode = 0;
    int16_t codedbands = 32;
    int16_t bitplanes = 0;
    int16_t crcwords = 0;
    int16_t groupflags[2][16] = {};
    bool lost = false;
    int16_t payloadwords = 0;
    int16_t decodewords = 0;
    // payloadwords words, then the look-ahead word; nothing beyond it.
    std::vector<uint16_t> payload;
};
fuzzframe chooseframe(fuzzinput& in, int32_t nblock);
// The bytes chooseframe reads as this frame (a seed made from a real stream).
std::vector<uint8_t> encodeframe(const fuzzframe& frame);

// Hands a decoder (channel or joint: their frame fields have the same names) the frame's
// payload and the header fields both kinds take. The payload length is the caller's: the
// joint decoder reads nothing of a lost frame.
template <class decoderclass> void handframe(decoderclass& decoder, fuzzframe& frame) {
    decoder.wordbuf = frame.payload.data();
    decoder.wordlimit = frame.payload.data() + frame.payload.size();
    decoder.decodewords = frame.decodewords;
    decoder.ratescale = 1.0;
    decoder.framelost = frame.lost ? 1 : 0;
    decoder.blockmode = frame.blockmode;
    decoder.nbandcoded = frame.codedbands;
    decoder.sidecrcwords = frame.crcwords;
    decoder.topbitplane = frame.bitplanes;
}

// Converts a decoded channel as the driver does (dither included) and checks the
// decoder left a block mode the synthesis knows.
void finishchannel(const CTonvexDoc& doc, const zatdec& decoder, int16_t* pcm, int16_t nch, int16_t channel);
