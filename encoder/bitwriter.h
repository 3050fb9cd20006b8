#pragma once
// Budgeted bit writer over a block of 16-bit words, packing as bitstream's packer does
// (most significant bit first across word boundaries). The payload is embedded: the
// writer keeps the first `budget` bits of whatever the coder produces and drops the rest,
// so a field that straddles the end keeps its leading bits, exactly the prefix a decoder
// with the same budget reads.
#include <algorithm>
#include <cstdint>

#include "base/bitstream.h"

// Unbudgeted packing into words the caller provides.
struct wordpacker {
    uint16_t* next = nullptr; // next word to store
    uint64_t acc = 0;         // bits not yet stored, right-aligned
    int32_t nacc = 0;         // their number, below 16

    void start(uint16_t* words) {
        next = words;
        acc = 0;
        nacc = 0;
    }
    // Appends the low nbits (0..32) bits of value.
    void put(uint32_t value, int32_t nbits) {
        acc = acc << nbits | (value & ((uint64_t{1} << nbits) - 1));
        nacc += nbits;
        while (nacc >= 16) {
            nacc -= 16;
            *next++ = static_cast<uint16_t>(acc >> nacc);
        }
        acc &= (uint64_t{1} << nacc) - 1;
    }
    // Stores a partial last word, its unused bits zero.
    void flush() {
        if (nacc != 0) *next++ = static_cast<uint16_t>(acc << (16 - nacc));
        acc = 0;
        nacc = 0;
    }
};

class bitwriter {
  public:
    // Starts writing at words[0]; clears the nwords words so that unused bits are zero.
    void start(uint16_t* words, int32_t nwords);
    // Appends the low nbits (0..32) bits of value, most significant first.
    void put(uint32_t value, int32_t nbits) {
        const int32_t keep = std::min(nbits, budget - used);
        if (keep <= 0) return;
        packer.put(value >> (nbits - keep), keep);
        used += keep;
    }
    // Appends n zero bits.
    void zeros(int32_t n);
    bool full() const { return used >= budget; }
    int32_t bitsused() const { return used; }
    int32_t bitsleft() const { return budget - used; }
    // Stores a partial last word. Call once after the last put.
    void finish() { packer.flush(); }
    uint16_t crc16(const uint16_t* words, uint32_t count) const { return table.crc16(words, count); }

    // A position to come back to: rewind drops everything written after mark.
    struct mark {
        wordpacker packer;
        int32_t used;
    };
    mark position() const { return {packer, used}; }
    void rewind(const mark& m);

  private:
    bitstream table; // of the CRC
    wordpacker packer;
    int32_t budget = 0, used = 0;
};
