#pragma once
// Field reads for the decoders on top of the 16-bit bit reader. A field wider than 16
// bits (a long weight-code suffix, a wide run remainder) is read in pieces of at most 16
// bits, most significant first, so it costs exactly its width and enters the pass CRC
// bit for bit; its value wraps modulo 2^32.
#include <cstdint>

#include "base/bitstream.h"

// Level of a field that never enters the CRC stream (refinement bits, CRC words, side
// information).
inline constexpr int32_t plainread = -1;

// Reads nbits bits (0 reads nothing). With a level >= 0 the bits are copied into the CRC
// stream when the reader's crclevel >= level.
inline uint32_t readfield(bitstream& reader, int32_t nbits, int32_t level = plainread) {
    uint32_t value = 0;
    while (nbits > 0) {
        const int16_t piece = static_cast<int16_t>(nbits > 16 ? 16 : nbits);
        const uint16_t v = level == plainread ? reader.readbits(piece) : reader.readbits_crc(piece, level);
        value = static_cast<uint32_t>((uint64_t{value} << piece) | v);
        nbits -= piece;
    }
    return value;
}
