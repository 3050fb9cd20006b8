#pragma once
// Access to a frame payload, shared by the single-channel and the joint frame decode:
// the reader set-up, the bit budget and the side-information CRC.
#include <cstdint>

#include "base/bitstream.h"

// A frame has at most 511 words, so no payload is longer; a larger payloadwords is damage
// and is cut to this before it can steer the reader.
inline constexpr int16_t maxpayloadwords = 511;

// payloadwords cut to 0..maxpayloadwords.
int16_t usablepayload(int16_t payloadwords);

// resetbits, the word limit, the CRC level and the primed reader for the payload at
// reader.wordbuf. The reader may load the payload and the one word of read-ahead behind
// it (the frame buffer always has it); words beyond read as 0 whatever the budget
// arithmetic says.
void startpayload(bitstream& reader, int16_t payloadwords, int32_t crclevel);

// Payload words the frame decode may read: all of them in budgetmode 0, decodewords
// scaled by ratescale (rounded, cut to 0..payload) in budgetmode 1.
int16_t allowedwords(int32_t budgetmode, int16_t decodewords, int16_t payloadwords, double ratescale);

// The side-information CRC: crc16 over the first sidecrcwords payload words, the CRC word
// included, must be 0. Covered words outside the payload mean damaged side information.
bool sideinfointact(const bitstream& reader, int16_t sidecrcwords, int16_t payloadwords);
