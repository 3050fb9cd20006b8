#pragma once
// Side information of weight modes 0 and 1, the mirror of read_sideinfo: top bit-plane,
// grouping flags of a short-block frame, per group leader the weight reference and the
// weights (fixed-length, or weight codes of the differences), then, with crcon, fill bits
// to the word boundary and a CRC word over all words of the side information.
#include <cstdint>

#include "codec/decoder/codec.h"
#include "encoder/bitwriter.h"

// Bits of the side information of c for its blockmode, without fill and CRC.
int32_t sideinfobits(const codec& c);

// Writes the side information at the start of an empty writer whose payload begins at
// words; returns the payload words up to and including the CRC word (the header's
// crcwords), or 0 without crcon.
int16_t writesideinfo(bitwriter& out, const uint16_t* words, const codec& c);
